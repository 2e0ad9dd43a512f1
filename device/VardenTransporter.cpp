#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/SenseTexts.h"
#include "links/ILoaderComm.h"

uint8_t g_vardenInquiry[InquiryRecord::kBufferLength];
int g_vardenInquiryLength = 0;

namespace {

struct ModelText {
    const char* text;
    int length;  // compared bytes, blanks included
};

// Loader models an autoloader answers with, in the order they are tried.
const ModelText kAcceptedModels[] = {
    {"CD-R TRANSPORTER", 16}, {"CD-R AUTOPRINTER", 16}, {"MORAVEN DESKTOP ", 16},
    {"VARDEN 3900j    ", 16}, {"VARDEN QM7310   ", 16}, {"VARDEN QM7320   ", 16},
    {"VARDEN QM7330   ", 16}, {"VARDEN 7330     ", 16}, {"VARDEN 7310     ", 16},
    {"VARDEN BOOT     ", 16}, {"Tessaran II E05 ", 16}, {"Tessaran II P05 ", 16},
    {"Tessaran II E06 ", 16}, {"Tessaran II P06 ", 16}, {"Tessaran III", 12},
    {"Tessaran  IV", 12},     {"VARDEN 7340     ", 16}, {"VARDEN 6340     ", 16},
    {"VARDEN 7341     ", 16}, {"VARDEN 6341     ", 16}, {"VARDEN 7345     ", 16},
    {"VARDEN 6345     ", 16}, {"VARDEN QRX", 10},       {"BOOT7", 5},
    {"BOOT8", 5},             {"BOOT", 4},
};

// Position of the character that tells a Tessaran II with the newer board ('6').
constexpr int kTessaranBoardChar = 14;

const char kSenseCommand[] = "\x1b!e1C";
constexpr int kSenseReplyLength = 11;
// The serially controlled Tolvane printer kind answers its own sense command.
const char kTolvaneSenseCommand[] = "\x1b!f0C";
constexpr int kTolvaneSenseReplyLength = 6;
constexpr int kDefaultSenseTimeoutSeconds = 3;
constexpr int kSenseRepeatTimeoutSeconds = 3;

constexpr int kParameterReplyLength = 12;
constexpr int kParameterReadTimeoutSeconds = 10;
constexpr int kParameterWriteTimeoutSeconds = 60;
constexpr int kParameterFlagTimeoutSeconds = 30;
// A refused parameter write is sent once more on this printer sense ("Printhead Integrity").
constexpr uint16_t kRepeatWriteSense = 15;

const char kBaudAccepted[] = "\x1b!b1C";
constexpr int kBaudReplyLength = 5;
constexpr int kBaudTimeoutSeconds = 20;

bool ModelIs(const uint8_t* record, const char* text, int length) {
    return EscCommand::FieldEquals(record + InquiryRecord::kLoaderModelOffset, text, length);
}

}  // namespace

bool VardenTransporter::Identify(const uint8_t* reply, int replyLength, int payloadLength) {
    if (!InquiryRecord::HoldsRecord(reply, replyLength, payloadLength)) return false;
    for (const ModelText& model : kAcceptedModels) {
        if (replyLength < InquiryRecord::kLoaderModelOffset + model.length) continue;
        if (!ModelIs(reply, model.text, model.length)) continue;
        InquiryRecord::Keep(g_vardenInquiry, InquiryRecord::kBufferLength, reply, replyLength);
        g_vardenInquiryLength = payloadLength;
        return true;
    }
    return false;
}

VardenTransporter::VardenTransporter(ILoaderComm* channel) : m_channel(channel) {
    const uint8_t* record = g_vardenInquiry;
    if (g_vardenInquiryLength >= InquiryRecord::kPrinterPayload) m_printerPresent = 1;
    ApplyModelRules(record);
    ApplyPrinterRules(record);
    m_inquiryText = InquiryRecord::IdentityText(record);
    const uint8_t* loaderVersion = record + InquiryRecord::kLoaderVersionOffset;
    m_firmwareVersion = InquiryRecord::FirmwareNumber(loaderVersion, m_isQrx);
    m_revisionLetter = static_cast<char>(loaderVersion[13]);
    m_printerFirmwareVersion = 0;
    if (m_printerPresent == 1 && !m_hasTolvanePrinter)
        m_printerFirmwareVersion =
            InquiryRecord::FirmwareNumber(record + InquiryRecord::kPrinterVersionOffset, false);
    if (m_printerPresent == 0) {
        m_printerSnWritable = false;
        m_canCalibrate = false;
    }
}

VardenTransporter::~VardenTransporter() {}

