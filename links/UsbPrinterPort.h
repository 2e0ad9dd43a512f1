#pragma once
// One USB printer interface, opened as a file for overlapped I/O, that takes raw data.
// Each write runs under the port's own lock and is given 10 seconds to complete.

#include <windows.h>

#include <mutex>
#include <string>

class UsbPrinterPort {
public:
    static constexpr DWORD kWriteTimeoutMs = 10000;

    // Names the port from its registry entry ("USB001"), else "USBPRINT-<index>", then
    // test-opens it: IsOpen tells whether the open succeeded.
    UsbPrinterPort(const std::wstring& devicePath, int index);
    ~UsbPrinterPort();
    UsbPrinterPort(const UsbPrinterPort&) = delete;
    UsbPrinterPort& operator=(const UsbPrinterPort&) = delete;

    // Closes the port first when open, then opens it again. When that close fails the
    // port keeps its open handle and the result is false, unless the handle was no longer
    // valid: then it is forgotten and the port opens anew.
    bool Open();
    // True when closed afterwards (or already); false only when the system refused.
    bool Close();
    // Writes all bytes in one call. Fewer bytes written: error 29; no completion within
    // kWriteTimeoutMs: the write is cancelled and the error is 995.
    bool Write(const void* data, DWORD length);

    bool IsOpen() const { return m_open; }
    DWORD GetLastErrorCode() const { return m_lastError; }
    const std::wstring& GetLastErrorText() const { return m_lastErrorText; }
    const std::wstring& GetPortName() const { return m_portName; }
    const std::wstring& GetDevicePath() const { return m_devicePath; }

private:
    bool OpenHandle();
    // Keeps code and its system text.
    void KeepError(DWORD code);
    void KeepShortWrite(DWORD written, DWORD requested);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::mutex m_writeMutex;
    DWORD m_lastError = 0;
    std::wstring m_devicePath;
    std::wstring m_portName;
    std::wstring m_lastErrorText;
    bool m_open = false;
};

// The key, below the registry root, whose "Port Number" value numbers the port at
// devicePath.
std::wstring UsbPrinterPortKeyPath(const std::wstring& devicePath);
