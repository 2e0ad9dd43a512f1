#include "AppProfile.h"

#include <windows.h>

const wchar_t* const AppProfile::kKey = L"Software\\Varden\\Tavrix";

int AppProfile::Read(const wchar_t* section, const wchar_t* name, int fallback) {
    std::wstring key = std::wstring(kKey) + L"\\" + section;
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return fallback;
    return static_cast<int>(value);
}

bool AppProfile::Write(const wchar_t* section, const wchar_t* name, int value) {
    std::wstring key = std::wstring(kKey) + L"\\" + section;
    DWORD data = static_cast<DWORD>(value);
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &data,
                           sizeof data) == ERROR_SUCCESS;
}

void AppProfile::Clear() { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
