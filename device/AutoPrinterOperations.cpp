#include "device/AutoPrinter.h"

#include "device/EscCommand.h"
#include "device/Sleeper.h"
#include "framework/AppBase.h"
#include "links/ILoaderComm.h"

#include <algorithm>

namespace {

constexpr int kSettingCtsSeconds = 3;
constexpr int kSettingReplyTimeoutSeconds = 3;
constexpr int kNoReplyTimeoutSeconds = 60;
constexpr int kReadTimeoutMs = 20000;
constexpr int kLongReadTimeoutMs = 60000;

constexpr int kLeftMarginCap = 10;
constexpr int kTopMarginCap = 150;
constexpr int kRotationOffsetCap = 64;

const wchar_t kTrayPrompt[] = L"Place disc on printer tray";
const char kLoadFirstStep[] = "\x1b!t0C";
constexpr int kLoadValueCtsSeconds = 120;
constexpr int kLoadValueReplyTimeoutSeconds = 180;
constexpr int kLoadPlainCtsSeconds = 20;
constexpr int kLoadPlainReplyTimeoutSeconds = 60;

constexpr int kReloadCtsSeconds = 120;
constexpr int kReloadReplyTimeoutSeconds = 120;
constexpr int kMoveDiscCtsSeconds = 120;
constexpr int kMoveDiscReplyTimeoutSeconds = 60;
constexpr int kUnloadCtsSeconds = 10;
constexpr int kUnloadReplyTimeoutSeconds = 10;

const char kSerialRead[] = "\x1b!f:C";
constexpr int kSerialReplyLength = 14;
constexpr int kSerialReadTimeoutSeconds = 5;
constexpr int kSerialOffset = 6;
constexpr int kSerialLength = 8;

constexpr int kStoreCtsSeconds = 30;
constexpr int kStoreReadTimeoutMs = 30000;
constexpr unsigned kStoreWaitMs = 10000;
constexpr int kStoreReplyTimeoutSeconds = 20;

const char kTrayCommand[] = "\x1b!r0C";
constexpr int kTrayTimeoutSeconds = 15;

constexpr int kCountersFromFirmware = 5021;
constexpr int kLongCountersFromFirmware = 6000;
constexpr int kShortCounterReply = 11;
constexpr int kLongCounterReply = 16;
constexpr int kCounterTimeoutSeconds = 15;
constexpr int kCounterEchoLength = 5;

constexpr int kRestartDelaySeconds = 5;

}  // namespace

void AutoPrinter::SenseFirst() {
    m_channel->SetCtsTimeout(kSettingCtsSeconds);
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
}

bool AutoPrinter::SendSetting(const std::string& command) {
    SenseFirst();
    return SendWithReplyTimeout(command, kSettingReplyTimeoutSeconds);
}

bool AutoPrinter::SetLeftMargin(int margin) {
    return SendSetting(EscCommand::Format("\x1b!m0%03dC", std::min(margin, kLeftMarginCap)));
}

bool AutoPrinter::SetTopMargin(int margin) {
    return SendSetting(EscCommand::Format("\x1b!m1%03dC", std::min(margin, kTopMarginCap)));
}

bool AutoPrinter::SetRotationOffset(int offset) {
    return SendSetting(EscCommand::Format("\x1b!m2%03dC", std::min(offset, kRotationOffsetCap)));
}

bool AutoPrinter::SetAlternateOffset(int offset) {
    return SendSetting(EscCommand::Format("\x1b!m3%03dC", offset));
}

bool AutoPrinter::SetOperatingMode(int mode) {
    return SendSetting(EscCommand::Format("\x1b!t%dC", mode));
}

bool AutoPrinter::SetSerialNumbers(const std::string&, const std::string& printerSn) {
    return SendSetting(EscCommand::Format("\x1b!f9C%-8.8s", printerSn.c_str()));
}

bool AutoPrinter::LoadPrinter(int value) {
    if (m_usbPrinterMode) {
        // The disc goes in by hand; the tray's answer does not change that.
        PresentPrinterTray();
        AppBase::Current().ShowMessage(kTrayPrompt, MB_OK);
        return true;
    }
    SenseFirst();
    m_channel->SetCtsTimeout(value >= 0 ? kLoadValueCtsSeconds : kLoadPlainCtsSeconds);
    if (!SendWithReplyTimeout(kLoadFirstStep, kSettingReplyTimeoutSeconds)) return false;
    if (value >= 0)
        return SendWithReplyTimeout(EscCommand::Format("\x1b!f311%05dC", value),
                                    kLoadValueReplyTimeoutSeconds);
    return SendWithReplyTimeout("\x1b!s500C", kLoadPlainReplyTimeoutSeconds);
}

