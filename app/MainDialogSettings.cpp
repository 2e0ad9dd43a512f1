// The main window's Apply Settings and Update SN buttons: the values go to the device, the
// device stores them in flash, and once it answers again they are read back into the window.
#include "app/MainDialog.h"

#include "device/Sleeper.h"
#include "framework/AppBase.h"
#include "framework/WaitCursor.h"
#include "links/SystemUtil.h"

#include <cstring>

namespace {

constexpr int kSettleReadTimeoutMs = 2000;
constexpr int kNormalReadTimeoutMs = 60000;
constexpr unsigned kAfterStoreMs = 3000;
constexpr int kSensePolls = 21;
constexpr unsigned kSensePollIntervalMs = 1000;
constexpr unsigned kBeforeReadBackMs = 500;

constexpr int kLowRate = 38400;
const char kLowRateCommand[] = "\x1b!b38400C";
const char kLowRateAccepted[] = "\x1b!b1C";
constexpr int kLowRateReplyLength = 5;
constexpr int kLowRateTimeoutSeconds = 5;

// Trailing blanks, tabs and line ends.
void TrimRight(std::wstring& text) {
    size_t end = text.find_last_not_of(L" \t\r\n\v\f");
    text.erase(end == std::wstring::npos ? 0 : end + 1);
}

}  // namespace

bool MainDialog::LowerLineTo38400() {
    if (m_baudRate <= kLowRate) return true;
    byte reply[kLowRateReplyLength] = {};
    if (!m_channel->Transact(reinterpret_cast<const byte*>(kLowRateCommand),
                             static_cast<int>(std::strlen(kLowRateCommand)), reply,
                             kLowRateReplyLength, kLowRateTimeoutSeconds) ||
        std::memcmp(reply, kLowRateAccepted, kLowRateReplyLength) != 0) {
        m_status = L"Failed to change to 38400 Baud";
        return false;
    }
    // The device listens at 38400 from here on, whatever the port does.
    m_baudRate = kLowRate;
    if (!m_channel->SetBaudRate(kLowRate)) {
        m_status = L"Unable to change to 38400 Baud on " + WidenString(m_channel->GetPortName());
        return false;
    }
    return true;
}

void MainDialog::StoreAndSettle(void (MainDialog::*readBack)()) {
    m_status = L"Updating Flash Parameters...";
    UpdateData(false);
    PumpMessages();
    WaitCursor waitCursor;

    if (!m_transporter->UpdateFlashParameters(true)) {
        m_status = WidenString(m_transporter->GetErrorText());
        UpdateData(false);
        return;
    }

    m_channel->SetReadTimeout(kSettleReadTimeoutMs);
    Sleeper::Wait(kAfterStoreMs);
    // The device restarts its firmware after the store; no answer in time is not reported.
    for (int poll = 1; poll <= kSensePolls; ++poll) {
        if (m_transporter->RequestSense(Transporter::kDefaultSenseTimeout, nullptr, nullptr))
            break;
        if (poll < kSensePolls) Sleeper::Wait(kSensePollIntervalMs);
    }
    m_channel->SetReadTimeout(kNormalReadTimeoutMs);
    Sleeper::Wait(kBeforeReadBackMs);

    (this->*readBack)();
    m_status = L"Parameter update succeeded";
    UpdateData(false);
}

void MainDialog::ReadBackDisplaySettings() {
    std::string name;
    bool firstFlag = false, overrideName = false, fifthFlag = false;
    int beeps = 0;
    // The beep count and the first flag read back are not shown: the beep field keeps the
    // value entered. A failed read leaves the window as it was.
    if (!m_transporter->GetPlattorParams(name, firstFlag, overrideName, fifthFlag, beeps)) return;
    m_overrideName = WidenString(name.c_str());
    m_overrideNameFlag = overrideName;
    m_displayFlagD = fifthFlag;
}

void MainDialog::ReadBackSerialNumbers() {
    std::string loaderSn, printerSn;
    if (!m_transporter->GetSerialNumbers(loaderSn, printerSn)) return;
    m_autoloaderSn = WidenString(loaderSn.c_str());
    m_printerSn = WidenString(printerSn.c_str());
}

void MainDialog::OnBnClickedApplySettings() {
    // Tested before the window is read: a click while another operation runs (through its
    // message pump) must leave the members as they are.
    if (!m_transporter || !m_channel || m_busy) return;
    if (!UpdateData(true)) return;

    const Transporter* asked = m_transporter.get();
    if (m_overrideNameFlag) {
        TrimRight(m_overrideName);
        if (m_overrideName.empty()) {
            if (AppBase::Current().ShowMessage(
                    L"The Override Name flag is cleared when the name is blank. Proceed anyway?",
                    MB_YESNO) != IDYES)
                return;
            m_overrideNameFlag = false;
            // Only on the device the question was about.
            if (m_transporter.get() != asked || !m_channel || m_busy) return;
        }
    }

    BusyScope busy(*this);
    PumpMessages();
    WaitCursor waitCursor;

    m_transporter->RequestSense(Transporter::kDefaultSenseTimeout, nullptr, nullptr);
    if (!m_transporter->SetPlattorParams(NarrowString(m_overrideName), false, m_overrideNameFlag,
                                         m_displayFlagD, m_beepsOnFault)) {
        m_status = WidenString(m_transporter->GetErrorText());
        UpdateData(false);
        return;
    }
    StoreAndSettle(&MainDialog::ReadBackDisplaySettings);
}

void MainDialog::OnBnClickedUpdateSn() {
    // Numbers that could not be read are not written back as blanks.
    if (!m_transporter || !m_channel || m_busy || m_serialNumbersUnread) return;
    // A refused field stops here as in Apply Settings: the serial numbers would otherwise be
    // the members' older values, not what the window shows.
    if (!UpdateData(true)) return;

    BusyScope busy(*this);
    PumpMessages();
    WaitCursor waitCursor;

    m_transporter->RequestSense(Transporter::kDefaultSenseTimeout, nullptr, nullptr);
    // The line stays at 38400 for the rest of the connection.
    if (!LowerLineTo38400()) {
        UpdateData(false);
        return;
    }
    if (!m_transporter->SetSerialNumbers(NarrowString(m_autoloaderSn),
                                         NarrowString(m_printerSn))) {
        m_status = WidenString(m_transporter->GetErrorText());
        UpdateData(false);
        return;
    }
    StoreAndSettle(&MainDialog::ReadBackSerialNumbers);
}
