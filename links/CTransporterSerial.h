#pragma once
// The channel over a serial COM port: 8 data bits, no parity, one stop bit, hardware flow
// control on CTS and RTS. Each command exchange locks the channel, waits for CTS, discards
// stale input, writes the command and reads a fixed-length reply under a time-out.

#include "links/ICtsWaiter.h"
#include "links/ILoaderComm.h"
#include "links/SerialPort.h"

#include <windows.h>

#include <memory>
#include <string>

class CommApi;

class CTransporterSerial : public ILoaderComm, public ICtsWaiter {
public:
    // portPath such as "\\.\COM3"; usable only when IsOpen() is true.
    CTransporterSerial(const char* portPath, int baud);
    ~CTransporterSerial() override;
    CTransporterSerial(const CTransporterSerial&) = delete;
    CTransporterSerial& operator=(const CTransporterSerial&) = delete;

    bool IsOpen() const { return m_open; }
    // Polls the modem status every 10 ms for up to seconds; records 110 or 111 on false.
    bool WaitForCts(int seconds) override;

    int IsHid() override { return 0; }
    const char* GetPortName() override { return m_portName.c_str(); }
    void SetCtsTimeout(int seconds) override { m_ctsWaitSeconds = seconds; }
    bool Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                  int timeoutSeconds) override;
    bool SetBaudRate(int baud) override;
    int GetBaudRate() override { return m_baud; }
    int GetLastErrorCode() override { return m_errorCode; }
    const char* GetLastErrorText() override;
    bool Write(const byte* data, int length) override;
    bool Read(byte* buffer, int length) override;
    bool SetReadTimeout(int milliseconds) override;
    bool SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) override;
    void Lock() override { EnterCriticalSection(&m_lock); }
    void Unlock() override { LeaveCriticalSection(&m_lock); }
    void SetCommandFlag(bool) override {}
    void Close() override {}
    bool Reopen() override { return true; }

    // Stale input is read away in reads of kDrainChunk bytes under kDrainTimeoutMs, again
    // while a read comes back full, at most kMaxDrainReads times.
    static constexpr int kDrainChunk = 64;
    static constexpr int kDrainTimeoutMs = 50;
    static constexpr int kMaxDrainReads = 64;
    static constexpr int kCtsPollMs = 10;

private:
    bool FailOwn(int code, DWORD systemError);
    bool FailFromPort();
    bool PortResult(bool ok);

    CommApi& m_api;
    CRITICAL_SECTION m_lock;
    BYTE m_byteSize;
    BYTE m_stopBits;
    DWORD m_commErrors;
    int m_baud;
    int m_ctsWaitSeconds;
    int m_errorCode;
    DWORD m_systemError;
    std::string m_portName;
    std::unique_ptr<SerialPort> m_port;
    HANDLE m_handle;
    bool m_open;
    // The channel's own failure (101, 102, 110, 111) is the latest one: its text is
    // m_ownText rather than the port's.
    bool m_ownFailure;
    char m_ownText[80];
};
