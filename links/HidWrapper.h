#pragma once
// The channel to a transporter attached by USB HID. Escape commands travel in 61-byte
// output reports (id 2, a count, up to 58 data bytes); replies come back in input reports
// (id 1, a count, the data).

#include "links/HidDevice.h"
#include "links/ILoaderComm.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class HidWrapper : public ILoaderComm {
public:
    static constexpr int kOutputReportSize = 61;
    static constexpr int kOutputDataBytes = 58;
    static constexpr int kFlushReadWaitMs = 100;
    static constexpr int kMaxFlushReads = 11;

    // Opens nothing; Connect finds and opens the device.
    HidWrapper(uint16_t productId, const std::wstring& serialNumber, int index);
    ~HidWrapper() override;
    HidWrapper(const HidWrapper&) = delete;
    HidWrapper& operator=(const HidWrapper&) = delete;

    // Opens the first device of kHidVendorId with the product id (and serial number, when
    // one was given); a device still open is closed first. No device, or one whose input
    // report cannot hold a report id, a count and one data byte: 200 and false.
    bool Connect();

    int IsHid() override { return 1; }
    const char* GetPortName() override { return m_portName.c_str(); }
    void SetCtsTimeout(int) override {}
    bool Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                  int timeoutSeconds) override;
    bool SetBaudRate(int) override { return true; }
    int GetBaudRate() override { return 9600; }
    int GetLastErrorCode() override { return m_errorCode; }
    const char* GetLastErrorText() override { return m_errorText.c_str(); }
    bool Write(const byte* data, int length) override;
    bool Read(byte* buffer, int length) override;
    bool SetReadTimeout(int) override { return true; }
    bool SetWriteTimeouts(int, int) override { return true; }
    void Lock() override { EnterCriticalSection(&m_lock); }
    void Unlock() override { LeaveCriticalSection(&m_lock); }
    void SetCommandFlag(bool) override {}
    void Close() override;
    // Closes the device when still open, then finds and opens it again as Connect does.
    bool Reopen() override;

private:
    // Drops the input reports that arrived before a command.
    void Flush();
    // One input report into m_reportBuffer.
    bool ReadReport();
    // The device is there to use; otherwise 200.
    bool HaveDevice();
    bool Fail(int code, const std::string& text);

    uint16_t m_productId;
    int m_index;
    std::unique_ptr<HidDevice> m_device;
    std::vector<byte> m_reportBuffer;
    std::wstring m_serialNumber;
    int m_inputReportSize = 0;
    bool m_flushing = false;
    bool m_open = false;
    std::string m_portName;
    std::string m_errorText;
    int m_errorCode = ChannelError::None;
    CRITICAL_SECTION m_lock;
};
