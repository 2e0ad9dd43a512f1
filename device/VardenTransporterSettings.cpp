#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/Sleeper.h"
#include "links/ILoaderComm.h"

// Values the autoloader keeps in its own memory: the serial numbers, the display-parameter
// block with the override name and the beep count, and the store of the parameters in flash.

namespace {

// Stored texts: 8 characters each under a three-digit number.
constexpr int kTextLoaderSerial = 0;
constexpr int kTextPrinterSerial = 260;
constexpr int kTextDisplayBlock = 99;
constexpr int kTextNameFirstHalf = 100;
constexpr int kTextNameSecondHalf = 101;
constexpr int kTextLength = 8;
constexpr int kTextReplyLength = 14;
constexpr int kTextOffset = 6;
constexpr int kTextWriteTimeoutSeconds = 5;
constexpr int kLoaderSerialReadTimeoutSeconds = 15;
constexpr int kPrinterSerialReadTimeoutSeconds = 5;
constexpr int kDisplayBlockReadTimeoutSeconds = 10;
constexpr int kNameReadTimeoutSeconds = 5;
constexpr int kNameLength = 16;
// The printer serial number's write may take the loader a while to pass on.
constexpr int kPrinterSerialReadTimeoutMs = 15000;

constexpr unsigned kSerialNumbersFrom = 3070;
constexpr unsigned kPlattorParamsFrom = 6013;

// Parameter store.
constexpr int kStoreRate = 38400;
constexpr int kFullRate = 115200;
constexpr int kStoreTimeoutSeconds = 20;
constexpr int kStoreSensePolls = 11;
constexpr unsigned kStoreSensePauseMs = 2000;

char FlagChar(bool on) { return on ? '1' : '0'; }

}  // namespace

// --- stored texts ---

VardenTransporter::TextRead VardenTransporter::ReadStoredText(int number, int timeoutSeconds,
                                                              const char* prefix,
                                                              std::string* text) {
    uint8_t reply[kTextReplyLength];
    if (!Exchange(EscCommand::Format("\x1b!f:%03dC", number), reply, kTextReplyLength,
                  timeoutSeconds)) {
        m_lastError = prefix + m_lastError;
        return TextRead::ChannelFailed;
    }
    if (!EscCommand::IsAccepted(reply)) {
        ReportRefusal();
        return TextRead::Refused;
    }
    text->assign(reinterpret_cast<const char*>(reply + kTextOffset), kTextLength);
    return TextRead::Read;
}

bool VardenTransporter::WriteStoredText(int number, const std::string& text) {
    return SendCommand(EscCommand::Format("\x1b!f9%03dC%-8.8s", number, text.c_str()).c_str(),
                       kTextWriteTimeoutSeconds);
}

// --- serial numbers ---

bool VardenTransporter::GetSerialNumbers(std::string& loaderSn, std::string& printerSn) {
    loaderSn.clear();
    printerSn.clear();
    if (m_printerKindSerialTolvane) return true;
    if (!PassesFirmwareGate("GetSerialNumbers", kSerialNumbersFrom, false)) return false;
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (ReadStoredText(kTextLoaderSerial, kLoaderSerialReadTimeoutSeconds, "Get SN - ",
                       &loaderSn) != TextRead::Read)
        return false;
    if (m_printerPresent > 0 && !m_is3900j) {
        // A printer that refuses its number leaves it empty, with the status message set.
        if (ReadStoredText(kTextPrinterSerial, kPrinterSerialReadTimeoutSeconds,
                           "Get Printer SN - ", &printerSn) == TextRead::ChannelFailed)
            return false;
    }
    return true;
}

bool VardenTransporter::SetSerialNumbers(const std::string& loaderSn,
                                         const std::string& printerSn) {
    if (!PassesFirmwareGate("SetSerialNumbers", kSerialNumbersFrom, false)) return false;
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!WriteStoredText(kTextLoaderSerial, loaderSn)) return false;
    if (m_hasTolvanePrinter || m_printerKindSerialTolvane || m_is3900j ||
        m_printerFirmwareVersion == 0)
        return true;
    m_channel->SetReadTimeout(kPrinterSerialReadTimeoutMs);
    return WriteStoredText(kTextPrinterSerial, printerSn);
}

// --- display parameters ---

bool VardenTransporter::PassesFirmwareGate(const char* operation, unsigned minimumFirmware,
                                           bool anyFirmware) {
    const char* reason = nullptr;
    if (m_bootFirmware)
        reason = " failed - OTP firmware";
    else if (!anyFirmware && static_cast<unsigned>(m_firmwareVersion) < minimumFirmware)
        reason = " failed - low revision firmware";
    if (!reason) return true;
    m_lastError = std::string(operation) + reason;
    return false;
}

