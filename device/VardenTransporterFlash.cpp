#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/Sleeper.h"
#include "links/ILoaderComm.h"

#include <climits>

// The loader's side of a firmware download: the start command (after switching the 7340
// family and the QRX into their boot loader), the image blocks, and finding the device
// again once it has restarted on the new firmware.

namespace {

constexpr int kStartTimeoutSeconds = 20;
constexpr int kBootPathTimeoutSeconds = 60;
constexpr int kBlockTimeoutSeconds = 60;
constexpr int kDrainTimeoutMs = 500;
constexpr int kDrainLength = 8;
constexpr int kVersion6PrinterFirmware = 6000;

const char kBootSwitch[] = "\x1b!g5C";
const char kBootSwitchAccepted[] = "\x1b!g51C";
const char kBootStartAccepted[] = "\x1b!g01C";
constexpr unsigned kBootRestartMs = 7000;
constexpr int kSensePolls = 5;
constexpr unsigned kSensePollPauseMs = 500;

constexpr unsigned kPauseBeforeCloseMs = 2000;
constexpr unsigned kRestartMs = 10000;
constexpr int kReopenAttempts = 10;
constexpr unsigned kReopenPauseMs = 2000;
constexpr unsigned kOtherLoaderRestartMs = 12000;
constexpr int kBootFamilyInquiryTimeoutSeconds = 3;
constexpr int kOtherLoaderInquiryTimeoutSeconds = 10;
// What the 7340 family compares after the update: the model and the word after it.
constexpr int kModelLineLength = 23;
constexpr int kQrxModelLength = 10;

const char kBootSwitchFailed[] = "Failed to switch loader to 'boot' mode";
const char kBootReopenFailed[] =
    "Failed to reopen communication channel after switching loader to 'boot' mode";
const char kUpdateReopenFailed[] =
    "Failed to reopen communication channel after updating firmware";

}  // namespace

bool VardenTransporter::HasBootLoader() const { return m_is7340Family || m_isQrx; }

bool VardenTransporter::BeginFlash(uint32_t fileSize) {
    // The count told to the device is the count the caller must send; a file that makes
    // no image is refused before the device hears of it.
    const uint32_t imageLength = GetFlashImageLength(fileSize);
    if (imageLength == 0) {
        m_lastError = fileSize == 0
                          ? "Flash file is empty"
                          : EscCommand::Format("Flash file too long: %lu bytes, at most %lu",
                                               static_cast<unsigned long>(fileSize),
                                               static_cast<unsigned long>(kPaddedFillEnd));
        return false;
    }
    if (HasBootLoader() && !m_printerFirmwareFile) return SwitchToBootMode(fileSize);
    if (!m_isQrx) {
        // Stale input from before is dropped.
        uint8_t scratch[kDrainLength];
        m_channel->SetReadTimeout(kDrainTimeoutMs);
        m_channel->Read(scratch, kDrainLength);
    }
    std::string command;
    if (m_printerFirmwareFile)
        command = m_printerFirmwareVersion >= kVersion6PrinterFirmware ? "\x1b!h064000C"
                                                                       : "\x1b!h0C";
    else
        command = EscCommand::Format("\x1b!g0%luC", static_cast<unsigned long>(imageLength));
    return SendCommand(command.c_str(), kStartTimeoutSeconds);
}

bool VardenTransporter::SwitchToBootMode(uint32_t fileSize) {
    uint8_t reply[EscCommand::kAckLength];
    if (!m_bootFirmware) {
        if (!EscCommand::Transact(m_channel, kBootSwitch, reply, EscCommand::kAckLength,
                                  kBootPathTimeoutSeconds) ||
            !EscCommand::ReplyEquals(reply, EscCommand::kAckLength, kBootSwitchAccepted)) {
            m_lastError = kBootSwitchFailed;
            return false;
        }
        // The loader restarts in its boot loader; a HID device is searched for anew.
        m_channel->Close();
        Sleeper::Wait(kBootRestartMs);
        if (!m_channel->Reopen()) {
            m_lastError = kBootReopenFailed;
            return false;
        }
    }
    if (!AwaitSense()) {
        m_lastError = kBootReopenFailed;
        return false;
    }
    const std::string command = EscCommand::Format(
        "\x1b!g0%luC", static_cast<unsigned long>(GetFlashImageLength(fileSize)));
    if (EscCommand::Transact(m_channel, command, reply, EscCommand::kAckLength,
                             kBootPathTimeoutSeconds) &&
        EscCommand::ReplyEquals(reply, EscCommand::kAckLength, kBootStartAccepted))
        return true;
    m_lastError = m_channel->GetLastErrorText();
    return false;
}

