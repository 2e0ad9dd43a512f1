#pragma once
// One registry key opened for reading (and, by option, for setting values or creating it).

#include <windows.h>

#include <string>

class RegKey {
public:
    enum Options { ReadOnly = 1, SetValues = 2, Create = 4 };

    // A null root leaves the key closed.
    RegKey(HKEY root, const std::wstring& subKey, int options);
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool IsOpen() const { return m_open; }
    LONG GetStatus() const { return m_status; }
    // The REG_DWORD value, or defaultValue when it is missing or of another type.
    DWORD ReadDword(const wchar_t* valueName, DWORD defaultValue);

private:
    HKEY m_key = nullptr;
    bool m_open = false;
    LONG m_status = ERROR_SUCCESS;
};
