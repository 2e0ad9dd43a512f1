#pragma once
// The Transporter of an autoloader, with or without a disc printer attached to it.
//
// This header is the one place of the class; its bodies are spread over several files:
//   VardenTransporter.cpp               identification, constructor and model rules,
//                                       destructor, command core (SendCommand,
//                                       ReadParameter, SetParameter, SetParameterFlag,
//                                       SetBaudRate, RequestSense, FormatStatusMessage),
//                                       sense texts
//   VardenTransporterInit.cpp           Initialize, SelectUsbPort, SetAlternateOffset,
//                                       GetRestartDelaySeconds, SupportsPlattorParams,
//                                       HasItsCounters
//   VardenTransporterLoading.cpp        margins, offsets, operating mode, printer loading,
//                                       IsPrinterLoaded, BeginPrintJob, RunGripperTest
//                                       (its boxes through AppBase::ShowMessage),
//                                       PulseSignal
//   VardenTransporterSettings.cpp       serial numbers, display parameters,
//                                       UpdateFlashParameters
//   VardenTransporterCounters.cpp       ReadCounter, SupportsPickCounter, GetPrinterKind
//   VardenTransporterPrint.cpp          print-grid file, print data, tray, completion wait
//   VardenTransporterFirmwareCheck.cpp  IsFirmwareFileValid and its helpers
//   VardenTransporterFlash.cpp          BeginFlash, SendFlashData, SwitchToBootMode,
//                                       ReconnectAfterFlash
// Waits go through Sleeper::Wait (device/Sleeper.h), never straight to the system.

#include "device/InquiryRecord.h"
#include "device/Transporter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ILoaderComm;
class UsbPrinterPort;

// The kept copy of the last inquiry reply that VardenTransporter::Identify accepted, zero
// after the bytes it was given, and the payload length it was told. Read by the
// constructor and by the firmware check.
extern uint8_t g_vardenInquiry[InquiryRecord::kBufferLength];
extern int g_vardenInquiryLength;

class VardenTransporter : public Transporter {
public:
    // Parameter 260: where the disc stands in the printer (0 idle, 1 load / loaded, 2 take
    // out, 3 USB printer-port probe).
    static constexpr int PrinterLoadState = 260;

    // True when the loader model of the record is an accepted autoloader model; then keeps a
    // copy of the reply (at most its first 103 bytes) for the constructor. replyLength is
    // the number of bytes held at reply. A record shorter than its own payload length, or a
    // payload length outside 32..96, is refused.
    static bool Identify(const uint8_t* reply, int replyLength, int payloadLength);

    // Reads the kept copy: must follow an Identify that returned true. Sends nothing.
    explicit VardenTransporter(ILoaderComm* channel);
    ~VardenTransporter() override;

    // --- Transporter operations ---
    void RunGripperTest(int kind) override;
    void Initialize() override;
    bool RequestSense(int timeoutSeconds, uint16_t* loaderSense, uint16_t* printerSense) override;
    bool SetTopMargin(int margin) override;
    bool SetLeftMargin(int margin) override;
    bool SetRotationOffset(int offset) override;
    bool SetAlternateOffset(int offset) override;
    bool SetOperatingMode(int mode) override;
    bool LoadPrinter(int rotationOffset) override;
    bool ReloadPrinter(int rotationOffset) override;
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
    bool WaitForPrintCompletion() override;
    bool SupportsPlattorParams() override;
    bool SetPlattorParams(const std::string& name, bool firstFlag, bool overrideName,
                          bool fifthFlag, int beepCount) override;
    bool GetPlattorParams(std::string& name, bool& firstFlag, bool& overrideName,
                          bool& fifthFlag, int& beepCount) override;
    bool SupportsPickCounter() override;
    bool HasItsCounters() override;
    bool ReconnectAfterFlash() override;
    bool IsPrinterLoaded() override;

    // --- command core ---
    // Sends the command (a zero-terminated text) for a 6-byte acknowledgement. Channel
    // failure: m_lastError := the channel's text. Refused (byte 4 not '1'): one sense
    // request and, when it answers, the status message. False in both cases.
    bool SendCommand(const char* command, int timeoutSeconds);
    // "\x1b!f0%03dC", 12-byte reply, 10 s. *digit is written as soon as a reply arrived,
    // before the status is judged; value may be null.
    bool ReadParameter(int number, int* digit, uint16_t* value);
    // "\x1b!f1%03d%cC", 60 s; sent once more when it fails with printer sense 15.
    bool SetParameter(int number, int digit);
    // "\x1b!f2%03d%cC" with '1' or '0', 30 s; the same single repeat on printer sense 15.
    bool SetParameterFlag(int number, bool on);
    // Tells the device its new rate ("\x1b!b11520C" for 115200); the channel's own rate is
    // the caller's step.
    bool SetBaudRate(int baud);
    // m_lastError := "Transporter: %s" (loader text), else "Printer: %s", else empty.
    void FormatStatusMessage();

    // --- USB printer-port probe (initialisation) ---
    bool SelectUsbPort(UsbPrinterPort* port);

    // --- printing ---
    bool PollPrintCompletion();

