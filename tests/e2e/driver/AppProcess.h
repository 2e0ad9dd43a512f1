#pragma once
// The program under test as a process started by the driver (in the same Wine prefix, so
// it sees the same COM ports, registry and named mutexes). The destructor ends a process
// that still runs, so that no test leaves the program behind.

#include <windows.h>

#include <string>

class AppProcess {
public:
    AppProcess() {}
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Starts exe (a Windows path) with the command-line arguments, in exe's own folder.
    bool Start(const std::wstring& exe, const std::wstring& arguments = std::wstring());
    DWORD Id() const { return m_info.dwProcessId; }
    bool Running() const;
    // True when the process ended within milliseconds.
    bool WaitExit(DWORD milliseconds);
    DWORD ExitCode() const;
    void Terminate();
    // The system error of a failed Start.
    DWORD StartError() const { return m_startError; }

private:
    PROCESS_INFORMATION m_info{};
    DWORD m_startError = 0;
};
