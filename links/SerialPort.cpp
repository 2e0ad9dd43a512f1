#include "links/SerialPort.h"

#include "links/CommApi.h"
#include "links/ILoaderComm.h"

#include <algorithm>
#include <cstdio>

namespace {

// Texts of the serial error numbers; "%lul" prints the system error followed by a letter l.
struct ErrorText {
    int code;
    const char* format;
};
const ErrorText kErrorTexts[] = {
    {ChannelError::ComOpenFailed, "Failed to open COM port - %lul"},
    {ChannelError::GetCommStateFailed, "GetCommState failed - %lul"},
    {ChannelError::SetCommStateFailed, "SetCommState failed - %lul"},
    {ChannelError::CreateEventFailed, "CreateEvent failed - %lul"},
    {ChannelError::ComWriteError, "Error writing to COM port - %lul"},
    {ChannelError::TransmitTimeout, "Transmit timeout"},
    {ChannelError::ComReadError, "Error reading from COM port - %lul"},
    {ChannelError::ReceiveTimeout, "Receive timeout"},
    {ChannelError::GetCommTimeoutsFailed, "GetCommTimeouts failed - %lul"},
    {ChannelError::SetCommTimeoutsFailed, "SetCommTimeouts failed - %lul"},
    {ChannelError::ModemStatusFailed, "GetCommModemStatus failed - %lul"},
    {ChannelError::CtsOff, "CTS signal is off"},
};

char g_errorText[80];

}  // namespace

SerialPort::SerialPort(const char* path, int baud, int byteSize, int parity, int stopBits)
    : m_api(CommApi::Current()),
      m_handle(INVALID_HANDLE_VALUE),
      m_open(false),
      m_errorCode(0),
      m_systemError(0),
      m_baud(baud) {
    m_handle = m_api.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    m_open = m_handle != INVALID_HANDLE_VALUE;
    if (!m_open) {
        Fail(ChannelError::ComOpenFailed, m_api.GetLastError());
        return;
    }
    m_api.SetupComm(m_handle, kChunkSize, kChunkSize);

    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = 500;
    timeouts.ReadTotalTimeoutMultiplier = 500;
    timeouts.ReadTotalTimeoutConstant = 5000;
    timeouts.WriteTotalTimeoutMultiplier = 500;
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!ApplyTimeouts(timeouts)) return;

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!m_api.GetCommState(m_handle, &dcb)) {
        Fail(ChannelError::GetCommStateFailed, m_api.GetLastError());
        return;
    }
    // One and a half stop bits exist only with 5 data bits; above that it means two.
    if (stopBits == ONE5STOPBITS && byteSize > 5) stopBits = TWOSTOPBITS;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    dcb.Parity = static_cast<BYTE>(parity);
    dcb.StopBits = static_cast<BYTE>(stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    if (!m_api.SetCommState(m_handle, &dcb))
        Fail(ChannelError::SetCommStateFailed, m_api.GetLastError());
}

