// The dialog base and data exchange on a dialog of the tests' own template: routing of
// clicks and selections, the OK/Cancel/Close defaults, modal and modeless runs, the
// exchange routines and their refusals, the modeless keyboard hook.
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ModalDriver.h"
#include "framework/ScriptedMessageBoxes.h"
#include "framework/SpinButton.h"
#include "framework/AppBase.h"

#include "TestDialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

class TestDialog : public Dialog {
public:
    TestDialog() : Dialog(IDD_TEST) {
        OnClicked(IDC_T_GO, [this] { ++goClicks; });
        OnSelChange(IDC_T_LIST, [this] { ++selections; });
    }

    std::wstring name = L"first";
    int number = 7;
    bool flag = true;
    int listIndex = 1;
    std::wstring code = L"AB";
    std::wstring last = L"end";
    SpinButton spin;
    int goClicks = 0;
    int selections = 0;
    int initCount = 0;

protected:
    BOOL OnInitDialog() override {
        ++initCount;
        for (const wchar_t* item : {L"zero", L"one", L"two"})
            SendDlgItemMessageW(GetHwnd(), IDC_T_LIST, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(item));
        return Dialog::OnInitDialog();
    }
    void DoDataExchange(DataExchange& dx) override {
        DDX_Text(dx, IDC_T_NAME, name);
        DDX_Text(dx, IDC_T_NUMBER, number);
        DDX_Control(dx, IDC_T_SPIN, spin);
        DDX_Check(dx, IDC_T_FLAG, flag);
        DDX_CBIndex(dx, IDC_T_LIST, listIndex);
        DDX_Text(dx, IDC_T_CODE, code);
        DDV_MaxChars(dx, IDC_T_CODE, code, 4);
        DDX_Text(dx, IDC_T_LAST, last);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(dialog.Create());
        hwnd = dialog.GetHwnd();
    }
    void SetText(int id, const wchar_t* text) { SetDlgItemTextW(hwnd, id, text); }
    std::wstring Text(int id) { return ModalDriver::Text(hwnd, id); }

    ScriptedMessageBoxes boxes;
    TestDialog dialog;
    HWND hwnd = nullptr;
};

TEST_F(DialogTest, InitialisationMovesTheMembersIntoTheControls) {
    EXPECT_EQ(1, dialog.initCount);
    EXPECT_EQ(L"first", Text(IDC_T_NAME));
    EXPECT_EQ(L"7", Text(IDC_T_NUMBER));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd, IDC_T_FLAG));
    EXPECT_EQ(1, SendDlgItemMessageW(hwnd, IDC_T_LIST, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(GetDlgItem(hwnd, IDC_T_SPIN), dialog.spin.GetHwnd());
    dialog.spin.SetRange(0, 9);
    int lower = -1, upper = -1;
    dialog.spin.GetRange(lower, upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(9, upper);
}

TEST_F(DialogTest, ReadingTakesEveryFieldBack) {
    SetText(IDC_T_NAME, L"second");
    SetText(IDC_T_NUMBER, L"  -42 ");
    CheckDlgButton(hwnd, IDC_T_FLAG, BST_UNCHECKED);
    SendDlgItemMessageW(hwnd, IDC_T_LIST, CB_SETCURSEL, 2, 0);
    SetText(IDC_T_CODE, L"WXYZ");
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(L"second", dialog.name);
    EXPECT_EQ(-42, dialog.number);
    EXPECT_FALSE(dialog.flag);
    EXPECT_EQ(2, dialog.listIndex);
    EXPECT_EQ(L"WXYZ", dialog.code);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DialogTest, IndeterminateCheckAndEmptySelectionRead) {
    CheckDlgButton(hwnd, IDC_T_FLAG, BST_INDETERMINATE);
    SendDlgItemMessageW(hwnd, IDC_T_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_FALSE(dialog.flag);
    EXPECT_EQ(-1, dialog.listIndex);

    // A position the list does not have shows no selection.
    dialog.listIndex = 12;
    dialog.UpdateData(false);
    EXPECT_EQ(CB_ERR, SendDlgItemMessageW(hwnd, IDC_T_LIST, CB_GETCURSEL, 0, 0));
}

TEST_F(DialogTest, NonIntegerIsRefusedAndTheExchangeStopsThere) {
    for (const wchar_t* bad : {L"abc", L"12x", L"", L"-", L"99999999999", L"1 2"}) {
        boxes.shown.clear();
        dialog.name = L"unchanged";
        dialog.number = 5;
        dialog.flag = true;
        SetText(IDC_T_NAME, L"read");
        SetText(IDC_T_NUMBER, bad);
        CheckDlgButton(hwnd, IDC_T_FLAG, BST_UNCHECKED);
        EXPECT_FALSE(dialog.UpdateData(true)) << "accepted \"" << bad << "\"";
        EXPECT_EQ(L"read", dialog.name);   // before the refused field
        EXPECT_EQ(5, dialog.number);        // the refused field keeps its value
        EXPECT_TRUE(dialog.flag);           // after it: not read
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_EQ(L"Enter an integer.", boxes.shown[0].text);
        EXPECT_EQ(GetDlgItem(hwnd, IDC_T_NUMBER), GetFocus());
    }
    SetText(IDC_T_NUMBER, L"-2147483648");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(-2147483647 - 1, dialog.number);
}

TEST_F(DialogTest, TooLongTextIsRefusedWithTheLimit) {
    SetText(IDC_T_CODE, L"ABCDE");
    SetText(IDC_T_LAST, L"changed");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(std::vector<std::wstring>{L"Enter no more than 4 characters."}, boxes.Texts());
    EXPECT_EQ(L"end", dialog.last);
    EXPECT_EQ(GetDlgItem(hwnd, IDC_T_CODE), GetFocus());
    // Writing never refuses.
    dialog.code = L"TOOLONG";
    EXPECT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(L"TOOLONG", Text(IDC_T_CODE));
}

TEST_F(DialogTest, WritingLeavesAnUnchangedTextAlone) {
    HWND name = GetDlgItem(hwnd, IDC_T_NAME);
    SendMessageW(name, EM_SETMODIFY, TRUE, 0);
    dialog.UpdateData(false);  // same text: not set again, so the edit keeps its mark
    EXPECT_TRUE(SendMessageW(name, EM_GETMODIFY, 0, 0));
    dialog.name = L"other";
    dialog.UpdateData(false);
    EXPECT_FALSE(SendMessageW(name, EM_GETMODIFY, 0, 0));
    EXPECT_EQ(L"other", Text(IDC_T_NAME));
}

TEST_F(DialogTest, ClicksAndSelectionsReachTheirHandlers) {
    SendDlgItemMessageW(hwnd, IDC_T_GO, BM_CLICK, 0, 0);
    EXPECT_EQ(1, dialog.goClicks);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_T_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_T_LIST)));
    EXPECT_EQ(1, dialog.selections);
    // Another notification of the same control goes nowhere.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_T_LIST, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_T_LIST)));
    EXPECT_EQ(1, dialog.selections);
}