bool AutoPrinter::ReloadPrinter(int value) {
    // No CTS wait of its own before the sense request: it runs with the one left set.
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    m_channel->SetCtsTimeout(kReloadCtsSeconds);
    m_channel->SetReadTimeout(kLongReadTimeoutMs);
    return SendWithReplyTimeout(EscCommand::Format("\x1b!f312%dC", value == -1 ? 0 : value),
                                kReloadReplyTimeoutSeconds);
}

bool AutoPrinter::MoveDisc(bool toFirst) {
    SenseFirst();
    m_channel->SetCtsTimeout(kMoveDiscCtsSeconds);
    m_channel->SetReadTimeout(kLongReadTimeoutMs);
    bool sent = SendWithReplyTimeout(toFirst ? "\x1b!f313000C" : "\x1b!f312000C",
                                     kMoveDiscReplyTimeoutSeconds);
    m_channel->SetReadTimeout(kReadTimeoutMs);
    return sent;
}

bool AutoPrinter::UnloadPrinter() {
    if (m_usbPrinterMode) return true;
    SenseFirst();
    m_channel->SetCtsTimeout(kUnloadCtsSeconds);
    return SendWithReplyTimeout("\x1b!d0C", kUnloadReplyTimeoutSeconds);
}

bool AutoPrinter::GetSerialNumbers(std::string& loaderSn, std::string& printerSn) {
    loaderSn.clear();
    printerSn.clear();
    if (m_bootFirmware) {
        m_lastError = "OTP firmware is running";
        return false;
    }
    m_channel->SetCtsTimeout(kSettingCtsSeconds);
    uint8_t reply[kSerialReplyLength];
    if (!Exchange(kSerialRead, reply, kSerialReplyLength, kSerialReadTimeoutSeconds))
        return false;
    if (!EscCommand::IsAccepted(reply)) return ReportRefusal();
    printerSn.assign(reinterpret_cast<const char*>(reply + kSerialOffset), kSerialLength);
    return true;
}

bool AutoPrinter::UpdateFlashParameters(bool) {
    m_channel->SetCtsTimeout(kStoreCtsSeconds);
    m_channel->SetReadTimeout(kStoreReadTimeoutMs);
    if (!Exchange("\x1b!g1C", nullptr, 0, kNoReplyTimeoutSeconds)) return false;
    Sleeper::Wait(kStoreWaitMs);
    m_replyTimeoutSeconds = kStoreReplyTimeoutSeconds;
    // Whatever code the printer reports, a sense request that went through counts.
    bool answered = RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    m_channel->SetReadTimeout(kReadTimeoutMs);
    return answered;
}

void AutoPrinter::PulseSignal(int count) {
    if (count > 0) Sleeper::Wait(static_cast<unsigned>(count) * 1000u);
}

bool AutoPrinter::PresentPrinterTray() {
    if (m_usbPrinterMode) return Exchange(kTrayCommand, nullptr, 0, kNoReplyTimeoutSeconds);
    uint8_t reply[EscCommand::kAckLength];
    if (!Exchange(kTrayCommand, reply, EscCommand::kAckLength, kTrayTimeoutSeconds)) return false;
    return EscCommand::IsAccepted(reply) || ReportRefusal();
}

int AutoPrinter::GetRestartDelaySeconds() { return kRestartDelaySeconds; }

bool AutoPrinter::BeginPrintJob() { return true; }

int AutoPrinter::GetPrinterKind() { return 0; }

int AutoPrinter::ReadCounter(int selector, char key) {
    if (selector > 0 || m_firmwareVersion < kCountersFromFirmware) return -1;
    const std::string command = EscCommand::Format("\x1b!f;%cC", key);
    const int replyLength = (m_firmwareVersion >= kLongCountersFromFirmware && key > '3')
                                ? kLongCounterReply
                                : kShortCounterReply;
    uint8_t reply[kLongCounterReply];
    if (!Exchange(command, reply, replyLength, kCounterTimeoutSeconds)) return -1;
    if (!EscCommand::FieldEquals(reply, command.c_str(), kCounterEchoLength) ||
        reply[replyLength - 1] != 'C')
        return -1;
    return EscCommand::ParseCount(reply + kCounterEchoLength, replyLength - 1 - kCounterEchoLength);
}