    // --- firmware check ---
    bool ReadVersionBytes(uint8_t* first, uint8_t* second);
    bool ReadVersionText(std::string* text);
    // '0'..'9', 'a'..'f', 'A'..'F'; any other character throws std::out_of_range.
    static int ParseHexDigit(char c);
    // Six characters "dd.ddd" to their number; *invalid set (and 0 returned) otherwise.
    static int ParseVersionText(const uint8_t* text, bool* invalid);
    void MatchLoaderFirmware(const uint8_t* header);
    void CompareFirmwareVersion(const uint8_t* header);
    void CheckMinimumVersion7340(const uint8_t* header);
    void CheckMinimumVersion7341(const uint8_t* header);

    // --- firmware download ---
    bool SwitchToBootMode(uint32_t fileSize);

protected:
    // Sends one command frame and reads replyLength bytes into reply; on a channel failure
    // m_lastError := the channel's text. Shared by the routines that read data replies.
    bool Exchange(const std::string& command, uint8_t* reply, int replyLength,
                  int timeoutSeconds);
    // After a refused reply: one sense request and, when it answers, the status message.
    void ReportRefusal();
    // Sends a one-digit or flag parameter write, once more on printer sense 15.
    bool SendParameterWrite(const std::string& command, int timeoutSeconds);

    // Firmware check: marks the file as the printer's firmware (not padded); true.
    bool AcceptPrinterFirmware();
    // "\x1b!e7C" for replyLength bytes; false on a channel failure or a refusal (which
    // costs one sense request). Sets no error text.
    bool QueryVersion(uint8_t* reply, int replyLength);
    // Firmware download: the 7340 family and the QRX switch to a boot loader for it.
    bool HasBootLoader() const;
    // Up to five sense requests until one answers (500 ms apart), then the one that counts.
    bool AwaitSense();
    // The inquiry after an update: a record with a payload of 32 to 96 bytes.
    bool ReadIdentityAfterFlash(int firstTimeoutSeconds,
                                uint8_t (&record)[InquiryRecord::kBufferLength]);
    // Printing: the print file's name for the pattern (false: none); the printer's fault as
    // the error text (false).
    bool PrintFileName(int pattern, std::string* name);
    bool PrintFailed();

    // The digit of a parameter read that succeeded; nothing when the read failed.
    std::optional<int> ReadParameterDigit(int number);
    // Initialisation steps: the printer kind, the colour probe, the USB printer ports that
    // take the drawer command.
    void ProbePrinterKind();
    void ProbeColour();
    void CollectUsbPortCandidates();
    // Printer loading: the load command with the rotation offset, or PrinterLoadState 1
    // (tried once more on printer sense 15 when retry is set).
    bool SendLoad(int rotationOffset, bool retry);
    // Margins and the rotation offset: the sense first, then "\x1b!f<which>%03dC".
    bool SendOffsetSetting(char which, int value);
    // Stored texts: the 8 characters of a read ("\x1b!f:%03dC"); on a channel failure the
    // error text is prefix and the channel's text. Refused reads report the sense.
    enum class TextRead { Read, ChannelFailed, Refused };
    TextRead ReadStoredText(int number, int timeoutSeconds, const char* prefix,
                            std::string* text);
    bool WriteStoredText(int number, const std::string& text);
    // Serial numbers and display parameters: boot firmware, and firmware below the minimum
    // unless anyFirmware, are refused with "<operation> failed - ..." as the error text.
    bool PassesFirmwareGate(const char* operation, unsigned minimumFirmware, bool anyFirmware);
    bool PassesPlattorGate(const char* operation);
    // A parameter-store command: false when the device refuses it or the channel fails
    // other than by a receive time-out (the device restarts to store).
    bool SendStoreCommand(const char* command);

    ILoaderComm* m_channel;
    std::vector<uint8_t> m_printGridBuffer;
    std::string m_loaderSenseText;
    std::string m_printerSenseText;
    UsbPrinterPort* m_boundUsbPort = nullptr;
    std::vector<UsbPrinterPort*> m_usbPortCandidates;
    std::string m_expectedInquiry;
    bool m_oldFirmware = false;
    bool m_printerKindPavenor = false;
    bool m_printerKindQuinter = false;
    bool m_printerKindFerlo = false;
    bool m_printerKindDravik = false;
    bool m_isDesktop = false;
    bool m_isQM7310 = false;
    bool m_is7310 = false;
    bool m_is7330 = false;
    bool m_isTessaranIII = false;
    bool m_isTessaranIV = false;
    bool m_is3900j = false;
    bool m_is7340Family = false;
    bool m_is7340 = false;
    bool m_is6340 = false;
    bool m_is7341 = false;
    bool m_is6341 = false;
    bool m_is7345 = false;
    bool m_is6345 = false;
    bool m_isQrx = false;
    bool m_printerKindSerialTolvane = false;
    bool m_hasTolvanePrinter = false;
    bool m_isXJQN21 = false;
    bool m_isXJQN22 = false;
    bool m_isXJQN23 = false;
    bool m_isAutoPrinterLoader = false;
    bool m_isAutoPrinterV6 = false;
    bool m_firmwareFileAccepted = false;
    bool m_firmwareOlder = false;
    char m_revisionLetter = 0;

private:
    void ApplyModelRules(const uint8_t* record);
    void ApplyPrinterRules(const uint8_t* record);
};