bool VardenTransporter::PassesPlattorGate(const char* operation) {
    // The named families take display parameters at any firmware number.
    return PassesFirmwareGate(operation, kPlattorParamsFrom,
                              m_isTessaranIII || m_isTessaranIV || m_is7340Family || m_isQrx);
}

bool VardenTransporter::SetPlattorParams(const std::string& name, bool firstFlag, bool overrideName,
                                         bool fifthFlag, int beepCount) {
    if (!PassesPlattorGate("SetPlattorParams")) return false;
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    const char beeps = beepCount >= 0 && beepCount <= 9 ? static_cast<char>('0' + beepCount) : '0';
    const std::string block =
        EscCommand::Format("\x1b!f9099C%c%c%c%c%c000", FlagChar(firstFlag), FlagChar(overrideName),
                           FlagChar(overrideName), beeps, FlagChar(fifthFlag));
    if (!SendCommand(block.c_str(), kTextWriteTimeoutSeconds)) return false;
    // Without the override the device keeps the name it has.
    if (!overrideName) return true;
    std::string padded = name.substr(0, kNameLength);
    padded.resize(kNameLength, ' ');
    if (!WriteStoredText(kTextNameFirstHalf, padded.substr(0, kTextLength))) return false;
    return WriteStoredText(kTextNameSecondHalf, padded.substr(kTextLength));
}

bool VardenTransporter::GetPlattorParams(std::string& name, bool& firstFlag, bool& overrideName,
                                         bool& fifthFlag, int& beepCount) {
    name.clear();
    firstFlag = overrideName = fifthFlag = false;
    beepCount = 0;
    if (!PassesPlattorGate("GetPlattorParams")) return false;
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    std::string block;
    if (ReadStoredText(kTextDisplayBlock, kDisplayBlockReadTimeoutSeconds, "Get Plattor Params - ",
                       &block) != TextRead::Read)
        return false;
    firstFlag = block[0] == '1';
    overrideName = block[1] == '1';
    if (block[3] >= '0' && block[3] <= '9') beepCount = block[3] - '0';
    fifthFlag = block[4] == '1';
    if (!overrideName) return true;
    for (int number : {kTextNameFirstHalf, kTextNameSecondHalf}) {
        std::string half;
        if (ReadStoredText(number, kNameReadTimeoutSeconds, "", &half) != TextRead::Read)
            return false;
        name += half;
    }
    return true;
}

// --- parameter store ---

bool VardenTransporter::SendStoreCommand(const char* command) {
    uint8_t reply[EscCommand::kAckLength];
    if (!EscCommand::Transact(m_channel, command, reply, EscCommand::kAckLength,
                              kStoreTimeoutSeconds)) {
        // A reply that does not come is tolerated: the device may be busy writing its
        // flash. Any other failure is a dead line.
        const int code = m_channel->GetLastErrorCode();
        if (code == ChannelError::ReceiveTimeout || code == ChannelError::HidReceiveTimeout)
            return true;
        m_lastError = m_channel->GetLastErrorText();
        return false;
    }
    if (EscCommand::IsAccepted(reply)) return true;
    m_lastError.clear();
    ReportRefusal();
    if (m_lastError.empty()) m_lastError = "Parameter store refused";
    return false;
}

bool VardenTransporter::UpdateFlashParameters(bool includePrinter) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    // The store runs at 38400 baud at most; the HID channel always reports 9600.
    const bool dropRate = m_channel->GetBaudRate() > kStoreRate;
    if (dropRate) {
        if (!SetBaudRate(kStoreRate)) return false;
        m_channel->SetBaudRate(kStoreRate);
    }
    bool stored = true;
    std::string refusal;
    auto store = [&](const char* command) {
        if (SendStoreCommand(command)) return;
        stored = false;
        refusal = m_lastError;
    };
    if (includePrinter && m_printerPresent != 0 && !m_hasTolvanePrinter &&
        !m_printerKindSerialTolvane)
        store("\x1b!h1C");
    store("\x1b!g1C");
    for (int poll = 1; poll <= kStoreSensePolls; ++poll) {
        if (RequestSense(kDefaultSenseTimeout, nullptr, nullptr)) break;
        if (poll < kStoreSensePolls) Sleeper::Wait(kStoreSensePauseMs);
    }
    // Back to the full rate whatever the rate was before; a refusal stays the reason given.
    if (dropRate && SetBaudRate(kFullRate)) m_channel->SetBaudRate(kFullRate);
    if (!stored) m_lastError = refusal;
    return stored;
}
