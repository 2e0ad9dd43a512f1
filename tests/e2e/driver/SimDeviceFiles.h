#pragma once
// The simulated device as a test sees it from the Windows side: the files its line runner
// writes (tests/e2e/simdevice/LineRunner.h): the exchange log, the state snapshot and the
// firmware image that reached it. Bytes appear as the runner prints them: ESC as "<ESC>",
// other control bytes as "<xx>".

#include <windows.h>

#include <string>
#include <vector>

class SimDeviceFiles {
public:
    struct LogLine {
        double time = 0;  // Unix time, seconds
        int baud = 0;
        std::string kind;  // rx, data, tx, garbled, note
        size_t count = 0;
        std::string text;
    };

    // The value of key in the state snapshot, empty when absent.
    static std::string State(const std::string& key);
    static bool WaitState(const std::string& key, const std::string& value, DWORD timeoutMs);
    static std::vector<LogLine> Log();
    // Command frames received whose text starts with prefix.
    static int Received(const std::string& prefix);
    static std::string Image();

    // The whole file, empty when it cannot be read.
    static std::string ReadFile(const std::wstring& path);
    // The present Unix time in seconds, as the runner stamps its lines.
    static double Now();
};
