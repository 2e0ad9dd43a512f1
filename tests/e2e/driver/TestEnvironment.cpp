#include "TestEnvironment.h"

#include <windows.h>

#include <cstdlib>

std::string TestEnvironment::Variable(const char* name) {
    char value[1024] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::wstring TestEnvironment::WindowsPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    if (wide.empty() || wide[0] != L'/') return wide;
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return L"Z:" + wide;
}

std::wstring TestEnvironment::Path(const char* name) { return WindowsPath(Variable(name)); }

int TestEnvironment::ComPort() { return std::atoi(Variable("TAVRIX_COM_PORT").c_str()); }
