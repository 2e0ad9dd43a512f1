#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/InquiryRecord.h"
#include "device/Sleeper.h"
#include "links/ILoaderComm.h"
#include "links/UsbPrinterPool.h"

// Initialisation: boot or one-time-programmable firmware, the printer's kind and colour, and
// the USB printer port that leads to the printer of this autoloader.

namespace {

// Printer drawer in and out, written straight to USB printer ports (and once to the loader).
const char kDrawerIn[] = "\x1b!d1C";
const char kDrawerOut[] = "\x1b!d0C";
constexpr DWORD kDrawerCommandLength = 5;

// The colour probe: the printer tries a colour action and reports sense 0 when it can.
const char kColourProbe[] = "\x1b!a3H";
constexpr int kColourProbeTimeoutSeconds = 60;
constexpr int kColourSenseTimeoutSeconds = 30;
constexpr unsigned kColourProbeSettleMs = 7000;
constexpr unsigned kColourBusyPollMs = 500;
// A printer still busy after this many polls counts as not colour.
constexpr int kColourBusyPollLimit = 120;
constexpr unsigned kColourDrawerPauseMs = 1000;
constexpr uint16_t kPrinterBusySense = 2;

// The USB printer-port probe.
constexpr unsigned kDrawerOutWaitMs = 5000;
constexpr unsigned kDrawerInWaitMs = 4000;
constexpr int kLoadStateIdle = 0;
constexpr int kLoadStateUsbProbe = 3;

// Firmware numbers of the rules below.
constexpr unsigned kOldFirmwareBelow = 3000;
constexpr unsigned kBootRangeFirst = 3000;
constexpr unsigned kBootRangeLast = 3040;
constexpr unsigned kBootBelow = 2000;
constexpr unsigned kKindProbeAbove = 3069;
constexpr unsigned kDravikProbeAbove = 3229;
constexpr unsigned kColourProbeFirst = 4000;
constexpr unsigned kColourParameterFrom = 6000;
constexpr uint16_t kOldFirmwareTrailerWord = 590;

constexpr int kKindDigit = 2;  // the digit the printer-kind parameters compare with

bool LoaderModelStarts(const char* text, int length) {
    return EscCommand::FieldEquals(g_vardenInquiry + InquiryRecord::kLoaderModelOffset, text,
                                   length);
}

bool LoaderVersionStarts(const char* text, int length) {
    return EscCommand::FieldEquals(g_vardenInquiry + InquiryRecord::kLoaderVersionOffset, text,
                                   length);
}

bool WriteDrawer(UsbPrinterPort* port, const char* command) {
    return port->Write(command, kDrawerCommandLength);
}

}  // namespace

std::optional<int> VardenTransporter::ReadParameterDigit(int number) {
    int digit = 0;
    if (!ReadParameter(number, &digit, nullptr)) return std::nullopt;
    return digit;
}

void VardenTransporter::Initialize() {
    const unsigned firmware = static_cast<unsigned>(m_firmwareVersion);
    bool familyRule = true;
    if (m_isTessaranIV) {
        m_bootFirmware = LoaderModelStarts("BOOT8", 5);
    } else if (m_isTessaranIII) {
        m_bootFirmware = LoaderModelStarts("BOOT7", 5);
    } else if (m_is7340Family) {
        m_canPrint = false;
        m_bootFirmware = LoaderVersionStarts("BOOT", 4);
    } else if (m_isQrx) {
        // The blank-padded model followed by a version that starts "BOOT".
        m_bootFirmware = LoaderModelStarts("VARDEN QRX      BOOT", 20);
    } else {
        familyRule = false;
        m_bootFirmware =
            (firmware >= kBootRangeFirst && firmware <= kBootRangeLast) || firmware < kBootBelow;
    }
    if (familyRule)
        m_settingsSupported = !m_bootFirmware;
    else if (!m_bootFirmware && firmware > kBootRangeFirst)
        m_settingsSupported = true;

    if (!m_isDesktop && firmware < kOldFirmwareBelow) {
        m_oldFirmware = true;
        m_paddedFlashImage = true;
        m_flashTrailerWord = kOldFirmwareTrailerWord;
    }
    if (m_bootFirmware) return;

    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!m_isDesktop && !m_oldFirmware && !m_isAutoPrinterLoader) ProbePrinterKind();
    if (m_printerKindSerialTolvane) {
        m_canCalibrate = false;
        m_hasSerialNumbers = false;
        return;
    }

    std::optional<int> rotation = ReadParameterDigit(280);
    if (rotation && *rotation != 2) m_rotationOffsetSupported = true;
    ReadParameterDigit(300);

    const unsigned printerFirmware = static_cast<unsigned>(m_printerFirmwareVersion);
    if (!m_hasTolvanePrinter && printerFirmware >= kColourProbeFirst) {
        if (printerFirmware < kColourParameterFrom) {
            ProbeColour();
        } else {
            int digit = 0;
            uint16_t value = 65535;
            if (ReadParameter(270, &digit, &value) && digit == 1 && value == 1)
                m_colorPrinter = true;
        }
    }

    SetParameter(PrinterLoadState, kLoadStateIdle);
    CollectUsbPortCandidates();
    if (m_hasTolvanePrinter) m_printerPresent = 0;
    for (UsbPrinterPort* port : m_usbPortCandidates) {
        if (SelectUsbPort(port)) {
            m_printerPresent = 1;
            return;
        }
    }
}

