// The calibration dialog (Test, Restore Default, Save Offset, Exit) and the main window's
// Calibrate and Print Calibration Grid buttons, over a scripted device.
#include "OpsWindowRig.h"
#include "app/CalibrateDialog.h"
#include "tests/framework/ModalDriver.h"

#include <gtest/gtest.h>

#include <climits>

using namespace opsrig;

namespace {

// The dialog run modelessly, its handlers reachable.
class TestCalibrate : public CalibrateDialog {
public:
    explicit TestCalibrate(Transporter& device) : CalibrateDialog(&device, nullptr, nullptr) {
        Create();
    }
    ~TestCalibrate() override {
        if (GetHwnd()) DestroyWindow();
    }
    void Click(int id) {
        SendMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetItem(id)));
    }
    void Fields(const wchar_t* left, const wchar_t* right, const wchar_t* margin,
                const wchar_t* top) {
        SetItemText(IDC_CAL_LEFT_OFFSET, left);
        SetItemText(IDC_CAL_RIGHT_OFFSET, right);
        SetItemText(IDC_CAL_LEFT_MARGIN, margin);
        SetItemText(IDC_CAL_TOP_MARGIN, top);
    }
    std::wstring FieldsText() const {
        return GetItemText(IDC_CAL_LEFT_OFFSET) + L"," + GetItemText(IDC_CAL_RIGHT_OFFSET) + L"," +
               GetItemText(IDC_CAL_LEFT_MARGIN) + L"," + GetItemText(IDC_CAL_TOP_MARGIN);
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetItem(id)) != FALSE; }
    using CalibrateDialog::m_running;
};

const wchar_t kReadMarks[] =
    L"Enter new left and right offset values based on the printed offset marks and re-test "
    L"if necessary\nWhen the printed offset marks are as close to 32 as possible, hit Save "
    L"Offset to save the offsets permanently";
const wchar_t kFailed[] =
    L"\nThe calibration operation failed but the offset value was incorporated.\nClear the "
    L"transporter and re-test with displayed margin values";

}  // namespace

TEST(CalibrateDialog, TestSendsMeanOffsetAndMarginsLoadsPrintsAndShowsDefaults) {
    ScriptedDevice device;
    TestCalibrate dialog(device);
    device.Watch(dialog.GetHwnd(), IDC_CAL_STATUS);
    EXPECT_EQ(dialog.FieldsText(), L"32,32,5,75");
    dialog.Fields(L"30", L"35", L"7", L"80");
    dialog.Click(IDC_CAL_TEST);
    std::vector<std::string> expected = {"SetRotationOffset 32", "SetLeftMargin 7",
                                         "SetTopMargin 80",      "LoadPrinter 0",
                                         "GetPrintGridFile 3",   "WritePrintData 3"};
    EXPECT_EQ(device.calls, expected);
    // What the dialog shows while it loads and while it prints.
    EXPECT_EQ(device.statuses[3], L"Loading the Printer");
    EXPECT_EQ(device.statuses[4], L"Printing the Offset Marks");
    EXPECT_EQ(dialog.GetItemText(IDC_CAL_STATUS), std::wstring(kReadMarks));
    EXPECT_EQ(dialog.FieldsText(), L"32,32,5,75");

    // The disc stays in the printer: the next Test reloads.
    device.calls.clear();
    dialog.Click(IDC_CAL_TEST);
    EXPECT_EQ(device.Count("ReloadPrinter 0"), 1);
    EXPECT_EQ(device.Count("LoadPrinter"), 0);
}

TEST(CalibrateDialog, RestoreDefaultSendsOffset100ThenFieldsAgain) {
    ScriptedDevice device;
    TestCalibrate dialog(device);
    dialog.Fields(L"10", L"20", L"3", L"60");
    dialog.Click(IDC_CAL_RESTORE_DEFAULT);
    EXPECT_EQ(device.calls[0], "SetRotationOffset 100");
    EXPECT_EQ(device.calls[1], "SetLeftMargin 3");
    device.calls.clear();
    dialog.Fields(L"-3", L"0", L"5", L"75");
    dialog.Click(IDC_CAL_TEST);
    EXPECT_EQ(device.calls[0], "SetRotationOffset -1");
}

