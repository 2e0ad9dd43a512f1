#include "device/AutoPrinter.h"

#include "device/EscCommand.h"
#include "device/SenseTexts.h"
#include "device/Sleeper.h"
#include "links/ICtsWaiter.h"
#include "links/ILoaderComm.h"
#include "links/UsbPrinterPool.h"

namespace {

const char kSenseCommand[] = "\x1b!r3C";
constexpr int kSenseReplyLength = 9;
constexpr int kSenseCodeOffset = 5;
constexpr int kSenseCodeLength = 3;

constexpr int kNoReplyTimeoutSeconds = 60;
constexpr unsigned kSenseDelayMs = 500;

constexpr int kParameterReplyLength = 12;
constexpr int kParameterReadTimeoutSeconds = 10;
constexpr int kParameterDigitOffset = 5;
// Parameter 280 reads 2 when the printer takes its print data on a USB printer port.
constexpr int kPrintPathParameter = 280;
constexpr int kUsbPrintPath = 2;

constexpr int kReadTimeoutMs = 20000;
constexpr int kInitReplyTimeoutSeconds = 10;
constexpr int kColourProbeFirmwareLimit = 6000;
const char kColourProbe[] = "\x1b!a3H";
constexpr unsigned kColourProbeWaitMs = 5000;
constexpr unsigned kDrawerSettleMs = 1000;

const char kDrawerIn[] = "\x1b!d1C";
const char kDrawerOut[] = "\x1b!d0C";
constexpr DWORD kDrawerCommandLength = 5;
constexpr unsigned kProbeDrawerInWaitMs = 5000;
constexpr unsigned kProbeDrawerOutWaitMs = 100;
constexpr int kProbeCtsWaitSeconds = 1;
constexpr unsigned kProbeBoundWaitMs = 3000;

}  // namespace

AutoPrinter::AutoPrinter(ILoaderComm* channel) : m_channel(channel) {
    m_isStandalonePrinter = true;
    m_printerPresent = 1;
    m_inquiryText = InquiryRecord::IdentityText(g_autoPrinterInquiry);
    m_firmwareVersion =
        InquiryRecord::FirmwareNumber(g_autoPrinterInquiry + InquiryRecord::kLoaderVersionOffset,
                                      false);
    m_bootFirmware = m_firmwareVersion == kOtpFirmware;
    m_printerFirmwareVersion = m_firmwareVersion;
}

AutoPrinter::~AutoPrinter() {}

// --- command core ---

bool AutoPrinter::Exchange(const std::string& command, uint8_t* reply, int replyLength,
                           int timeoutSeconds) {
    if (EscCommand::Transact(m_channel, command, reply, replyLength, timeoutSeconds)) return true;
    m_lastError = m_channel->GetLastErrorText();
    return false;
}

bool AutoPrinter::SendCommand(const char* command) {
    if (!Exchange(command, nullptr, 0, kNoReplyTimeoutSeconds)) return false;
    Sleeper::Wait(kSenseDelayMs);
    if (!RequestSense(kDefaultSenseTimeout, nullptr, nullptr)) return false;
    FormatStatusMessage();
    return m_printerSense == 0;
}

bool AutoPrinter::SendWithReplyTimeout(const std::string& command, int replyTimeoutSeconds) {
    m_replyTimeoutSeconds = replyTimeoutSeconds;
    return SendCommand(command.c_str());
}

bool AutoPrinter::RequestSense(int timeoutSeconds, uint16_t* loaderSense,
                               uint16_t* printerSense) {
    m_printerSense = 0;
    m_loaderSense = 0;
    if (timeoutSeconds == kDefaultSenseTimeout) timeoutSeconds = m_replyTimeoutSeconds;
    uint8_t reply[kSenseReplyLength];
    if (!Exchange(kSenseCommand, reply, kSenseReplyLength, timeoutSeconds)) return false;
    // The status byte is not judged: the code stands in bytes 5 to 7 either way.
    m_printerSense = static_cast<uint16_t>(
        EscCommand::ParseDecimal(reply + kSenseCodeOffset, kSenseCodeLength));
    if (loaderSense) *loaderSense = 0;
    if (printerSense) *printerSense = m_printerSense;
    return true;
}

