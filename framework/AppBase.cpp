#include "framework/AppBase.h"

#include "framework/Dialog.h"
#include "framework/MessageBoxes.h"

#include <vector>

namespace {

AppBase*& CurrentApp() {
    static AppBase* current = nullptr;
    return current;
}

// The full path of the running program; empty when it cannot be had.
std::wstring ModulePath() {
    std::vector<wchar_t> buffer(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return std::wstring();
    return std::wstring(buffer.data(), length);
}

}  // namespace

AppBase::AppBase() : m_previous(CurrentApp()) {
    std::wstring path = ReadModulePath();
    size_t slash = path.find_last_of(L'\\');
    m_appName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = m_appName.find_last_of(L'.');
    if (dot != std::wstring::npos) m_appName.erase(dot);
    CurrentApp() = this;
}

AppBase::~AppBase() {
    if (CurrentApp() == this) CurrentApp() = m_previous;
}

AppBase& AppBase::Current() {
    if (CurrentApp()) return *CurrentApp();
    static AppBase fallback;
    return fallback;
}

std::wstring AppBase::ReadModulePath() {
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L'\\');
    m_exeDir = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return path;
}

void AppBase::SetExeDir(const std::wstring& directory) {
    m_exeDir = directory;
    if (!m_exeDir.empty() && m_exeDir.back() != L'\\') m_exeDir += L'\\';
}

std::wstring AppBase::SectionKey(const wchar_t* section) const {
    return L"Software\\" + m_registryKey + L"\\" + m_appName + L"\\" + section;
}

int AppBase::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    if (m_registryKey.empty()) return defaultValue;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return defaultValue;
    DWORD value = 0, type = 0, size = sizeof(value);
    LONG result = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                   &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return defaultValue;
    return static_cast<int>(value);
}

bool AppBase::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const {
    if (m_registryKey.empty()) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD data = static_cast<DWORD>(value);
    LONG result = RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                 sizeof(data));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

int AppBase::ShowMessage(const std::wstring& text, UINT type) const {
    return MessageBoxes::Current().Show(GetActiveWindow(), text, m_appName, type);
}

HICON AppBase::LoadAppIcon(int resourceId) const {
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
}

bool AppBase::PreTranslateMessage(MSG& message) { return Dialog::PreTranslateModeless(message); }
