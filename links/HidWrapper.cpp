#include "links/HidWrapper.h"

#include "links/HidDeviceSearch.h"
#include "links/HidSystem.h"
#include "links/SystemUtil.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
constexpr byte kOutputReportId = 2;
constexpr byte kInputReportId = 1;
// Report id, count and at least one data byte.
constexpr int kMinInputReportSize = 3;
// A transfer asked with a negative length or without its buffer.
constexpr const char* kBadWrite = "HID write refused: bad length or data";
constexpr const char* kBadRead = "HID read refused: bad length or buffer";
}  // namespace

HidWrapper::HidWrapper(uint16_t productId, const std::wstring& serialNumber, int index)
    : m_productId(productId),
      m_index(index),
      m_serialNumber(serialNumber),
      m_portName("HID-" + std::to_string(index)) {
    InitializeCriticalSection(&m_lock);
}

HidWrapper::~HidWrapper() {
    Close();
    DeleteCriticalSection(&m_lock);
}

bool HidWrapper::Fail(int code, const std::string& text) {
    m_errorCode = code;
    m_errorText = text;
    return false;
}

bool HidWrapper::Connect() {
    // A device still open is closed first, so that its handle does not go with it.
    Close();
    m_device = OpenHidDevice(kHidVendorId, m_productId, m_serialNumber);
    if (m_device && m_device->GetInputReportSize() < kMinInputReportSize) {
        m_device->Close();
        m_device.reset();
    }
    if (!m_device) return Fail(ChannelError::HidNoDevice, "HID device not found");
    m_inputReportSize = m_device->GetInputReportSize();
    m_reportBuffer.assign(static_cast<size_t>(m_inputReportSize), 0);
    m_open = true;
    return true;
}

void HidWrapper::Close() {
    if (!m_open) return;
    m_device->Close();
    m_open = false;
}

bool HidWrapper::Reopen() {
    Close();
    return Connect();
}

bool HidWrapper::HaveDevice() {
    if (m_open && m_device) return true;
    return Fail(ChannelError::HidNoDevice, "HID device not open");
}

bool HidWrapper::Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                          int timeoutSeconds) {
    if (commandLength < 0) return Fail(ChannelError::HidWriteFailed, kBadWrite);
    if (replyLength < 0) return Fail(ChannelError::HidReadError, kBadRead);
    if (!HaveDevice()) return false;
    if (replyLength != 0) Flush();
    const int seconds = std::min(std::max(timeoutSeconds, 0), INT_MAX / 1000);
    m_device->SetReadTimeout(seconds * 1000);
    if (!Write(command, commandLength)) return false;
    if (replyLength == 0 || reply == nullptr) return true;
    return Read(reply, replyLength);
}

void HidWrapper::Flush() {
    m_flushing = true;
    m_device->SetReadTimeout(kFlushReadWaitMs);
    for (int i = 0; i < kMaxFlushReads && ReadReport(); ++i) {
    }
    m_flushing = false;
}

bool HidWrapper::Write(const byte* data, int length) {
    if (length == 0) return true;
    if (length < 0 || data == nullptr) return Fail(ChannelError::HidWriteFailed, kBadWrite);
    if (!HaveDevice()) return false;
    byte report[kOutputReportSize] = {};
    for (int sent = 0; sent < length;) {
        const int n = std::min(length - sent, kOutputDataBytes);
        report[0] = kOutputReportId;
        report[1] = static_cast<byte>(n);
        std::memcpy(report + 2, data + sent, static_cast<size_t>(n));
        const int status = m_device->Write(report, kOutputReportSize);
        if (status != HidDevice::Ok) {
            return Fail(ChannelError::HidWriteFailed,
                        NarrowString(FormatMessageText(
                            L"SetOutputReport_Interrupt status = %1!d!", status)));
        }
        sent += n;
    }
    return true;
}

bool HidWrapper::ReadReport() {
    std::fill(m_reportBuffer.begin(), m_reportBuffer.end(), 0);
    switch (m_device->Read(m_reportBuffer.data(), static_cast<DWORD>(m_inputReportSize))) {
    case HidDevice::Ok:
        return true;
    case HidDevice::TimedOut:
        if (m_flushing) return false;
        return Fail(ChannelError::HidReceiveTimeout, "HID receive timeout");
    default:
        return Fail(ChannelError::HidReadError, "HID read error");
    }
}

bool HidWrapper::Read(byte* buffer, int length) {
    if (length == 0) return false;
    if (length < 0 || buffer == nullptr) return Fail(ChannelError::HidReadError, kBadRead);
    if (!HaveDevice()) return false;
    FileIo& clock = HidSystem::Current();
    const ULONGLONG wait = static_cast<ULONGLONG>(std::max(m_device->GetReadTimeout(), 0));
    // Each report with data renews the wait; reports without data do not, so a device
    // that keeps sending empty reports cannot hold the read for ever.
    ULONGLONG deadline = clock.Ticks() + wait;
    int got = 0;
    for (;;) {
        if (!ReadReport()) return false;
        if (m_reportBuffer[0] != kInputReportId) {
            return Fail(ChannelError::HidReadError,
                        "HID input report id " + std::to_string(m_reportBuffer[0]));
        }
        // A count larger than the report is taken as the report's room.
        const int count = std::min<int>(m_reportBuffer[1], m_inputReportSize - 2);
        const int take = std::min(count, length - got);
        std::memcpy(buffer + got, m_reportBuffer.data() + 2, static_cast<size_t>(take));
        got += take;
        if (got == length) return true;
        const ULONGLONG now = clock.Ticks();
        if (take > 0) {
            deadline = now + wait;
        } else if (now >= deadline) {
            return Fail(ChannelError::HidReceiveTimeout, "HID receive timeout");
        }
    }
}
