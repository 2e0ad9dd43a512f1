#pragma once
// What the harness (tests/e2e/e2e-run) tells a driver through its environment:
//   TAVRIX_EXE        the program under test (a Linux or Windows path)
//   TAVRIX_COM_PORT   the COM port number of the simulated device's line (none: no device)
//   TAVRIX_SIM_LOG, TAVRIX_SIM_STATE, TAVRIX_SIM_IMAGE  the simulated device's files
//   TAVRIX_WORK       a folder of the run's own, for files the test makes
// Linux paths are reached through Wine's drive Z:.

#include <string>

class TestEnvironment {
public:
    static std::string Variable(const char* name);
    // The variable as a Windows path; empty when it is not set.
    static std::wstring Path(const char* name);
    // A Linux path as Wine's drive Z: shows it; a Windows path stays as it is.
    static std::wstring WindowsPath(const std::string& path);

    static std::wstring Program() { return Path("TAVRIX_EXE"); }
    // 0 when the run has no simulated device.
    static int ComPort();
    static std::wstring WorkFolder() { return Path("TAVRIX_WORK"); }
};