void VardenTransporter::ApplyModelRules(const uint8_t* record) {
    struct Rule {
        const char* text;
        int length;
        bool VardenTransporter::*flag;
        bool VardenTransporter::*family;  // a second flag, or null
        bool noCalibration;
        bool newBoardOnly;  // only with '6' at character 14 of the model field
    };
    // The first rule whose model matches applies, and no other. "DESKTOP 2       " is
    // accepted by no identification; its rule is kept for the firmware check's model set.
    static const Rule kRules[] = {
        {"BOOT8", 5, &VardenTransporter::m_isTessaranIV, nullptr, true, false},
        {"BOOT7", 5, &VardenTransporter::m_isTessaranIII, nullptr, true, false},
        {"CD-R AUTOPRINTER", 16, &VardenTransporter::m_isAutoPrinterLoader, nullptr, false, false},
        {"DESKTOP 2       ", 16, &VardenTransporter::m_isDesktop, nullptr, true, false},
        {"VARDEN QM7310   ", 16, &VardenTransporter::m_isQM7310, &VardenTransporter::m_isDesktop,
         true, false},
        {"VARDEN 7310     ", 16, &VardenTransporter::m_is7310, &VardenTransporter::m_isDesktop,
         true, false},
        {"VARDEN 7330     ", 16, &VardenTransporter::m_is7330, &VardenTransporter::m_isDesktop,
         true, false},
        {"VARDEN 3900j    ", 16, &VardenTransporter::m_is3900j, &VardenTransporter::m_isDesktop,
         true, false},
        // "Tessaran II" counts as Tessaran III only with the newer board.
        {"Tessaran II", 11, &VardenTransporter::m_isTessaranIII, nullptr, false, true},
        {"Tessaran III", 12, &VardenTransporter::m_isTessaranIII, nullptr, false, false},
        {"Tessaran  IV", 12, &VardenTransporter::m_isTessaranIV, nullptr, false, false},
        {"VARDEN 7340     ", 16, &VardenTransporter::m_is7340,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN 6340     ", 16, &VardenTransporter::m_is6340,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN 7341     ", 16, &VardenTransporter::m_is7341,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN 6341     ", 16, &VardenTransporter::m_is6341,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN 7345     ", 16, &VardenTransporter::m_is7345,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN 6345     ", 16, &VardenTransporter::m_is6345,
         &VardenTransporter::m_is7340Family, true, false},
        {"VARDEN QRX", 10, &VardenTransporter::m_isQrx, nullptr, false, false},
    };
    const uint8_t* model = record + InquiryRecord::kLoaderModelOffset;
    for (const Rule& rule : kRules) {
        if (!ModelIs(record, rule.text, rule.length)) continue;
        if (rule.newBoardOnly && model[kTessaranBoardChar] != '6') continue;
        this->*rule.flag = true;
        if (rule.family) this->*rule.family = true;
        if (rule.noCalibration) m_canCalibrate = false;
        return;
    }
}

void VardenTransporter::ApplyPrinterRules(const uint8_t* record) {
    // Reached by no record that identification accepts (it refuses "CD-R AutoPrinter"
    // loaders); kept so that the version-6 loader's flag means what the operations expect.
    if (ModelIs(record, "CD-R AutoPrinterVERSION 6", 25)) {
        m_isAutoPrinterV6 = true;
        m_marginSettings = false;
        m_canPrint = true;
    }
    if (!EscCommand::FieldEquals(record + InquiryRecord::kPrinterModelOffset, "TOLVANE", 7))
        return;
    m_hasTolvanePrinter = true;
    m_printerSnWritable = false;
    m_marginSettings = false;
    m_canPrint = true;
    const uint8_t* version = record + InquiryRecord::kPrinterVersionOffset;
    if (EscCommand::FieldEquals(version, "XJQN23", 6))
        m_isXJQN23 = true;
    else if (EscCommand::FieldEquals(version, "XJQN22", 6))
        m_isXJQN22 = true;
    else if (EscCommand::FieldEquals(version, "XJQN21", 6))
        m_isXJQN21 = true;
}

// --- command core ---

bool VardenTransporter::Exchange(const std::string& command, uint8_t* reply, int replyLength,
                                 int timeoutSeconds) {
    if (EscCommand::Transact(m_channel, command, reply, replyLength, timeoutSeconds)) return true;
    m_lastError = m_channel->GetLastErrorText();
    return false;
}

void VardenTransporter::ReportRefusal() {
    if (RequestSense(kDefaultSenseTimeout, nullptr, nullptr)) FormatStatusMessage();
}

bool VardenTransporter::SendCommand(const char* command, int timeoutSeconds) {
    uint8_t reply[EscCommand::kAckLength];
    if (!Exchange(command, reply, EscCommand::kAckLength, timeoutSeconds)) return false;
    if (EscCommand::IsAccepted(reply)) return true;
    ReportRefusal();
    return false;
}