bool AutoPrinter::ReadParameter(int number, int* digit) {
    uint8_t reply[kParameterReplyLength];
    if (!Exchange(EscCommand::Format("\x1b!f0%03dC", number), reply, kParameterReplyLength,
                  kParameterReadTimeoutSeconds))
        return false;
    *digit = reply[kParameterDigitOffset] - '0';
    return EscCommand::IsAccepted(reply) || ReportRefusal();
}

bool AutoPrinter::ReportRefusal() {
    if (RequestSense(kDefaultSenseTimeout, nullptr, nullptr)) FormatStatusMessage();
    return false;
}

void AutoPrinter::FormatStatusMessage() {
    if (m_printerSense != 0)
        m_lastError = std::string("AutoPrinter: ") + GetPrinterSenseText();
    else
        m_lastError.clear();
}

const char* AutoPrinter::GetPrinterSenseText() {
    m_senseText = SenseTexts::Describe(
        SenseTexts::PrinterText(m_printerSense, SenseTexts::kStandalonePrinterCodes),
        m_printerSense);
    return m_senseText.c_str();
}

const char* AutoPrinter::GetLoaderSenseText() { return ""; }

// --- set-up ---

void AutoPrinter::Initialize() {
    m_channel->SetReadTimeout(kReadTimeoutMs);
    m_rotationOffsetSupported = true;
    m_settingsSupported = true;
    if (!m_bootFirmware && m_firmwareVersion < kColourProbeFirmwareLimit) ProbeColour();

    int digit = -1;
    if (ReadParameter(kPrintPathParameter, &digit) && digit == kUsbPrintPath) {
        m_usbPrinterMode = true;
        m_rotationOffsetSupported = false;
        m_loaderSnWritable = false;
    }
    if (m_usbPrinterMode) SearchUsbPorts();
}

void AutoPrinter::ProbeColour() {
    if (!EscCommand::Transact(m_channel, kColourProbe, nullptr, 0, kNoReplyTimeoutSeconds))
        return;
    Sleeper::Wait(kColourProbeWaitMs);
    m_channel->SetCtsTimeout(kInitReplyTimeoutSeconds);
    m_replyTimeoutSeconds = kInitReplyTimeoutSeconds;
    if (!RequestSense(kInitReplyTimeoutSeconds, nullptr, nullptr)) return;
    if (m_printerSense == 0) m_colorPrinter = true;
    EscCommand::Transact(m_channel, kDrawerIn, nullptr, 0, kNoReplyTimeoutSeconds);
    Sleeper::Wait(kDrawerSettleMs);
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
}

void AutoPrinter::SearchUsbPorts() {
    UsbPrinterPool& pool = UsbPrinterPool::Instance();
    pool.Initialize();
    // Each port of the pool is tried once, in order; one lent elsewhere is passed over.
    const int count = pool.GetPortCount();
    for (int index = 0; index < count; ++index) {
        UsbPrinterPort* port = pool.AcquirePort(index);
        if (!port) continue;
        if (port->Open() && port->Write(kDrawerIn, kDrawerCommandLength))
            m_usbPortCandidates.push_back(port);
        else
            pool.ReleasePort(port);
    }
    for (UsbPrinterPort* port : m_usbPortCandidates) {
        if (SelectUsbPort(port)) {
            m_printerPresent = 1;
            return;
        }
    }
}

bool AutoPrinter::SelectUsbPort(UsbPrinterPort* port) {
    ICtsWaiter* cts = dynamic_cast<ICtsWaiter*>(m_channel);
    if (!cts) return false;
    if (!port->Write(kDrawerIn, kDrawerCommandLength)) return false;
    Sleeper::Wait(kProbeDrawerInWaitMs);
    if (!port->Write(kDrawerOut, kDrawerCommandLength)) return false;
    Sleeper::Wait(kProbeDrawerOutWaitMs);
    if (cts->WaitForCts(kProbeCtsWaitSeconds)) return false;
    // Only a wait that ran out binds the port: a modem status that could not be read says
    // nothing about where this port leads.
    if (m_channel->GetLastErrorCode() != ChannelError::CtsOff) return false;
    m_boundUsbPort = port;
    port->Write(kDrawerIn, kDrawerCommandLength);
    Sleeper::Wait(kProbeBoundWaitMs);
    return true;
}
