#pragma once
// A serial COM port opened for overlapped I/O: chunked writes, fixed-length reads under
// the line's time-outs, time-out changes, and the last failure as a channel error number
// (ChannelError, 100 to 109) with the system error that goes with it.

#include <windows.h>

#include <cstddef>

class CommApi;

class SerialPort {
public:
    // Opens and configures the port; never throws. The outcome is IsOpen() and the codes.
    // stopBits is a DCB stop-bits code (0 one, 1 one and a half, 2 two).
    SerialPort(const char* path, int baud, int byteSize, int parity, int stopBits);
    // Clears DTR, purges both directions and closes the port.
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Writes all bytes, in chunks of at most 512 (the driver's queue size).
    bool Write(const void* data, unsigned length);
    // Reads exactly length bytes within the read time-outs; what arrived stays in buffer.
    bool Read(void* buffer, unsigned length);
    // Total read time-out of the following reads (no interval or per-byte part).
    bool SetReadTimeout(int milliseconds);
    bool SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds);

    // The text of the last failure. One buffer for all ports: valid until the next call.
    const char* GetErrorText() const;
    int GetErrorCode() const { return m_errorCode; }
    DWORD GetSystemError() const { return m_systemError; }
    HANDLE GetHandle() const { return m_handle; }
    bool IsOpen() const { return m_open; }

    // Writes the text of a serial channel error number (100 to 111) with its system error.
    static void FormatErrorText(int code, DWORD systemError, char* text, size_t size);

    // Driver queue size and write chunk.
    static constexpr unsigned kChunkSize = 512;

private:
    bool Fail(int code, DWORD systemError);
    bool ApplyTimeouts(COMMTIMEOUTS& timeouts);
    bool StartTransfer();
    bool MakeTransferEvent(OVERLAPPED& overlapped);
    bool Complete(BOOL started, OVERLAPPED& overlapped, DWORD& transferred, DWORD& error);
    void ClearLineError();

    CommApi& m_api;
    HANDLE m_handle;
    bool m_open;
    int m_errorCode;
    DWORD m_systemError;
    int m_baud;
};