SerialPort::~SerialPort() {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    m_api.EscapeCommFunction(m_handle, CLRDTR);
    m_api.PurgeComm(m_handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    m_api.CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

bool SerialPort::Write(const void* data, unsigned length) {
    if (!StartTransfer()) return false;
    if (length == 0 || !data) return true;

    OVERLAPPED overlapped;
    if (!MakeTransferEvent(overlapped)) return false;
    const char* next = static_cast<const char*>(data);
    bool ok = true;
    while (length > 0) {
        DWORD chunk = std::min(length, kChunkSize);
        DWORD written = 0, error = 0;
        if (!Complete(m_api.WriteFile(m_handle, next, chunk, nullptr, &overlapped), overlapped,
                      written, error)) {
            Fail(ChannelError::ComWriteError, error);
            ClearLineError();
            ok = false;
            break;
        }
        if (written < chunk) {
            ok = Fail(ChannelError::TransmitTimeout, 0);
            break;
        }
        next += chunk;
        length -= chunk;
    }
    m_api.CloseHandle(overlapped.hEvent);
    return ok;
}

bool SerialPort::Read(void* buffer, unsigned length) {
    if (!StartTransfer()) return false;
    if (length == 0 || !buffer) return false;

    OVERLAPPED overlapped;
    if (!MakeTransferEvent(overlapped)) return false;
    DWORD received = 0, error = 0;
    bool completed = Complete(m_api.ReadFile(m_handle, buffer, length, nullptr, &overlapped),
                              overlapped, received, error);
    bool ok = completed && received >= length;
    if (!ok) {
        // A read that timed out completes short on Windows; Wine completes one that got
        // nothing with ERROR_TIMEOUT. Both are a receive time-out.
        if (completed || error == ERROR_TIMEOUT)
            Fail(ChannelError::ReceiveTimeout, 0);
        else
            Fail(ChannelError::ComReadError, error);
        ClearLineError();
    }
    m_api.CloseHandle(overlapped.hEvent);
    return ok;
}

bool SerialPort::SetReadTimeout(int milliseconds) {
    COMMTIMEOUTS timeouts;
    if (!m_api.GetCommTimeouts(m_handle, &timeouts))
        return Fail(ChannelError::GetCommTimeoutsFailed, m_api.GetLastError());
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    // All read time-outs 0 would mean no limit at all: the shortest limit is 1 ms.
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(std::max(milliseconds, 1));
    return ApplyTimeouts(timeouts);
}

bool SerialPort::SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) {
    COMMTIMEOUTS timeouts;
    if (!m_api.GetCommTimeouts(m_handle, &timeouts))
        return Fail(ChannelError::GetCommTimeoutsFailed, m_api.GetLastError());
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(constantMilliseconds);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(perByteMilliseconds);
    return ApplyTimeouts(timeouts);
}

const char* SerialPort::GetErrorText() const {
    FormatErrorText(m_errorCode, m_systemError, g_errorText, sizeof g_errorText);
    return g_errorText;
}

void SerialPort::FormatErrorText(int code, DWORD systemError, char* text, size_t size) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            std::snprintf(text, size, entry.format, static_cast<unsigned long>(systemError));
            return;
        }
    }
    std::snprintf(text, size, "COM error, major %ul, minor %lul", static_cast<unsigned>(code),
                  static_cast<unsigned long>(systemError));
}

bool SerialPort::Fail(int code, DWORD systemError) {
    m_errorCode = code;
    m_systemError = systemError;
    return false;
}

bool SerialPort::ApplyTimeouts(COMMTIMEOUTS& timeouts) {
    if (!m_api.SetCommTimeouts(m_handle, &timeouts))
        return Fail(ChannelError::SetCommTimeoutsFailed, m_api.GetLastError());
    return true;
}

// Every write and read starts with clear codes, and fails with 100 on a port never opened.
bool SerialPort::StartTransfer() {
    m_errorCode = 0;
    m_systemError = 0;
    return m_open || Fail(ChannelError::ComOpenFailed, 0);
}

bool SerialPort::MakeTransferEvent(OVERLAPPED& overlapped) {
    ZeroMemory(&overlapped, sizeof overlapped);
    overlapped.hEvent = m_api.CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return Fail(ChannelError::CreateEventFailed, m_api.GetLastError());
    return true;
}

// Finishes an overlapped transfer that ReadFile or WriteFile started (started is its
// result): waits for it when pending and gives the bytes moved, or the system error.
bool SerialPort::Complete(BOOL started, OVERLAPPED& overlapped, DWORD& transferred,
                          DWORD& error) {
    if (!started) {
        error = m_api.GetLastError();
        if (error != ERROR_IO_PENDING) return false;
    }
    if (!m_api.GetOverlappedResult(m_handle, &overlapped, &transferred, TRUE)) {
        error = m_api.GetLastError();
        return false;
    }
    return true;
}

void SerialPort::ClearLineError() {
    DWORD errors = 0;
    m_api.ClearCommError(m_handle, &errors, nullptr);
}
