// The main window's printer buttons: the calibration dialog and the calibration grid.
#include "app/MainDialog.h"

#include "app/CalibrateDialog.h"
#include "device/CPrint.h"
#include "framework/WaitCursor.h"
#include "links/SystemUtil.h"

#include <string>

void MainDialog::OnBnClickedCalibrate() {
    if (!m_transporter || m_busy) return;
    // Busy while the dialog is open: its operations pump messages, and nothing of the main
    // window (a close above all) may touch the device under it.
    BusyScope busy(*this);
    CalibrateDialog dialog(m_transporter.get(), m_channel.get(), GetHwnd());
    dialog.DoModal();
    m_status.clear();
}

void MainDialog::OnBnClickedPrintGrid() {
    if (!m_transporter || m_busy) return;
    BusyScope busy(*this);
    WaitCursor waitCursor;
    PrintPattern(CPrint::kAlignmentGrid);
}

void MainDialog::PrintPattern(int pattern) {
    if (!m_channel) {
        m_status = L"No transporter available";
        UpdateData(false);
        return;
    }
    Transporter& device = *m_transporter;
    CPrint print(&device);
    if (!device.LoadPrinter(-1)) {
        m_status = WidenString(device.GetErrorText());
        UpdateData(false);
        return;
    }
    m_status = L"Printing the selected pattern";
    UpdateData(false);
    if (!print.PrintFile(pattern)) {
        m_status = WidenString(print.GetErrorText());
        UpdateData(false);
        return;
    }
    if (!device.UnloadPrinter()) {
        m_status = WidenString(device.GetErrorText());
        UpdateData(false);
        return;
    }
    m_status = L"Printing Completed";
    UpdateData(false);
}
