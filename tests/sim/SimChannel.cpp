#include "SimChannel.h"

#include <algorithm>
#include <cstring>

SimChannel::SimChannel(SimDevice& device, Kind kind, int port)
    : m_device(device),
      m_kind(kind),
      m_name((kind == Kind::Hid ? "HID-" : "COM") + std::to_string(port)),
      m_baud(device.BaudRate()) {}

void SimChannel::Fail(Op op, const std::string& prefix, int errorCode, int count,
                      bool delivered) {
    m_failures.push_back({op, prefix, errorCode, count, delivered});
}

std::string SimChannel::ErrorText(int errorCode) {
    switch (errorCode) {
    case ChannelError::ComOpenFailed: return "Failed to open COM port - 2l";
    case ChannelError::SetCommStateFailed: return "SetCommState failed - 87l";
    case ChannelError::ComWriteError: return "Error writing to COM port - 5l";
    case ChannelError::TransmitTimeout: return "Transmit timeout";
    case ChannelError::ComReadError: return "Error reading from COM port - 5l";
    case ChannelError::ReceiveTimeout: return "Receive timeout";
    case ChannelError::CtsOff: return "CTS signal is off";
    case ChannelError::HidNoDevice: return "HID device not found";
    case ChannelError::HidWriteFailed: return "HID write failed";
    case ChannelError::HidReadError: return "HID read error";
    case ChannelError::HidReceiveTimeout: return "HID receive timeout";
    default: return "Channel error " + std::to_string(errorCode);
    }
}

const SimChannel::Failure* SimChannel::TakeFailure(Op op, const std::string& bytes) {
    for (Failure& failure : m_failures) {
        if (failure.op != op || failure.count == 0 ||
            bytes.compare(0, failure.prefix.size(), failure.prefix) != 0)
            continue;
        if (failure.count > 0) --failure.count;
        m_taken = failure;
        return &m_taken;
    }
    return nullptr;
}

void SimChannel::Failed(int code, bool keepCode) {
    if (!keepCode) m_errorCode = code;
    m_errorText = ErrorText(code);
}

int SimChannel::ReceiveTimeoutCode() const {
    return m_kind == Kind::Hid ? ChannelError::HidReceiveTimeout : ChannelError::ReceiveTimeout;
}

void SimChannel::LogSetting(const char* note, long value) {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Setting;
    entry.note = note;
    entry.value = value;
    Log().Add(entry);
}

void SimChannel::LogFailedCall(SimLog::Kind kind, const std::string& bytes, int replyLength,
                               int timeoutSeconds, int code) {
    SimLog::Entry entry;
    entry.kind = kind;
    entry.bytes = bytes;
    entry.replyLength = replyLength;
    entry.timeoutSeconds = timeoutSeconds;
    entry.ok = false;
    entry.errorCode = code;
    Log().Add(entry);
}

bool SimChannel::Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                          int timeoutSeconds) {
    CommLock lock(this);
    std::string bytes(reinterpret_cast<const char*>(command),
                      static_cast<size_t>(std::max(commandLength, 0)));
    const bool wantsReply = reply && replyLength > 0;
    m_pending.clear();
    int code = 0;
    bool delivered = false;
    if (const Failure* failure = TakeFailure(Op::Transact, bytes)) {
        code = failure->code;
        delivered = failure->delivered;
    } else if (m_closed) {
        code = ChannelError::HidNoDevice;
    } else if (m_kind == Kind::Serial && m_baud != m_device.BaudRate()) {
        code = ChannelError::ReceiveTimeout;  // the device hears noise and answers nothing
    }
    if (code) {
        if (delivered) {
            m_device.Exchange(bytes, replyLength, timeoutSeconds);
            Log().Back().ok = false;
            Log().Back().errorCode = code;
        } else {
            LogFailedCall(SimLog::Kind::Exchange, bytes, replyLength, timeoutSeconds, code);
        }
        Failed(code);
        return false;
    }
    std::string answer = m_device.Exchange(bytes, replyLength, timeoutSeconds);
    if (!wantsReply) {
        m_pending = answer;
        return true;
    }
    size_t wanted = static_cast<size_t>(replyLength);
    std::memcpy(reply, answer.data(), std::min(wanted, answer.size()));
    if (answer.size() < wanted) {
        m_device.AdvanceTime(static_cast<uint64_t>(std::max(timeoutSeconds, 0)) * 1000);
        Log().Back().ok = false;
        Log().Back().errorCode = ReceiveTimeoutCode();
        Failed(ReceiveTimeoutCode());
        return false;
    }
    m_pending = answer.substr(wanted);
    return true;
}

