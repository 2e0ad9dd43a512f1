#pragma once
// The version block of one file, read once at construction.

#include <windows.h>

#include <string>
#include <vector>

class FileVersionInfo {
public:
    explicit FileVersionInfo(const wchar_t* path);

    bool IsValid() const { return m_valid; }
    // The FileVersion value (US-English table, else UK-English) with its parts joined by
    // '.', so "1, 2, 3, 4" and "1.2.3.4" both give "1.2.3.4"; empty when there is none.
    void GetFileVersion(std::wstring& out) const;
    // One string value of the US-English Unicode table; empty when there is none.
    void GetStringValue(const wchar_t* name, std::wstring& out) const;

private:
    // The string value at subBlock; false when the block has none.
    bool Query(const std::wstring& subBlock, std::wstring& out) const;

    DWORD m_size = 0;
    bool m_valid = false;
    std::vector<BYTE> m_block;
};
