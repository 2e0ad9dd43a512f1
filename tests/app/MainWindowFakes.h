#pragma once
// A channel and a device that do nothing but note their end in a shared log, for the main
// window's own tests (ownership and close order).
#include "device/Transporter.h"
#include "links/ILoaderComm.h"

#include <string>
#include <vector>

class LoggedChannel : public ILoaderComm {
public:
    explicit LoggedChannel(std::vector<std::string>& log) : m_log(log) {}
    ~LoggedChannel() override { m_log.push_back("channel released"); }
    int IsHid() override { return 0; }
    const char* GetPortName() override { return "COM3"; }
    void SetCtsTimeout(int) override {}
    bool Transact(const byte*, int, byte*, int, int) override { return false; }
    bool SetBaudRate(int) override { return false; }
    int GetBaudRate() override { return 0; }
    int GetLastErrorCode() override { return 0; }
    const char* GetLastErrorText() override { return ""; }
    bool Write(const byte*, int) override { return false; }
    bool Read(byte*, int) override { return false; }
    bool SetReadTimeout(int) override { return false; }
    bool SetWriteTimeouts(int, int) override { return false; }
    void Lock() override {}
    void Unlock() override {}
    void SetCommandFlag(bool) override {}
    void Close() override {}
    bool Reopen() override { return false; }

private:
    std::vector<std::string>& m_log;
};

class LoggedTransporter : public Transporter {
public:
    explicit LoggedTransporter(std::vector<std::string>& log) : m_log(log) {}
    ~LoggedTransporter() override { m_log.push_back("device released"); }
    void Initialize() override {}
    bool RequestSense(int, uint16_t*, uint16_t*) override { return false; }
    bool SetTopMargin(int) override { return false; }
    bool SetLeftMargin(int) override { return false; }
    bool SetRotationOffset(int) override { return false; }
    bool SetAlternateOffset(int) override { return false; }
    bool SetOperatingMode(int) override { return false; }
    bool LoadPrinter(int) override { return false; }
    bool ReloadPrinter(int) override { return false; }
    bool MoveDisc(bool) override { return false; }
    bool UnloadPrinter() override { return false; }
    bool IsFirmwareFileValid(const uint8_t*, uint32_t, bool*) override { return false; }
    bool BeginFlash(uint32_t) override { return false; }
    bool SendFlashData(const uint8_t*, uint32_t) override { return false; }
    bool GetSerialNumbers(std::string&, std::string&) override { return false; }
    bool SetSerialNumbers(const std::string&, const std::string&) override { return false; }
    bool UpdateFlashParameters(bool) override { return false; }
    void PulseSignal(int) override {}
    bool WritePrintData(const uint8_t*, uint32_t) override { return false; }
    const char* GetPrinterSenseText() override { return ""; }
    const char* GetLoaderSenseText() override { return ""; }
    bool PresentPrinterTray() override { return false; }
    int GetRestartDelaySeconds() override { return 0; }
    bool BeginPrintJob() override { return false; }
    uint32_t GetPrintGridFile(int, const uint8_t** data) override {
        *data = nullptr;
        return 0;
    }

private:
    std::vector<std::string>& m_log;
};