bool SimChannel::Write(const byte* data, int length) {
    std::string bytes(reinterpret_cast<const char*>(data), static_cast<size_t>(std::max(length, 0)));
    int code = 0;
    if (const Failure* failure = TakeFailure(Op::Write, bytes))
        code = failure->code;
    else if (m_closed)
        code = ChannelError::HidNoDevice;
    if (code) {
        LogFailedCall(SimLog::Kind::Write, bytes, -1, -1, code);
        Failed(code, m_kind == Kind::Serial);
        return false;
    }
    m_pending += m_device.Feed(bytes);
    return true;
}

bool SimChannel::Read(byte* buffer, int length) {
    size_t wanted = static_cast<size_t>(std::max(length, 0));
    int code = 0;
    if (const Failure* failure = TakeFailure(Op::Read, m_pending)) code = failure->code;
    size_t got = code ? 0 : std::min(wanted, m_pending.size());
    std::memcpy(buffer, m_pending.data(), got);
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Read;
    entry.bytes = m_pending.substr(0, got);
    entry.replyLength = length;
    m_pending.erase(0, got);
    if (!code && got < wanted) {
        code = ReceiveTimeoutCode();
        m_device.AdvanceTime(static_cast<uint64_t>(std::max(m_readTimeoutMs, 0)));
    }
    entry.ok = code == 0;
    entry.errorCode = code;
    Log().Add(entry);
    if (code) Failed(code, m_kind == Kind::Serial);
    return code == 0;
}

bool SimChannel::SetBaudRate(int baud) {
    if (const Failure* failure = TakeFailure(Op::SetBaudRate, std::string())) {
        LogSetting("SetBaudRate", baud);
        Log().Back().ok = false;
        Log().Back().errorCode = failure->code;
        Failed(failure->code);
        return false;
    }
    LogSetting("SetBaudRate", baud);
    if (m_kind == Kind::Serial) m_baud = baud;
    return true;
}

void SimChannel::SetCtsTimeout(int seconds) {
    LogSetting("SetCtsTimeout", seconds);
    if (m_kind == Kind::Serial) m_ctsTimeoutSeconds = seconds;
}

bool SimChannel::SetReadTimeout(int milliseconds) {
    LogSetting("SetReadTimeout", milliseconds);
    m_readTimeoutMs = milliseconds;
    return true;
}

bool SimChannel::SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) {
    LogSetting("SetWriteTimeoutConstant", constantMilliseconds);
    LogSetting("SetWriteTimeoutPerByte", perByteMilliseconds);
    return true;
}

void SimChannel::SetCommandFlag(bool flag) { LogSetting("SetCommandFlag", flag ? 1 : 0); }

void SimChannel::Close() {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Close;
    Log().Add(entry);
    if (m_kind == Kind::Hid) m_closed = true;
}

bool SimChannel::Reopen() {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Reopen;
    if (const Failure* failure = TakeFailure(Op::Reopen, std::string())) {
        entry.ok = false;
        entry.errorCode = failure->code;
        Log().Add(entry);
        Failed(failure->code);
        return false;
    }
    Log().Add(entry);
    m_closed = false;
    return true;
}