bool VardenTransporter::ReadParameter(int number, int* digit, uint16_t* value) {
    uint8_t reply[kParameterReplyLength];
    if (!Exchange(EscCommand::Format("\x1b!f0%03dC", number), reply, kParameterReplyLength,
                  kParameterReadTimeoutSeconds))
        return false;
    if (digit) *digit = reply[5] - '0';
    if (value) *value = static_cast<uint16_t>(EscCommand::ParseDecimal(reply + 6, 5));
    if (EscCommand::IsAccepted(reply)) return true;
    ReportRefusal();
    return false;
}

bool VardenTransporter::SendParameterWrite(const std::string& command, int timeoutSeconds) {
    if (SendCommand(command.c_str(), timeoutSeconds)) return true;
    // After a channel failure m_printerSense still holds the last sense request's code.
    if (m_printerSense != kRepeatWriteSense) return false;
    return SendCommand(command.c_str(), timeoutSeconds);
}

bool VardenTransporter::SetParameter(int number, int digit) {
    return SendParameterWrite(EscCommand::Format("\x1b!f1%03d%cC", number, '0' + digit),
                              kParameterWriteTimeoutSeconds);
}

bool VardenTransporter::SetParameterFlag(int number, bool on) {
    return SendParameterWrite(EscCommand::Format("\x1b!f2%03d%cC", number, on ? '1' : '0'),
                              kParameterFlagTimeoutSeconds);
}

bool VardenTransporter::SetBaudRate(int baud) {
    // The device takes 115200 without its last digit.
    std::string command =
        baud == 115200 ? std::string("\x1b!b11520C") : EscCommand::Format("\x1b!b%dC", baud);
    uint8_t reply[kBaudReplyLength];
    if (!Exchange(command, reply, kBaudReplyLength, kBaudTimeoutSeconds)) return false;
    if (EscCommand::ReplyEquals(reply, kBaudReplyLength, kBaudAccepted)) return true;
    ReportRefusal();
    return false;
}

bool VardenTransporter::RequestSense(int timeoutSeconds, uint16_t* loaderSense,
                                     uint16_t* printerSense) {
    m_printerSense = 0;
    m_loaderSense = 0;
    if (timeoutSeconds == kDefaultSenseTimeout) timeoutSeconds = kDefaultSenseTimeoutSeconds;
    const bool tolvane = m_printerKindSerialTolvane;
    const char* command = tolvane ? kTolvaneSenseCommand : kSenseCommand;
    const int replyLength = tolvane ? kTolvaneSenseReplyLength : kSenseReplyLength;
    uint8_t reply[kSenseReplyLength];
    // m_lastError is left alone on every failure.
    if (!EscCommand::Transact(m_channel, command, reply, replyLength, timeoutSeconds)) {
        if (m_channel->GetLastErrorCode() != ChannelError::ReceiveTimeout) return false;
        if (!EscCommand::Transact(m_channel, command, reply, replyLength,
                                  kSenseRepeatTimeoutSeconds))
            return false;
    }
    if (tolvane) {
        m_loaderSense = static_cast<uint16_t>(reply[4] - '0');
        return true;
    }
    m_loaderSense = static_cast<uint16_t>(EscCommand::ParseDecimal(reply + 4, 3));
    m_printerSense = static_cast<uint16_t>(EscCommand::ParseDecimal(reply + 7, 3));
    if (loaderSense) *loaderSense = m_loaderSense;
    if (printerSense) *printerSense = m_printerSense;
    return true;
}

void VardenTransporter::FormatStatusMessage() {
    if (m_loaderSense != 0)
        m_lastError = std::string("Transporter: ") + GetLoaderSenseText();
    else if (m_printerSense != 0)
        m_lastError = std::string("Printer: ") + GetPrinterSenseText();
    else
        m_lastError.clear();
}

// --- sense texts ---

const char* VardenTransporter::GetLoaderSenseText() {
    m_loaderSenseText = SenseTexts::Describe(SenseTexts::LoaderText(m_loaderSense), m_loaderSense);
    return m_loaderSenseText.c_str();
}

const char* VardenTransporter::GetPrinterSenseText() {
    // A Tolvane printer's codes mean something else: every one is shown as its number.
    const char* text = m_hasTolvanePrinter
                           ? nullptr
                           : SenseTexts::PrinterText(m_printerSense,
                                                     SenseTexts::kAutoloaderPrinterCodes);
    m_printerSenseText = SenseTexts::Describe(text, m_printerSense);
    return m_printerSenseText.c_str();
}
