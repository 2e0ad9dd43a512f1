#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "links/ILoaderComm.h"

// The statistics counters of the autoloader and its printer, the pick counter's presence and
// the printer-kind code.

namespace {

constexpr int kCounterTimeoutSeconds = 15;
constexpr int kShortReplyLength = 12;  // keys below '4'
constexpr int kLongReplyLength = 17;   // keys from '4' up
constexpr int kEchoLength = 5;
constexpr int kCounterStatusOffset = 5;
constexpr int kValueOffset = 6;
constexpr int kNotAvailable = -1;

constexpr unsigned kPrinterCountersFrom = 5021;
constexpr unsigned kLoaderCountersFrom = 3092;
constexpr unsigned kLoaderCountersBelow = 4000;
constexpr unsigned kLoaderCountersAgainFrom = 4092;
constexpr unsigned kTessaranIIIPickFrom = 3614;
constexpr unsigned kDesktopPickFrom = 6215;

}  // namespace

int VardenTransporter::ReadCounter(int, char key) {
    const unsigned firmware = static_cast<unsigned>(m_firmwareVersion);
    if (m_isXJQN21 || m_isXJQN22 || m_isXJQN23 || m_is7340Family) {
        if (m_bootFirmware || key < '4') return kNotAvailable;
    } else if (!m_is3900j) {
        if (static_cast<unsigned>(m_printerFirmwareVersion) < kPrinterCountersFrom || m_isDesktop)
            return kNotAvailable;
    }
    const bool loaderFirmwareFits =
        (firmware >= kLoaderCountersFrom && firmware < kLoaderCountersBelow) ||
        firmware >= kLoaderCountersAgainFrom;
    if (!loaderFirmwareFits) return kNotAvailable;

    const std::string command = EscCommand::Format("\x1b!f;%cC", key);
    const int replyLength = key < '4' ? kShortReplyLength : kLongReplyLength;
    uint8_t reply[kLongReplyLength] = {};
    if (!Exchange(command, reply, replyLength, kCounterTimeoutSeconds)) return kNotAvailable;
    if (!EscCommand::FieldEquals(reply, command.c_str(), kEchoLength) ||
        reply[kCounterStatusOffset] != EscCommand::kAccepted)
        return kNotAvailable;
    return EscCommand::ParseCount(reply + kValueOffset, replyLength - kValueOffset);
}

bool VardenTransporter::SupportsPickCounter() {
    const unsigned firmware = static_cast<unsigned>(m_firmwareVersion);
    if (m_is7340Family || m_isTessaranIV || m_isQrx) return true;
    if (m_isTessaranIII) return firmware >= kTessaranIIIPickFrom;
    if (m_isDesktop) return firmware >= kDesktopPickFrom;
    return false;
}

int VardenTransporter::GetPrinterKind() {
    if (m_printerPresent == 0) return 5;
    if (m_isXJQN21 || m_isXJQN22) return 2;
    if (m_hasTolvanePrinter) return 1;
    return 0;
}