void VardenTransporter::ProbePrinterKind() {
    const unsigned firmware = static_cast<unsigned>(m_firmwareVersion);
    auto reads = [this](int number, bool equal) {
        std::optional<int> digit = ReadParameterDigit(number);
        return digit && ((*digit == kKindDigit) == equal);
    };
    if (firmware > kDravikProbeAbove && reads(203, false)) {
        std::optional<int> digit = ReadParameterDigit(240);
        if (digit) {
            if (*digit == kKindDigit)
                m_printerKindSerialTolvane = true;
            else
                m_printerKindDravik = true;
        }
    }
    if (!m_printerKindSerialTolvane && !m_printerKindDravik && firmware > kKindProbeAbove) {
        if (reads(240, true)) m_printerKindSerialTolvane = true;
        if (!m_printerKindSerialTolvane && reads(241, true)) m_printerKindFerlo = true;
        if (!m_printerKindSerialTolvane && !m_printerKindFerlo && reads(243, false))
            m_printerKindQuinter = true;
    }
    if (!m_printerKindDravik && !m_printerKindFerlo && !m_printerKindQuinter &&
        !m_printerKindSerialTolvane)
        m_printerKindPavenor = true;
}

void VardenTransporter::ProbeColour() {
    if (!EscCommand::Transact(m_channel, kColourProbe, nullptr, 0, kColourProbeTimeoutSeconds))
        return;
    Sleeper::Wait(kColourProbeSettleMs);
    for (int poll = 1; poll <= kColourBusyPollLimit; ++poll) {
        if (!RequestSense(kColourSenseTimeoutSeconds, nullptr, nullptr)) break;
        if (m_printerSense != kPrinterBusySense) {
            if (m_printerSense == 0) m_colorPrinter = true;
            break;
        }
        if (poll < kColourBusyPollLimit) Sleeper::Wait(kColourBusyPollMs);
    }
    Sleeper::Wait(kColourDrawerPauseMs);
    EscCommand::Transact(m_channel, kDrawerIn, nullptr, 0, kColourProbeTimeoutSeconds);
    Sleeper::Wait(kColourDrawerPauseMs);
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
}

void VardenTransporter::CollectUsbPortCandidates() {
    UsbPrinterPool& pool = UsbPrinterPool::Instance();
    pool.Initialize();
    // Each port once, in the pool's order: one that fails is given back and not tried again.
    const int count = pool.GetPortCount();
    for (int index = 0; index < count; ++index) {
        UsbPrinterPort* port = pool.AcquirePort(index);
        if (!port) continue;  // lent out already
        if (port->Open() && WriteDrawer(port, kDrawerIn)) {
            m_usbPortCandidates.push_back(port);
            port->Close();  // it stays lent to this object
        } else {
            pool.ReleasePort(port);
        }
    }
}

bool VardenTransporter::SelectUsbPort(UsbPrinterPort* port) {
    // The drawer of whatever printer is on the port goes out; the loader accepts the probe
    // state only when that is the drawer of its own printer.
    if (!port || !port->Open()) return false;
    if (!WriteDrawer(port, kDrawerOut)) {
        port->Close();
        return false;
    }
    Sleeper::Wait(kDrawerOutWaitMs);
    if (!SetParameter(PrinterLoadState, kLoadStateUsbProbe)) {
        WriteDrawer(port, kDrawerIn);
        port->Close();
        Sleeper::Wait(kDrawerInWaitMs);
        return false;
    }
    m_boundUsbPort = port;
    WriteDrawer(port, kDrawerIn);
    Sleeper::Wait(kDrawerInWaitMs);
    port->Close();
    std::optional<int> gripper = ReadParameterDigit(220);
    if (gripper && *gripper == 1) SetParameter(200, 1);
    return true;
}

bool VardenTransporter::SetAlternateOffset(int offset) { return SetRotationOffset(offset); }

int VardenTransporter::GetRestartDelaySeconds() { return 10; }

bool VardenTransporter::SupportsPlattorParams() {
    return (m_isDesktop || m_isTessaranIII || m_isTessaranIV || m_isQrx || m_is7340Family) &&
           !m_bootFirmware;
}

bool VardenTransporter::HasItsCounters() { return m_isXJQN22 || m_isXJQN23 || m_is7340Family; }