bool VardenTransporter::AwaitSense() {
    for (int poll = 1; poll <= kSensePolls; ++poll) {
        if (RequestSense(kDefaultSenseTimeout, nullptr, nullptr)) break;
        if (poll < kSensePolls) Sleeper::Wait(kSensePollPauseMs);
    }
    return RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
}

bool VardenTransporter::SendFlashData(const uint8_t* data, uint32_t length) {
    if ((!data && length > 0) || length > static_cast<uint32_t>(INT_MAX)) {
        m_lastError = "Error sending flash data - invalid block";
        return false;
    }
    if (m_channel->Transact(data, static_cast<int>(length), nullptr, 0, kBlockTimeoutSeconds))
        return true;
    m_lastError = std::string("Error sending flash data - ") + m_channel->GetLastErrorText();
    return false;
}

bool VardenTransporter::ReconnectAfterFlash() {
    uint8_t record[InquiryRecord::kBufferLength];
    if (!HasBootLoader()) {
        // The channel stays open while the loader restarts.
        Sleeper::Wait(kOtherLoaderRestartMs);
        if (!ReadIdentityAfterFlash(kOtherLoaderInquiryTimeoutSeconds, record)) return false;
        return m_expectedInquiry.size() == static_cast<size_t>(InquiryRecord::kIdentityLength) &&
               EscCommand::FieldEquals(record + InquiryRecord::kLoaderModelOffset,
                                       m_expectedInquiry.data(), InquiryRecord::kIdentityLength);
    }

    Sleeper::Wait(kPauseBeforeCloseMs);
    m_channel->Close();
    Sleeper::Wait(kRestartMs);
    bool reopened = false;
    for (int attempt = 0; attempt < kReopenAttempts && !reopened; ++attempt) {
        reopened = m_channel->Reopen();
        if (!reopened) Sleeper::Wait(kReopenPauseMs);
    }
    if (!reopened || !AwaitSense()) {
        m_lastError = kUpdateReopenFailed;
        return false;
    }
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!ReadIdentityAfterFlash(kBootFamilyInquiryTimeoutSeconds, record)) return false;

    const uint8_t* model = record + InquiryRecord::kLoaderModelOffset;
    if (m_isQrx) return EscCommand::FieldEquals(model, "VARDEN QRX", kQrxModelLength);
    struct ModelLine {
        bool VardenTransporter::*flag;
        const char* line;
    };
    static const ModelLine kModelLines[] = {
        {&VardenTransporter::m_is7340, "VARDEN 7340     VERSION"},
        {&VardenTransporter::m_is6340, "VARDEN 6340     VERSION"},
        {&VardenTransporter::m_is7341, "VARDEN 7341     VERSION"},
        {&VardenTransporter::m_is6341, "VARDEN 6341     VERSION"},
        {&VardenTransporter::m_is7345, "VARDEN 7345     VERSION"},
        {&VardenTransporter::m_is6345, "VARDEN 6345     VERSION"},
    };
    for (const ModelLine& entry : kModelLines)
        if (this->*entry.flag && EscCommand::FieldEquals(model, entry.line, kModelLineLength))
            return true;
    return false;
}

bool VardenTransporter::ReadIdentityAfterFlash(int firstTimeoutSeconds,
                                               uint8_t (&record)[InquiryRecord::kBufferLength]) {
    // Only a record of the loader's own layout counts: a payload of 32 to 96 bytes, read
    // whole into the buffer and never past it.
    int payload = -1;
    return InquiryRecord::Request(m_channel, record, firstTimeoutSeconds, &payload) ==
               InquiryRecord::Outcome::Answered &&
           payload >= InquiryRecord::kLoaderPayload;
}
