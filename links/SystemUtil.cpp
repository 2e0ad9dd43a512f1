#include "links/SystemUtil.h"

#include <cstdarg>
#include <vector>

std::wstring OneLineMessageText(std::wstring text) {
    if (!text.empty() && text.back() == L'\n') text.pop_back();
    if (!text.empty() && text.back() == L'\r') text.pop_back();
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    return text;
}

std::wstring GetSystemErrorText(DWORD code) {
    if (code == 0) return std::wstring();
    wchar_t buffer[512] = {};
    // Inserts are ignored: a system text with %1 would otherwise read arguments that
    // were never passed.
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  buffer, 512, nullptr);
    if (length == 0 || length >= 512) return std::wstring();
    return OneLineMessageText(std::wstring(buffer, length));
}

std::wstring GetLastSystemErrorText() { return GetSystemErrorText(GetLastError()); }

std::wstring FormatMessageText(const wchar_t* format, ...) {
    if (format == nullptr || *format == L'\0') return std::wstring();
    va_list args;
    va_start(args, format);
    wchar_t* output = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  format, 0, 0, reinterpret_cast<wchar_t*>(&output), 0, &args);
    va_end(args);
    std::wstring result;
    if (length != 0 && output != nullptr) result.assign(output, length);
    if (output != nullptr) LocalFree(output);
    return result;
}

std::wstring WidenString(const char* text) {
    std::wstring result;
    if (text == nullptr) return result;
    for (const char* p = text; *p != '\0'; ++p) {
        result.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    return result;
}

std::string NarrowString(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') return std::string();
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr, nullptr) <= 0) {
        return std::string();
    }
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string NarrowString(const std::wstring& text) {
    if (text.empty()) return std::string();
    return NarrowString(text.c_str());
}

std::wstring CutAtLastBackslash(const std::wstring& path) {
    size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) return path;
    return path.substr(0, cut);
}

std::wstring GetModuleDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        return std::wstring();
    }
    return CutAtLastBackslash(std::wstring(buffer, length));
}

namespace {
PumpMessageFilter& MessageFilter() {
    static PumpMessageFilter filter;
    return filter;
}
}  // namespace

void SetPumpMessageFilter(PumpMessageFilter filter) { MessageFilter() = std::move(filter); }

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const PumpMessageFilter& filter = MessageFilter();
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
