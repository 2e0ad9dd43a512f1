#pragma once
// One open HID interface: overlapped reads and writes of single reports. It knows nothing
// of the report layout. Made only by OpenHidDeviceByPath; its owner closes it before it
// drops the object.

#include <windows.h>

#include <memory>
#include <string>

class HidDevice {
public:
    enum Status { Ok = 0, TimedOut = 1, Failed = 2 };

    // Writes one report; Ok or Failed. A device that does not take the report within
    // kWriteTimeoutMs has the write cancelled and fails.
    int Write(const void* data, DWORD length);
    // Reads one report of at most the input report size into buffer within the read wait;
    // Ok, TimedOut (the read cancelled) or Failed. A leading zero byte (no report id) is
    // dropped and the bytes after it moved down by one.
    int Read(void* buffer, DWORD count);
    void SetReadTimeout(int milliseconds) { m_readTimeoutMs = milliseconds; }
    int GetReadTimeout() const { return m_readTimeoutMs; }
    int GetInputReportSize() const { return m_inputReportSize; }
    void Close();

    DWORD GetLastError() const { return m_lastError; }
    const std::wstring& GetErrorText() const { return m_errorText; }

    static constexpr DWORD kWriteTimeoutMs = 5000;

private:
    friend std::unique_ptr<HidDevice> OpenHidDeviceByPath(const std::string& devicePath);
    HidDevice() = default;
    // Keeps the thread's last error and its text after the failing call's name.
    void CaptureError(const char* apiName);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    int m_inputReportSize = 0;
    std::wstring m_errorText;
    DWORD m_lastError = 0;
    int m_readTimeoutMs = 15000;
};
