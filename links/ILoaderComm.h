#pragma once
// The channel to a transporter or a stand-alone disc printer: one escape command and its
// fixed-length reply under a time-out, raw writes and reads, the line's time-outs and rate,
// and the channel's last failure as a number and a text.

#include <cstdint>

typedef unsigned char byte;

// Numbers a channel keeps for its last failure. No later success clears them.
namespace ChannelError {
enum : int {
    None = 0,
    // serial channel
    ComOpenFailed = 100,
    GetCommStateFailed = 101,
    SetCommStateFailed = 102,
    CreateEventFailed = 103,
    ComWriteError = 104,
    TransmitTimeout = 105,
    ComReadError = 106,
    ReceiveTimeout = 107,
    GetCommTimeoutsFailed = 108,
    SetCommTimeoutsFailed = 109,
    ModemStatusFailed = 110,
    CtsOff = 111,
    // HID channel
    HidNoDevice = 200,
    HidWriteFailed = 204,
    HidReadError = 206,
    HidReceiveTimeout = 207,
};
}

class ILoaderComm {
public:
    virtual ~ILoaderComm() {}
    virtual int IsHid() = 0;
    virtual const char* GetPortName() = 0;
    virtual void SetCtsTimeout(int seconds) = 0;
    // Sends a command and reads exactly replyLength bytes within timeoutSeconds. With
    // replyLength 0 or a null reply it only sends. Stale input is discarded first.
    virtual bool Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                          int timeoutSeconds) = 0;
    virtual bool SetBaudRate(int baud) = 0;
    virtual int GetBaudRate() = 0;
    virtual int GetLastErrorCode() = 0;
    virtual const char* GetLastErrorText() = 0;
    virtual bool Write(const byte* data, int length) = 0;
    virtual bool Read(byte* buffer, int length) = 0;
    virtual bool SetReadTimeout(int milliseconds) = 0;
    virtual bool SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual void SetCommandFlag(bool flag) = 0;
    virtual void Close() = 0;
    virtual bool Reopen() = 0;
};

// Scoped lock over a channel.
class CommLock {
public:
    explicit CommLock(ILoaderComm* comm) : m_comm(comm) { m_comm->Lock(); }
    ~CommLock() { m_comm->Unlock(); }
    CommLock(const CommLock&) = delete;
    CommLock& operator=(const CommLock&) = delete;

private:
    ILoaderComm* m_comm;
};
