#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "device/Sleeper.h"
#include "framework/AppBase.h"
#include "links/ILoaderComm.h"
#include "links/SystemUtil.h"

// Margins, the rotation offset, the operating mode, moving a disc into and out of the
// printer, and the service operations (gripper tests, signal pulse).

namespace {

constexpr int kSettingTimeoutSeconds = 5;
constexpr int kLoadTimeoutSeconds = 120;
constexpr int kPulseTimeoutSeconds = 2;
constexpr unsigned kPulsePauseMs = 500;

// PrinterLoadState values.
constexpr int kLoadDisc = 1;
constexpr int kTakeDiscOut = 2;
constexpr int kDiscLoaded = 1;

// A load refused on this printer sense ("Printhead Integrity") is tried once more.
constexpr uint16_t kLoadRetrySense = 15;
// An unload refused on this loader sense still clears the load state's flag.
constexpr uint16_t kUnloadClearSense = 3;

// The printer's drawer-in and start frames, written raw after a reload.
const char kReloadFrames[] = "\x1b!t0C\x1b!s500C";
constexpr int kReloadFramesLength = 12;

// The gripper cycle test's pauses.
constexpr unsigned kGripperClosedPauseMs = 1000;
constexpr unsigned kGripperTogglePauseMs = 100;

void PumpAndWait(unsigned milliseconds) {
    PumpMessages();
    Sleeper::Wait(milliseconds);
}

}  // namespace

bool VardenTransporter::SendOffsetSetting(char which, int value) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    return SendCommand(EscCommand::Format("\x1b!f%c%03dC", which, value).c_str(),
                       kSettingTimeoutSeconds);
}

bool VardenTransporter::SetLeftMargin(int margin) {
    if (m_hasTolvanePrinter || m_isAutoPrinterV6) return false;
    return SendOffsetSetting('6', margin);
}

bool VardenTransporter::SetTopMargin(int margin) {
    if (m_hasTolvanePrinter || m_isAutoPrinterV6) return false;
    return SendOffsetSetting('7', margin);
}

bool VardenTransporter::SetRotationOffset(int offset) { return SendOffsetSetting('4', offset); }

bool VardenTransporter::SetOperatingMode(int mode) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    return SendCommand(EscCommand::Format("\x1b!e4%dC", mode).c_str(), kSettingTimeoutSeconds);
}

bool VardenTransporter::SendLoad(int rotationOffset, bool retry) {
    if (rotationOffset >= 0 && SupportsRotationOffset())
        return SendCommand(EscCommand::Format("\x1b!f311%05dC", rotationOffset).c_str(),
                           kLoadTimeoutSeconds);
    if (SetParameter(PrinterLoadState, kLoadDisc)) return true;
    if (!retry || m_printerSense != kLoadRetrySense) return false;
    return SetParameter(PrinterLoadState, kLoadDisc);
}

bool VardenTransporter::LoadPrinter(int rotationOffset) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!SetParameter(200, 2)) return false;
    if (!SendLoad(rotationOffset, true)) return false;
    SetParameterFlag(PrinterLoadState, false);
    return true;
}

bool VardenTransporter::ReloadPrinter(int rotationOffset) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!SetParameter(PrinterLoadState, kTakeDiscOut)) return false;
    if (!SendLoad(rotationOffset, false)) return false;
    if (m_hasTolvanePrinter || m_printerKindSerialTolvane || m_isAutoPrinterV6) return true;
    if (!m_channel->Write(reinterpret_cast<const byte*>(kReloadFrames), kReloadFramesLength)) {
        m_lastError = m_channel->GetLastErrorText();
        return false;
    }
    return true;
}

bool VardenTransporter::MoveDisc(bool toFirst) {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!SetParameter(toFirst ? 200 : PrinterLoadState, 2)) return false;
    return SetParameter(270, 1);
}

bool VardenTransporter::UnloadPrinter() {
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    if (!SetParameter(PrinterLoadState, kTakeDiscOut)) {
        if (m_loaderSense == kUnloadClearSense) SetParameterFlag(PrinterLoadState, false);
        return false;
    }
    SetParameterFlag(PrinterLoadState, false);
    return m_isDesktop ? SetParameter(300, 1) : SetParameter(201, 1);
}

bool VardenTransporter::IsPrinterLoaded() {
    std::optional<int> state = ReadParameterDigit(PrinterLoadState);
    return state && *state == kDiscLoaded;
}

bool VardenTransporter::BeginPrintJob() {
    SetParameterFlag(PrinterLoadState, false);
    return true;
}

void VardenTransporter::RunGripperTest(int kind) {
    if (kind == 1) {
        // Cycle test: runs until the device stops answering.
        for (;;) {
            std::optional<int> closed = ReadParameterDigit(300);
            if (!closed) return;
            if (*closed == 1) {
                PumpAndWait(kGripperClosedPauseMs);
                continue;
            }
            if (!SetParameterFlag(300, false)) return;
            PumpAndWait(kGripperTogglePauseMs);
            if (!SetParameterFlag(300, true)) return;
            PumpAndWait(kGripperTogglePauseMs);
        }
    }
    if (kind == 2) {
        // Status test: reads the gripper status until a read fails, and tells how far it got.
        if (AppBase::Current().ShowMessage(L"Gripper Status Test. Continue?", MB_YESNO) != IDYES)
            return;
        unsigned attempts = 1;
        while (ReadParameterDigit(220)) ++attempts;
        AppBase::Current().ShowMessage(
            WidenString(EscCommand::Format("Failed after %u attempts", attempts).c_str()), MB_OK);
    }
}

void VardenTransporter::PulseSignal(int count) {
    for (int pulse = 0; pulse < count; ++pulse) {
        if (!SendCommand("\x1b!f5111C", kPulseTimeoutSeconds)) return;
        Sleeper::Wait(kPulsePauseMs);
        if (!SendCommand("\x1b!f5000C", kPulseTimeoutSeconds)) return;
        Sleeper::Wait(kPulsePauseMs);
    }
}
