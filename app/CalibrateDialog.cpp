#include "app/CalibrateDialog.h"

#include "app/resource.h"
#include "device/CPrint.h"
#include "device/Transporter.h"
#include "framework/DataExchange.h"
#include "framework/WaitCursor.h"
#include "links/SystemUtil.h"

#include <cstdint>
#include <string>

namespace {

const wchar_t kPlaceDiscText[] =
    L"Place a calibration disc in bin 1 and hit Test to see if the current offsets and "
    L"margins are correct";
const wchar_t kFailedText[] =
    L"\nThe calibration operation failed but the offset value was incorporated.\nClear the "
    L"transporter and re-test with displayed margin values";
const wchar_t kReadMarksText[] =
    L"Enter new left and right offset values based on the printed offset marks and re-test "
    L"if necessary\nWhen the printed offset marks are as close to 32 as possible, hit Save "
    L"Offset to save the offsets permanently";

// Marks a button's operation as running for its life.
class RunningScope {
public:
    explicit RunningScope(bool& running) : m_running(running) { m_running = true; }
    ~RunningScope() { m_running = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& m_running;
};

}  // namespace

CalibrateDialog::CalibrateDialog(Transporter* device, ILoaderComm* channel, HWND parent)
    : Dialog(IDD_CALIBRATE, parent), m_transporter(device), m_channel(channel) {
    OnClicked(IDC_CAL_RESTORE_DEFAULT, [this] { OnBnClickedRestoreDefault(); });
    OnClicked(IDC_CAL_TEST, [this] { OnBnClickedTest(); });
    OnClicked(IDC_CAL_SAVE_OFFSET, [this] { OnBnClickedSaveOffset(); });
}

int CalibrateDialog::MeanOffset(int left, int right) {
    // In 64 bits: the sum of two large offsets must not overflow.
    return static_cast<int>((static_cast<int64_t>(left) + right) / 2);
}

void CalibrateDialog::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_CAL_LEFT_OFFSET, m_leftOffset);
    DDX_Text(dx, IDC_CAL_RIGHT_OFFSET, m_rightOffset);
    DDX_Text(dx, IDC_CAL_LEFT_MARGIN, m_leftMargin);
    DDX_Text(dx, IDC_CAL_TOP_MARGIN, m_topMargin);
    DDX_Text(dx, IDC_CAL_STATUS, m_status);
}

void CalibrateDialog::ShowDefaults() {
    m_leftOffset = kDefaultOffset;
    m_rightOffset = kDefaultOffset;
    m_leftMargin = kDefaultLeftMargin;
    m_topMargin = kDefaultTopMargin;
    UpdateData(false);
}

BOOL CalibrateDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    if (m_transporter->SupportsSettings() && !m_transporter->SupportsRotationOffset()) {
        EnableItem(IDC_CAL_LEFT_OFFSET, false);
        EnableItem(IDC_CAL_RIGHT_OFFSET, false);
    }
    if (!m_transporter->HasMarginSettings()) {
        EnableItem(IDC_CAL_LEFT_MARGIN, false);
        EnableItem(IDC_CAL_TOP_MARGIN, false);
    }
    m_status = kPlaceDiscText;
    ShowDefaults();
    return TRUE;
}

void CalibrateDialog::OnBnClickedTest() {
    if (m_running) return;
    if (!UpdateData(true)) {
        m_restoreDefault = false;
        return;
    }
    RunningScope running(m_running);
    WaitCursor waitCursor;
    Transporter& device = *m_transporter;

    if (m_restoreDefault) m_leftOffset = m_rightOffset = kRestoredOffset;
    const int mean = MeanOffset(m_leftOffset, m_rightOffset);
    if (device.SupportsRotationOffset()) device.SetRotationOffset(mean);
    if (device.SupportsSettings() || device.IsStandalonePrinter()) {
        device.SetLeftMargin(m_leftMargin);
        device.SetTopMargin(m_topMargin);
    }
    if (!m_restoreDefault) {
        m_leftOffset = m_rightOffset = mean;
        UpdateData(false);
    }
    m_restoreDefault = false;

    m_status = L"Loading the Printer";
    UpdateData(false);
    PumpMessages();
    waitCursor.Restore();

    CPrint print(&device);
    bool failed = false;
    const bool loaded = device.IsPrinterLoaded() ? device.ReloadPrinter(0) : device.LoadPrinter(0);
    if (!loaded) {
        m_status = WidenString(device.GetErrorText());
        failed = true;
    } else {
        m_status = L"Printing the Offset Marks";
        UpdateData(false);
        PumpMessages();
        waitCursor.Restore();
        if (device.GetPrinterPresent() > 0 && !print.PrintFile(CPrint::kCalibrationMarks)) failed = true;
    }

    if (failed)
        m_status += kFailedText;
    else
        m_status = kReadMarksText;
    ShowDefaults();
}

void CalibrateDialog::OnBnClickedRestoreDefault() {
    if (m_running) return;
    m_restoreDefault = true;
    OnBnClickedTest();
}

void CalibrateDialog::OnBnClickedSaveOffset() {
    if (m_running) return;
    RunningScope running(m_running);
    WaitCursor waitCursor;
    m_transporter->UpdateFlashParameters(true);
    m_transporter->SetOperatingMode(0);
}

void CalibrateDialog::ReturnDisc() {
    WaitCursor waitCursor;
    m_transporter->UnloadPrinter();
}

void CalibrateDialog::OnOK() {
    if (m_running) return;
    if (m_transporter->IsPrinterLoaded()) {
        RunningScope running(m_running);
        ReturnDisc();
    }
    EndDialog(IDOK);
}

void CalibrateDialog::OnCancel() {
    if (m_running) return;
    Dialog::OnCancel();
}