TEST(CalibrateDialog, MeanOfLargeOffsetsDoesNotOverflow) {
    EXPECT_EQ(CalibrateDialog::MeanOffset(INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(CalibrateDialog::MeanOffset(INT_MIN, INT_MIN), INT_MIN);
    EXPECT_EQ(CalibrateDialog::MeanOffset(31, 34), 32);
}

TEST(CalibrateDialog, CapabilitiesDecideFieldsAndCommands) {
    {  // settings without a rotation offset: offsets greyed, never sent
        ScriptedDevice device;
        device.Caps(true, false, true, false, 1);
        TestCalibrate dialog(device);
        EXPECT_FALSE(dialog.Enabled(IDC_CAL_LEFT_OFFSET));
        EXPECT_FALSE(dialog.Enabled(IDC_CAL_RIGHT_OFFSET));
        EXPECT_TRUE(dialog.Enabled(IDC_CAL_TOP_MARGIN));
        dialog.Click(IDC_CAL_TEST);
        EXPECT_EQ(device.Count("SetRotationOffset"), 0);
        EXPECT_EQ(device.Count("SetLeftMargin"), 1);
    }
    {  // no settings, no margins, not stand-alone, no printer: offset only, nothing printed
        ScriptedDevice device;
        device.Caps(false, true, false, false, 0);
        TestCalibrate dialog(device);
        EXPECT_TRUE(dialog.Enabled(IDC_CAL_LEFT_OFFSET));
        EXPECT_FALSE(dialog.Enabled(IDC_CAL_LEFT_MARGIN));
        dialog.Click(IDC_CAL_TEST);
        std::vector<std::string> expected = {"SetRotationOffset 32", "LoadPrinter 0"};
        EXPECT_EQ(device.calls, expected);
        EXPECT_EQ(dialog.GetItemText(IDC_CAL_STATUS), std::wstring(kReadMarks));
    }
}

TEST(CalibrateDialog, FailuresAppendTheFailureText) {
    {
        ScriptedDevice device;
        device.loadOk = false;
        device.SetError("Transporter: Sense = 12");
        TestCalibrate dialog(device);
        dialog.Click(IDC_CAL_TEST);
        EXPECT_EQ(dialog.GetItemText(IDC_CAL_STATUS),
                  L"Transporter: Sense = 12" + std::wstring(kFailed));
        EXPECT_EQ(device.Count("GetPrintGridFile"), 0);
    }
    {
        ScriptedDevice device;
        device.printOk = false;
        TestCalibrate dialog(device);
        dialog.Click(IDC_CAL_TEST);
        EXPECT_EQ(dialog.GetItemText(IDC_CAL_STATUS),
                  L"Printing the Offset Marks" + std::wstring(kFailed));
    }
    {  // a field without a number: nothing sent
        ScriptedDevice device;
        TestCalibrate dialog(device);
        AnsweredBoxes boxes;
        MessageBoxes::Override use(&boxes);
        boxes.answers = {IDOK};
        dialog.Fields(L"abc", L"32", L"5", L"75");
        dialog.Click(IDC_CAL_TEST);
        EXPECT_TRUE(device.calls.empty());
    }
}

TEST(CalibrateDialog, SaveExitAndButtonsRefusedWhileOneRuns) {
    ScriptedDevice device;
    TestCalibrate dialog(device);
    dialog.Click(IDC_CAL_SAVE_OFFSET);
    std::vector<std::string> expected = {"UpdateFlashParameters 1", "SetOperatingMode 0"};
    EXPECT_EQ(device.calls, expected);

    device.calls.clear();
    dialog.m_running = true;
    dialog.Click(IDC_CAL_TEST);
    dialog.Click(IDC_CAL_RESTORE_DEFAULT);
    dialog.Click(IDC_CAL_SAVE_OFFSET);
    dialog.Click(IDOK);
    EXPECT_TRUE(device.calls.empty());
    EXPECT_NE(dialog.GetHwnd(), nullptr);
    dialog.m_running = false;

    // Exit with a disc in the printer takes it out first.
    device.loaded = true;
    dialog.Click(IDOK);
    EXPECT_EQ(device.calls, std::vector<std::string>{"UnloadPrinter"});
    EXPECT_EQ(dialog.GetHwnd(), nullptr);
}

TEST(CalibrateButton, MainWindowIsBusyWhileTheDialogIsOpenAndStatusIsCleared) {
    OpsRig rig;
    ScriptedDevice& device = rig.UseScripted();
    rig.window.m_status = L"old";
    bool busyInside = false;
    ModalDriver driver(L"Rotational Calibration", [&](HWND dialog) {
        busyInside = rig.window.IsBusy();
        // A click on the main window meanwhile does nothing.
        rig.window.Click(IDC_PRINT_GRID);
        ModalDriver::Click(dialog, IDOK);
    });
    rig.window.Click(IDC_CALIBRATE);
    EXPECT_EQ(driver.Runs(), 1);
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(rig.window.IsBusy());
    EXPECT_EQ(device.Count("LoadPrinter"), 0);
    EXPECT_EQ(rig.window.m_status, L"");
}

TEST(PrintGridButton, LoadsPrintsUnloadsAndReportsEachFailure) {
    {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        rig.window.Click(IDC_PRINT_GRID);
        std::vector<std::string> expected = {"LoadPrinter -1", "GetPrintGridFile 2",
                                             "WritePrintData 3", "UnloadPrinter"};
        EXPECT_EQ(device.calls, expected);
        EXPECT_EQ(device.statuses[1], L"Printing the selected pattern");
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Printing Completed");
        EXPECT_FALSE(rig.window.IsBusy());
    }
    {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.printOk = false;
        rig.window.Click(IDC_PRINT_GRID);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Print file not found");
        EXPECT_EQ(device.Count("UnloadPrinter"), 0);
    }
    {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.loadOk = false;
        device.SetError("Transporter: Sense = 3");
        rig.window.Click(IDC_PRINT_GRID);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Transporter: Sense = 3");
    }
    {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.unloadOk = false;
        device.SetError("Printer: Sense = 8");
        rig.window.Click(IDC_PRINT_GRID);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Printer: Sense = 8");
    }
}
