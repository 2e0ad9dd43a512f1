#pragma once
// SimChannel: the channel interface (ILoaderComm) over a simulated device, for in-process
// tests of the device classes. It behaves like the serial or the HID channel as the device
// classes see them:
//   Transact   drops stale bytes, hands the command to the device, copies replyLength bytes
//              of its answer; bytes beyond stay pending (stale) for a later Read or are
//              dropped by the next Transact. A shorter answer fails with the receive
//              time-out (107 serial, 207 HID) after moving the device's clock by the
//              time-out, the bytes that came standing in the buffer. replyLength 0 or a null
//              reply: sent only. On a serial channel whose rate differs from the device's
//              the device hears garbage: nothing reaches it and the exchange times out.
//   Write/Read raw bytes (Write goes to SimDevice::Feed; Read takes pending bytes). A failed
//              serial Write or Read changes the text only, not GetLastErrorCode, as the
//              serial channel does; on HID both.
//   SetBaudRate, GetBaudRate  serial: the channel's rate (the constructor's at first); HID:
//              no effect, always 9600.
//   Close/Reopen  serial: nothing happens; HID: exchanges fail with 200 until Reopen.
//   Settings (read/write/CTS time-outs, baud changes, the command flag) are logged as
//   Setting entries and kept for inspection.
// Every call lands in the device's log (SimLog), with the channel's result.
//
// Injected channel failures, per operation and prefix of the bytes sent ("" = any),
// count how many calls they take (-1: all); the failing call sets that error code and its
// text, and its bytes do not reach the device (delivered = true: the device gets the
// command, but its answer is lost):
//     channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", ChannelError::ReceiveTimeout);

#include "SimDevice.h"
#include "links/ILoaderComm.h"

#include <string>
#include <vector>

class SimChannel : public ILoaderComm {
public:
    enum class Kind { Serial, Hid };
    enum class Op { Transact, Write, Read, SetBaudRate, Reopen };

    // Serial: "COM<port>" at the device's current rate. HID: "HID-<port>".
    explicit SimChannel(SimDevice& device, Kind kind = Kind::Serial, int port = 3);

    void Fail(Op op, const std::string& prefix, int errorCode, int count = 1,
              bool delivered = false);
    // The text kept for a failure with this code.
    static std::string ErrorText(int errorCode);

    bool IsClosed() const { return m_closed; }
    int LockDepth() const { return m_lockDepth; }
    int ReadTimeoutMs() const { return m_readTimeoutMs; }
    int CtsTimeoutSeconds() const { return m_ctsTimeoutSeconds; }
    const std::string& Pending() const { return m_pending; }
    SimLog& Log() { return m_device.Log(); }

    // --- ILoaderComm ---
    int IsHid() override { return m_kind == Kind::Hid ? 1 : 0; }
    const char* GetPortName() override { return m_name.c_str(); }
    void SetCtsTimeout(int seconds) override;
    bool Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                  int timeoutSeconds) override;
    bool SetBaudRate(int baud) override;
    int GetBaudRate() override { return m_kind == Kind::Hid ? 9600 : m_baud; }
    int GetLastErrorCode() override { return m_errorCode; }
    const char* GetLastErrorText() override { return m_errorText.c_str(); }
    bool Write(const byte* data, int length) override;
    bool Read(byte* buffer, int length) override;
    bool SetReadTimeout(int milliseconds) override;
    bool SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) override;
    void Lock() override { ++m_lockDepth; }
    void Unlock() override { --m_lockDepth; }
    void SetCommandFlag(bool flag) override;
    void Close() override;
    bool Reopen() override;

protected:
    // Records a failure: the code too unless it is a plain serial Write or Read.
    void Failed(int code, bool keepCode = false);

private:
    struct Failure {
        Op op;
        std::string prefix;
        int code;
        int count;
        bool delivered;
    };
    // The injected failure that takes this call, or null.
    const Failure* TakeFailure(Op op, const std::string& bytes);
    int ReceiveTimeoutCode() const;
    void LogSetting(const char* note, long value);
    void LogFailedCall(SimLog::Kind kind, const std::string& bytes, int replyLength,
                       int timeoutSeconds, int code);

    SimDevice& m_device;
    Kind m_kind;
    std::string m_name;
    int m_baud;
    std::string m_pending;
    std::vector<Failure> m_failures;
    Failure m_taken{};
    int m_errorCode = 0;
    std::string m_errorText;
    bool m_closed = false;
    int m_lockDepth = 0;
    int m_readTimeoutMs = 0;
    int m_ctsTimeoutSeconds = 3;
};