TEST_F(DialogTest, OkEndsOnlyAfterAGoodRead) {
    SetText(IDC_T_NUMBER, L"x");
    ModalDriver::Click(hwnd, IDOK);
    EXPECT_TRUE(IsWindow(hwnd));
    SetText(IDC_T_NUMBER, L"3");
    ModalDriver::Click(hwnd, IDOK);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, dialog.GetHwnd());
    EXPECT_EQ(3, dialog.number);
}

TEST_F(DialogTest, ModelessKeyboardGoesThroughThePumpHook) {
    HWND name = GetDlgItem(hwnd, IDC_T_NAME);
    SetFocus(name);
    MSG tab = {name, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(AppBase::Current().PreTranslateMessage(tab));
    EXPECT_EQ(GetDlgItem(hwnd, IDC_T_NUMBER), GetFocus());
    // Messages of other windows and non-keyboard messages are left to the pump.
    MSG paint = {name, WM_PAINT, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(AppBase::Current().PreTranslateMessage(paint));
    dialog.DestroyWindow();
    MSG late = {name, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(AppBase::Current().PreTranslateMessage(late));
}

TEST(ModalDialog, RunsUntilEndedAndReturnsTheResult) {
    ScriptedMessageBoxes boxes;
    TestDialog dialog;
    ModalDriver driver(L"Framework Test", [](HWND hwnd) {
        SetDlgItemTextW(hwnd, IDC_T_NAME, L"typed");
        ModalDriver::Click(hwnd, IDC_T_GO);
        ModalDriver::Click(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(1, dialog.goClicks);
    EXPECT_EQ(L"typed", dialog.name);

    // The close box and Esc end with IDCANCEL without reading the fields.
    for (UINT message : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_KEYDOWN)}) {
        TestDialog again;
        ModalDriver closer(L"Framework Test", [message](HWND hwnd) {
            SetDlgItemTextW(hwnd, IDC_T_NAME, L"ignored");
            if (message == WM_CLOSE)
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
            else
                PostMessageW(GetDlgItem(hwnd, IDC_T_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        EXPECT_EQ(IDCANCEL, again.DoModal());
        EXPECT_FALSE(closer.TimedOut());
        EXPECT_EQ(L"first", again.name);
    }
}

}  // namespace
