#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/PrintFileReader.h"
#include "device/Sleeper.h"
#include "framework/AppBase.h"
#include "links/ILoaderComm.h"
#include "links/SystemUtil.h"
#include "links/UsbPrinterPort.h"

#include <algorithm>

// Printing on the autoloader's printer: the print file for a pattern (chosen by printer
// family and colour mode, read from the program's directory), the print data over the
// bound USB printer port or the loader's channel, the tray, and the wait until printed.

namespace {

constexpr int kAlignmentGrid = 2;
constexpr int kCalibrationMarks = 3;

// Parameter 270 tells a Tolvane printer's colour mode by the last digit of its value.
constexpr int kColourModeParameter = 270;

constexpr uint32_t kUsbPieceLength = 65536;
constexpr uint32_t kChannelPieceLength = 64;  // the HID channel's reports carry 58 each
constexpr int kChannelWriteTimeoutMs = 10000;
constexpr int kChannelWriteTimeoutPerByteMs = 100;

const char kPresentTray[] = "\x1b!d0C";

// Tolvane printer codes during a print.
constexpr uint16_t kTolvaneIdle = 0;
constexpr uint16_t kTolvaneBusy = 2;
constexpr uint16_t kTolvaneWaiting = 3;  // a reset of the load state gets it going
constexpr uint16_t kTolvaneDone = 4;
constexpr uint16_t kTolvanePrinted = 21;  // after kTolvaneWaiting
constexpr uint16_t kTolvaneFirstFault = 21;
constexpr uint16_t kTolvaneLastFault = 254;
constexpr int kTolvaneWaitingPolls = 61;
constexpr int kTolvanePolls = 601;
constexpr unsigned kTolvanePollPauseMs = 500;
constexpr unsigned kTolvaneSenseRetryMs = 5000;
constexpr unsigned kTolvaneIdlePauseMs = 2000;
constexpr int kLoadStateResetTimeoutSeconds = 7;

const char kPrintFailed[] = "Print failed - ";

}  // namespace

bool VardenTransporter::PrintFileName(int pattern, std::string* name) {
    bool colour = m_colorPrinter;
    const char* family = "Vexil";
    if (m_hasTolvanePrinter) {
        // The colour mode is read from the printer each time.
        int digit = 0;
        uint16_t value = 0;
        if (!ReadParameter(kColourModeParameter, &digit, &value)) return false;
        switch (value % 10) {
        case 0: case 1: case 6: colour = true; break;
        case 2: colour = false; break;
        default: return false;
        }
        // The XJQN23 has a colour file only.
        if (m_isXJQN23) {
            family = "T750";
            colour = true;
        } else {
            family = m_isXJQN22 ? "T3" : m_isXJQN21 ? "T2" : "T1";
        }
    }
    if (pattern != kAlignmentGrid && pattern != kCalibrationMarks) return false;
    *name = std::string(pattern == kAlignmentGrid ? "AlignDisc_" : "Marks_") + family +
            (colour ? "_CMY" : "_Mono") + ".prn";
    return true;
}

uint32_t VardenTransporter::GetPrintGridFile(int pattern, const uint8_t** data) {
    *data = nullptr;
    ReleasePrintGridFile();
    std::string name;
    if (!PrintFileName(pattern, &name)) return 0;
    if (!PrintFileReader::ReadWhole(AppBase::Current().GetExeDir() + WidenString(name.c_str()),
                                    &m_printGridBuffer))
        return 0;
    *data = m_printGridBuffer.data();
    return static_cast<uint32_t>(m_printGridBuffer.size());
}

void VardenTransporter::ReleasePrintGridFile() {
    m_printGridBuffer.clear();
    m_printGridBuffer.shrink_to_fit();
}

bool VardenTransporter::WritePrintData(const uint8_t* data, uint32_t length) {
    if (m_boundUsbPort) {
        UsbPrinterPort& port = *m_boundUsbPort;
        bool ok = port.IsOpen() || port.Open();
        for (uint32_t sent = 0; ok && sent < length; sent += kUsbPieceLength)
            ok = port.Write(data + sent, std::min(kUsbPieceLength, length - sent));
        if (ok) return true;
        // The port stays open for the completion wait, which closes it.
        m_lastError = UsbPrintFailure(port);
        return false;
    }
    if (m_isAutoPrinterV6) {
        m_lastError = std::string(kPrintFailed) + "no USB printer port for the printer";
        return false;
    }
    m_channel->SetWriteTimeouts(kChannelWriteTimeoutMs, kChannelWriteTimeoutPerByteMs);
    for (uint32_t sent = 0; sent < length; sent += kChannelPieceLength) {
        const uint32_t piece = std::min(kChannelPieceLength, length - sent);
        if (!m_channel->Write(data + sent, static_cast<int>(piece))) {
            m_lastError = m_channel->GetLastErrorText();
            return false;
        }
    }
    return true;
}

bool VardenTransporter::PresentPrinterTray() {
    if (m_channel->Write(reinterpret_cast<const byte*>(kPresentTray),
                         static_cast<int>(sizeof kPresentTray - 1)))
        return true;
    m_lastError = m_channel->GetLastErrorText();
    return false;
}

bool VardenTransporter::WaitForPrintCompletion() {
    if (m_boundUsbPort) m_boundUsbPort->Close();
    return m_hasTolvanePrinter ? PollPrintCompletion() : Transporter::WaitForPrintCompletion();
}

bool VardenTransporter::PollPrintCompletion() {
    bool zeroSeen = false;
    bool loadStateReset = false;
    uint16_t lastNonZero = kTolvaneBusy;
    int waitingPolls = 0;
    uint16_t code = 0;
    for (int poll = 0; poll < kTolvanePolls; ++poll) {
        if (poll > 0) Sleeper::Wait(kTolvanePollPauseMs);
        if (!RequestSense(kDefaultSenseTimeout, nullptr, &code)) {
            Sleeper::Wait(kTolvaneSenseRetryMs);
            if (!RequestSense(kDefaultSenseTimeout, nullptr, &code)) {
                m_lastError = kPrintFailed + std::string(m_channel->GetLastErrorText());
                return false;
            }
        }
        if (code == kTolvaneWaiting) {
            if (!loadStateReset) {
                uint8_t reply[EscCommand::kAckLength];
                EscCommand::Transact(m_channel,
                                     EscCommand::Format("\x1b!f1%03d%01dC", PrinterLoadState, 0),
                                     reply, EscCommand::kAckLength,
                                     kLoadStateResetTimeoutSeconds);
                loadStateReset = true;
            }
            if (++waitingPolls > kTolvaneWaitingPolls) return PrintFailed();
        }
        if (code == kTolvaneDone) return true;
        if (code == kTolvaneIdle) {
            if (zeroSeen) return PrintFailed();
            Sleeper::Wait(kTolvaneIdlePauseMs);
            zeroSeen = true;
            continue;
        }
        zeroSeen = false;
        if (code == kTolvanePrinted && lastNonZero == kTolvaneWaiting) return true;
        if (code >= kTolvaneFirstFault && code <= kTolvaneLastFault) return PrintFailed();
        lastNonZero = code;
    }
    m_lastError = "Timed out waiting for print completion";
    return false;
}

bool VardenTransporter::PrintFailed() {
    m_lastError = kPrintFailed + std::string(GetPrinterSenseText());
    return false;
}
