#pragma once
// The abstract device: an autoloader (VardenTransporter) or a stand-alone disc printer
// (AutoPrinter). Every window talks to the device only through the virtual operations
// below and reads capabilities, firmware numbers, the inquiry text and the last error text
// through the plain accessors. The base class talks to no device itself.
//
// Calling order: construct the subclass on a channel (not owned), call Initialize once, then
// any operation, one at a time, on the user-interface thread; destroy it before the channel.
// Operations report failure by false (or -1 for counters) and leave the reason in
// m_lastError (GetErrorText). Nothing here throws. Texts handed out as const char* point
// into the object's own strings and stay valid until that string changes.
//
// Where the bodies live: Transporter.cpp (construction, accessors, base defaults, the
// USB print failure text), TransporterPrintWait.cpp (the base WaitForPrintCompletion); the
// subclasses' files are listed in VardenTransporter.h and AutoPrinter.h.

#include <cstdint>
#include <string>

class UsbPrinterPort;

class Transporter {
public:
    // The time-out argument of RequestSense that means "the class's default".
    static constexpr int kDefaultSenseTimeout = -1;

    virtual ~Transporter();

    // --- virtual operations, in slot order ---
    virtual void RunGripperTest(int kind);  // base: nothing
    virtual void Initialize() = 0;
    // timeoutSeconds -1 = the class's default; either pointer may be null.
    virtual bool RequestSense(int timeoutSeconds, uint16_t* loaderSense,
                              uint16_t* printerSense) = 0;
    virtual bool SetTopMargin(int margin) = 0;
    virtual bool SetLeftMargin(int margin) = 0;
    virtual bool SetRotationOffset(int offset) = 0;
    virtual bool SetAlternateOffset(int offset) = 0;
    virtual bool SetOperatingMode(int mode) = 0;
    virtual bool LoadPrinter(int rotationOffset) = 0;  // -1 = none
    virtual bool ReloadPrinter(int rotationOffset) = 0;
    virtual bool MoveDisc(bool toFirst) = 0;
    virtual bool UnloadPrinter() = 0;
    // header: the first 16384 bytes of the file (zero-filled past its end).
    virtual bool IsFirmwareFileValid(const uint8_t* header, uint32_t fileSize,
                                     bool* belowMinimum) = 0;
    virtual bool BeginFlash(uint32_t fileSize) = 0;
    virtual bool SendFlashData(const uint8_t* data, uint32_t length) = 0;
    virtual bool GetSerialNumbers(std::string& loaderSn, std::string& printerSn) = 0;
    virtual bool SetSerialNumbers(const std::string& loaderSn, const std::string& printerSn) = 0;
    virtual bool UpdateFlashParameters(bool includePrinter) = 0;
    virtual void PulseSignal(int count) = 0;
    virtual bool WritePrintData(const uint8_t* data, uint32_t length) = 0;
    virtual const char* GetPrinterSenseText() = 0;
    virtual const char* GetLoaderSenseText() = 0;
    virtual bool PresentPrinterTray() = 0;
    virtual int GetRestartDelaySeconds() = 0;
    virtual bool BeginPrintJob() = 0;
    // selector: every caller passes 0. Result -1 = not available. Base: -1.
    virtual int ReadCounter(int selector, char key);
    // Returns the file's size and sets *data to its bytes; 0 and null when there is no
    // file. The bytes stay valid until ReleasePrintGridFile, the next call or destruction.
    virtual uint32_t GetPrintGridFile(int pattern, const uint8_t** data) = 0;
    virtual void ReleasePrintGridFile();  // base: nothing
    virtual int GetPrinterKind();         // base: 5
    virtual bool WaitForPrintCompletion();
    virtual bool SupportsPlattorParams();  // base: false
    virtual bool SetPlattorParams(const std::string& name, bool firstFlag, bool overrideName,
                                  bool fifthFlag, int beepCount);  // base: false
    virtual bool GetPlattorParams(std::string& name, bool& firstFlag, bool& overrideName,
                                  bool& fifthFlag, int& beepCount);  // base: false
    virtual bool SupportsPickCounter();  // base: false
    virtual bool HasItsCounters();       // base: false
    virtual bool ReconnectAfterFlash();  // base: true
    virtual bool IsPrinterLoaded();      // base: false

    // --- accessors ---
    const char* GetErrorText() const { return m_lastError.c_str(); }
    const char* GetInquiryId() const { return m_inquiryText.c_str(); }
    bool IsStandalonePrinter() const { return m_isStandalonePrinter; }
    int GetPrinterPresent() const { return m_printerPresent; }
    int GetPrinterFirmwareVersion() const { return m_printerFirmwareVersion; }
    bool SupportsRotationOffset() const { return m_rotationOffsetSupported; }
    bool SupportsSettings() const { return m_settingsSupported; }
    bool HasMarginSettings() const { return m_marginSettings; }
    bool CanCalibrate() const { return m_canCalibrate; }
    bool CanPrintGrid() const { return m_canPrint && m_printerPresent > 0; }
    bool UsesPaddedFlashImage() const { return m_paddedFlashImage; }
    bool HasSerialNumbers() const { return m_hasSerialNumbers; }
    bool CanWritePrinterSn() const { return m_printerSnWritable; }
    bool CanWriteLoaderSn() const { return m_loaderSnWritable; }
    uint16_t GetFlashTrailerWord() const { return m_flashTrailerWord; }
    // A padded firmware image is the file, 0xFF bytes up to kPaddedFillEnd bytes and the
    // trailer word, high byte first: kPaddedImageLength bytes in all.
    static constexpr uint32_t kPaddedFillEnd = 65532;
    static constexpr uint32_t kPaddedImageLength = 65534;
    // The number of firmware bytes the device is told to expect and must then be sent for a
    // file of fileSize bytes: kPaddedImageLength for a padded image, else fileSize. 0 when
    // no image can be made: an empty file, or a file too long to be padded.
    uint32_t GetFlashImageLength(uint32_t fileSize) const {
        if (fileSize == 0 || (m_paddedFlashImage && fileSize > kPaddedFillEnd)) return 0;
        return m_paddedFlashImage ? kPaddedImageLength : fileSize;
    }
    bool IsPrinterFirmwareFile() const { return m_printerFirmwareFile; }
    void ClearPrinterFirmwareFile() { m_printerFirmwareFile = false; }

    Transporter(const Transporter&) = delete;
    Transporter& operator=(const Transporter&) = delete;

protected:
    Transporter();

    // The status of print data that a USB printer port did not take: "Print failed - " and
    // the port's own reason, or its name and error code when it keeps no text.
    static std::string UsbPrintFailure(const UsbPrinterPort& port);

    int m_firmwareVersion = 0;
    int m_printerFirmwareVersion = 0;
    std::string m_inquiryText;
    std::string m_senseText;
    std::string m_lastError;
    bool m_isStandalonePrinter = false;
    bool m_bootFirmware = false;
    bool m_colorPrinter = false;
    bool m_rotationOffsetSupported = false;
    bool m_settingsSupported = false;
    bool m_canPrint = true;
    bool m_paddedFlashImage = false;
    bool m_canCalibrate = true;
    bool m_hasSerialNumbers = true;
    bool m_printerFirmwareFile = false;
    bool m_printerSnWritable = true;
    bool m_loaderSnWritable = true;
    bool m_marginSettings = true;
    int m_printerPresent = 0;
    uint16_t m_loaderSense = 0;
    uint16_t m_printerSense = 0;
    uint16_t m_flashTrailerWord = 0;
};
