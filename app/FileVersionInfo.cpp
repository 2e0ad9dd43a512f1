#include "app/FileVersionInfo.h"

#include <cwchar>

namespace {

const wchar_t* const kUsEnglishTable = L"\\StringFileInfo\\040904B0\\";
const wchar_t* const kUkEnglishTable = L"\\StringFileInfo\\080904B0\\";

}  // namespace

FileVersionInfo::FileVersionInfo(const wchar_t* path) {
    DWORD ignored = 0;
    m_size = GetFileVersionInfoSizeW(path, &ignored);
    if (m_size == 0) return;
    m_block.assign(m_size, 0);
    m_valid = GetFileVersionInfoW(path, 0, m_size, m_block.data()) != FALSE;
}

bool FileVersionInfo::Query(const std::wstring& subBlock, std::wstring& out) const {
    out.clear();
    if (!m_valid) return false;
    void* value = nullptr;
    UINT length = 0;
    // VerQueryValueW takes a non-const block; it only reads it.
    if (!VerQueryValueW(const_cast<BYTE*>(m_block.data()), subBlock.c_str(), &value, &length) ||
        !value)
        return false;
    // Within the reported length, up to the first terminator.
    const wchar_t* text = static_cast<const wchar_t*>(value);
    out.assign(text, wcsnlen(text, length));
    return true;
}

void FileVersionInfo::GetFileVersion(std::wstring& out) const {
    out.clear();
    std::wstring value;
    if (!Query(std::wstring(kUsEnglishTable) + L"FileVersion", value) &&
        !Query(std::wstring(kUkEnglishTable) + L"FileVersion", value))
        return;
    // Each part (separated by commas and blanks, runs counting as one) followed by '.'.
    size_t start = value.find_first_not_of(L", ");
    while (start != std::wstring::npos) {
        size_t end = value.find_first_of(L", ", start);
        out += value.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        out += L'.';
        start = end == std::wstring::npos ? end : value.find_first_not_of(L", ", end);
    }
    while (!out.empty() && out.back() == L'.') out.pop_back();
}

void FileVersionInfo::GetStringValue(const wchar_t* name, std::wstring& out) const {
    Query(std::wstring(kUsEnglishTable) + name, out);
}
