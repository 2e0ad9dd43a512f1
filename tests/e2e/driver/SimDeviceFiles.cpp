#include "SimDeviceFiles.h"

#include "TestEnvironment.h"
#include "UiWindow.h"

#include <cstdlib>
#include <sstream>

std::string SimDeviceFiles::ReadFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char block[65536];
    DWORD got = 0;
    while (::ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

std::string SimDeviceFiles::State(const std::string& key) {
    std::istringstream lines(ReadFile(TestEnvironment::Path("TAVRIX_SIM_STATE")));
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    return std::string();
}

bool SimDeviceFiles::WaitState(const std::string& key, const std::string& value,
                               DWORD timeoutMs) {
    return UiWindow::WaitUntil([&] { return State(key) == value; }, timeoutMs);
}

std::vector<SimDeviceFiles::LogLine> SimDeviceFiles::Log() {
    std::vector<LogLine> entries;
    std::istringstream lines(ReadFile(TestEnvironment::Path("TAVRIX_SIM_LOG")));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        LogLine entry;
        fields >> entry.time >> entry.baud >> entry.kind >> entry.count;
        if (!fields) continue;
        fields.get();  // the blank before the text
        std::getline(fields, entry.text);
        entries.push_back(entry);
    }
    return entries;
}

int SimDeviceFiles::Received(const std::string& prefix) {
    int count = 0;
    for (const LogLine& entry : Log())
        if (entry.kind == "rx" && entry.text.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

std::string SimDeviceFiles::Image() { return ReadFile(TestEnvironment::Path("TAVRIX_SIM_IMAGE")); }

double SimDeviceFiles::Now() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns ticks since 1601 to seconds since 1970.
    return (ticks - 116444736000000000ULL) / 1e7;
}
