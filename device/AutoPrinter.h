#pragma once
// The Transporter of a disc printer attached to the PC on its own, without an autoloader.
//
// Most commands go out without a reply; half a second later the printer's sense code is
// asked for ("\x1b!r3C") and decides the outcome (SendCommand). Each operation sets its own
// CTS wait, read time-out and the reply time-out of that sense request before it sends; the
// reply time-out keeps the last value set.
//
// In USB printer-port mode (parameter 280 reads 2) the printer takes its print data on one
// of the PC's USB printer ports; Initialize finds it by writing drawer commands to each port
// and watching the serial line's CTS drop (SelectUsbPort). Ports taken from the pool stay
// taken until the program ends.
//
// Bodies:
//   AutoPrinterIdentify.cpp    Identify and the kept copy of the inquiry reply
//   AutoPrinter.cpp            constructor, destructor, command core (SendCommand,
//                              RequestSense, ReadParameter, FormatStatusMessage), sense
//                              texts, Initialize, the port search and SelectUsbPort
//   AutoPrinterOperations.cpp  margins, offsets, operating mode, loading, serial number,
//                              parameter store, tray, counters, fixed answers
//   AutoPrinterFirmware.cpp    firmware file check and download
//   AutoPrinterPrint.cpp       print-grid files and print data
// Waits go through Sleeper::Wait. The print-grid files come from the program's directory and
// the tray prompt is a message box, both through the application base (framework/AppBase.h).

#include "device/InquiryRecord.h"
#include "device/Transporter.h"

#include <cstdint>
#include <string>
#include <vector>

class ILoaderComm;
class UsbPrinterPort;

// The kept copy of the last inquiry reply that AutoPrinter::Identify accepted: its first 39
// bytes, zero after the bytes it was given. Read by the constructor.
constexpr int kAutoPrinterInquiryLength = InquiryRecord::kFirstReadLength;
extern uint8_t g_autoPrinterInquiry[kAutoPrinterInquiryLength];

class AutoPrinter : public Transporter {
public:
    // One-time-programmable firmware: no colour probe, no serial numbers.
    static constexpr int kOtpFirmware = 4010;

    // True when the 16 characters at offset 7 are "CD-R AutoPrinter" (this capitalisation);
    // then keeps a copy of the reply. replyLength is the number of bytes held at reply. A
    // record shorter than its own payload length, or a payload length outside 32..96, is
    // refused.
    static bool Identify(const uint8_t* reply, int replyLength, int payloadLength);

    // Reads g_autoPrinterInquiry (must follow an Identify that returned true); sends nothing.
    explicit AutoPrinter(ILoaderComm* channel);
    // Neither closes nor gives back the USB printer ports it took.
    ~AutoPrinter() override;

    // --- Transporter operations ---
    void Initialize() override;
    bool RequestSense(int timeoutSeconds, uint16_t* loaderSense, uint16_t* printerSense) override;
    bool SetTopMargin(int margin) override;
    bool SetLeftMargin(int margin) override;
    bool SetRotationOffset(int offset) override;
    bool SetAlternateOffset(int offset) override;
    bool SetOperatingMode(int mode) override;
    bool LoadPrinter(int value) override;
    bool ReloadPrinter(int value) override;
    bool MoveDisc(bool toFirst) override;
    bool UnloadPrinter() override;
    bool IsFirmwareFileValid(const uint8_t* header, uint32_t fileSize, bool* belowMinimum) override;
    bool BeginFlash(uint32_t fileSize) override;
    bool SendFlashData(const uint8_t* data, uint32_t length) override;
    bool GetSerialNumbers(std::string& loaderSn, std::string& printerSn) override;
    bool SetSerialNumbers(const std::string& loaderSn, const std::string& printerSn) override;
    bool UpdateFlashParameters(bool includePrinter) override;
    void PulseSignal(int count) override;
    bool WritePrintData(const uint8_t* data, uint32_t length) override;
    const char* GetPrinterSenseText() override;
    const char* GetLoaderSenseText() override;
    bool PresentPrinterTray() override;
    int GetRestartDelaySeconds() override;
    bool BeginPrintJob() override;
    int ReadCounter(int selector, char key) override;
    uint32_t GetPrintGridFile(int pattern, const uint8_t** data) override;
    void ReleasePrintGridFile() override;
    int GetPrinterKind() override;

    // --- command core ---
    // Sends the command (zero-terminated) without a reply, 60 s; waits 500 ms and asks the
    // sense with m_replyTimeoutSeconds. True when the printer sense then is 0; otherwise
    // m_lastError holds the channel's text or "AutoPrinter: %s" with the sense text.
    bool SendCommand(const char* command);
    // "\x1b!f0%03dC", 12-byte reply, 10 s. *digit is written as soon as a reply arrived,
    // before the status is judged.
    bool ReadParameter(int number, int* digit);
    // Probes one candidate port: binds it as m_boundUsbPort when CTS stays off for a
    // whole second after "\x1b!d0C" went out through it. Needs a channel that can wait for
    // CTS (ICtsWaiter); on any other it writes nothing and returns false.
    bool SelectUsbPort(UsbPrinterPort* port);
    // m_lastError := "AutoPrinter: %s" with the printer sense text, or empty for sense 0.
    void FormatStatusMessage();

protected:
    // CTS wait of 3 s, then the sense request whose answer is not used: the start of the
    // operations that change the printer's state.
    void SenseFirst();
    // One exchange; a channel failure keeps the channel's text in m_lastError.
    bool Exchange(const std::string& command, uint8_t* reply, int replyLength,
                  int timeoutSeconds);
    // After a reply whose status byte is not '1': a sense request and, when it answers,
    // the status message. Always false.
    bool ReportRefusal();
    // Sets m_replyTimeoutSeconds, then SendCommand.
    bool SendWithReplyTimeout(const std::string& command, int replyTimeoutSeconds);
    // SenseFirst, then one command with reply time-out 3: the margin and mode settings.
    bool SendSetting(const std::string& command);
    // The colour probe of Initialize (printers below 6000 without OTP firmware).
    void ProbeColour();
    // Takes each pool port in turn, keeps the ones that open and take the first probe.
    void SearchUsbPorts();

    ILoaderComm* m_channel;
    int m_replyTimeoutSeconds = 20;
    bool m_usbPrinterMode = false;
    std::vector<UsbPrinterPort*> m_usbPortCandidates;
    UsbPrinterPort* m_boundUsbPort = nullptr;
    std::vector<uint8_t> m_printGridBuffer;
};
