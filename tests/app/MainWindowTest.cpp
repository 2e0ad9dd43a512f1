// The main window on its own (no connection code): built from its template, its own
// handlers, data exchange, Enter and Esc, the busy rule around the close, the close order
// and the profile values it writes.
#include "MainWindowFakes.h"

#include "app/MainDialog.h"
#include "app/resource.h"
#include "framework/AppBase.h"
#include "framework/ModalDriver.h"
#include "framework/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>

namespace {

const wchar_t* const kMaker = L"TavrixMainWindowTest";
const wchar_t* const kAboutTitle = L"About Varden Corlane";

// The main window with a logged device "found" at start-up.
class PlainWindow : public MainDialog {
public:
    explicit PlainWindow(std::vector<std::string>& log) : m_log(log) {}

    int startPort = 3;
    bool HasDevice() const { return m_transporter && m_channel; }
    int BaudRate() const { return m_baudRate; }
    int PortIndex() const { return m_portIndex; }
    const std::wstring& LoaderSn() const { return m_autoloaderSn; }
    // Runs during while a device operation holds the busy flag.
    void RunBusy(const std::function<void()>& during) {
        BusyScope busy(*this);
        during();
    }

protected:
    void ConnectAtStartup() override {
        m_channel.reset(new LoggedChannel(m_log));
        m_transporter.reset(new LoggedTransporter(m_log));
        m_portIndex = startPort;
        m_status = L"Connected";
        m_autoloaderSn = L"L1234567";
        m_beepsOnFault = 3;
    }

private:
    std::vector<std::string>& m_log;
};

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + std::wstring(kMaker)).c_str());
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        app.SetRegistryKey(kMaker);
    }
    ~MainWindowTest() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + std::wstring(kMaker)).c_str());
    }
    // Opens the window modelessly, so that the test can work it message by message.
    HWND Open(PlainWindow& window) {
        EXPECT_TRUE(window.Create());
        return window.GetHwnd();
    }
    int Profile(const wchar_t* entry) {
        return app.GetProfileInt(MainDialog::kLastGood, entry, -99);
    }

    AppBase app;
    ScriptedMessageBoxes boxes;
    std::vector<std::string> log;
};

TEST_F(MainWindowTest, OpensFromItsTemplateWithThePortListAndTheMembersShown) {
    PlainWindow window(log);
    HWND hwnd = Open(window);
    ASSERT_TRUE(hwnd);
    wchar_t title[64] = L"";
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(L"Varden Corlane", title);

    HWND port = GetDlgItem(hwnd, IDC_PORT);
    ASSERT_EQ(9, SendMessageW(port, CB_GETCOUNT, 0, 0));
    const wchar_t* items[] = {L"HID",  L"COM1", L"COM2", L"COM3", L"COM4",
                              L"COM5", L"COM6", L"COM7", L"COM8"};
    for (int i = 0; i < 9; ++i) {
        wchar_t item[16] = L"";
        SendMessageW(port, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(items[i], item);
    }
    EXPECT_EQ(3, SendMessageW(port, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"Connected", ModalDriver::Text(hwnd, IDC_STATUS));
    EXPECT_EQ(L"L1234567", ModalDriver::Text(hwnd, IDC_AUTOLOADER_SN));
    EXPECT_EQ(L"3", ModalDriver::Text(hwnd, IDC_BEEPS_ON_FAULT));
    EXPECT_EQ(L"&Calibrate Rotator", ModalDriver::Text(hwnd, IDC_CALIBRATE));
    EXPECT_EQ(L"Image count:", ModalDriver::Text(hwnd, IDC_IMAGE_COUNT_LABEL));
    for (int id : {IDC_UPDATE_FIRMWARE, IDC_APPLY_SETTINGS, IDC_UPDATE_SN, IDC_EXIT, IDC_PORT})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, id))) << id;
    EXPECT_FALSE(window.IsBusy());

    // The About item at the end of the system menu.
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    wchar_t text[64] = L"";
    GetMenuStringW(menu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(L"&About Corlane...", text);

    window.DestroyWindow();
}

TEST_F(MainWindowTest, PortBeyondTheListSurvivesAWindowReadAndIsSavedAtClose) {
    PlainWindow window(log);
    window.startPort = 12;
    HWND hwnd = Open(window);
    EXPECT_EQ(CB_ERR, SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(window.UpdateData(true));
    EXPECT_EQ(12, window.PortIndex());
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(12, Profile(MainDialog::kFirstPortEntry));

    // A port the user picks from the list still replaces it.
    PlainWindow picked(log);
    picked.startPort = 12;
    HWND pickedHwnd = Open(picked);
    SendDlgItemMessageW(pickedHwnd, IDC_PORT, CB_SETCURSEL, 2, 0);
    EXPECT_TRUE(picked.UpdateData(true));
    EXPECT_EQ(2, picked.PortIndex());
    picked.DestroyWindow();
}

TEST_F(MainWindowTest, FieldChecksStopTheReadAtTheFailingField) {
    PlainWindow window(log);
    HWND hwnd = Open(window);
    HWND loaderSn = GetDlgItem(hwnd, IDC_AUTOLOADER_SN);
    EXPECT_EQ(8, SendMessageW(loaderSn, EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(8, SendDlgItemMessageW(hwnd, IDC_PRINTER_SN, EM_GETLIMITTEXT, 0, 0));

    SetDlgItemTextW(hwnd, IDC_BEEPS_ON_FAULT, L"many");
    SetDlgItemTextW(hwnd, IDC_AUTOLOADER_SN, L"NEWSN");
    SendDlgItemMessageW(hwnd, IDC_PORT, CB_SETCURSEL, 5, 0);
    EXPECT_FALSE(window.UpdateData(true));
    EXPECT_EQ(std::vector<std::wstring>{L"Enter an integer."}, boxes.Texts());
    // The fields after the refused one were not read.
    EXPECT_EQ(L"L1234567", window.LoaderSn());
    EXPECT_EQ(3, window.PortIndex());

    // A nine-character serial number set from outside the keyboard fails the read.
    boxes.shown.clear();
    SetDlgItemTextW(hwnd, IDC_BEEPS_ON_FAULT, L"4");
    SetDlgItemTextW(hwnd, IDC_PRINTER_SN, L"123456789");
    EXPECT_FALSE(window.UpdateData(true));
    EXPECT_EQ(std::vector<std::wstring>{L"Enter no more than 8 characters."}, boxes.Texts());
    EXPECT_EQ(GetDlgItem(hwnd, IDC_PRINTER_SN), GetFocus());
    window.DestroyWindow();
}

TEST_F(MainWindowTest, EnterAndEscLeaveTheWindowOpenExitClosesItDeviceFirst) {
    app.WriteProfileInt(MainDialog::kLastGood, MainDialog::kBaudRateEntry, 38400);
    PlainWindow window(log);
    EXPECT_EQ(38400, window.BaudRate());
    bool openAfterKeys = false;
    ModalDriver driver(L"Varden Corlane", [&](HWND hwnd) {
        HWND focus = GetDlgItem(hwnd, IDC_OVERRIDE_NAME);
        SetFocus(focus);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        PumpPending();
        openAfterKeys = IsWindow(hwnd) && log.empty();
        ModalDriver::Click(hwnd, IDC_EXIT);
    });
    EXPECT_EQ(IDCANCEL, window.DoModal());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ((std::vector<std::string>{"device released", "channel released"}), log);
    EXPECT_EQ(38400, Profile(MainDialog::kBaudRateEntry));
    EXPECT_EQ(3, Profile(MainDialog::kFirstPortEntry));
}

TEST_F(MainWindowTest, CloseBoxWritesTheDefaultsWhenNothingWasRead) {
    PlainWindow window(log);
    HWND hwnd = Open(window);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ((std::vector<std::string>{"device released", "channel released"}), log);
    EXPECT_EQ(1200, Profile(MainDialog::kBaudRateEntry));
    EXPECT_EQ(3, Profile(MainDialog::kFirstPortEntry));
}

TEST_F(MainWindowTest, CloseDuringAnOperationWaitsForItsEnd) {
    PlainWindow window(log);
    HWND hwnd = Open(window);
    bool heldBack = false;
    window.RunBusy([&] {
        EXPECT_TRUE(window.IsBusy());
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        ModalDriver::Click(hwnd, IDC_EXIT);
        heldBack = IsWindow(hwnd) && window.HasDevice() && log.empty() &&
                   Profile(MainDialog::kFirstPortEntry) == -99;
    });
    EXPECT_TRUE(heldBack);
    EXPECT_FALSE(window.IsBusy());
    PumpPending();  // the held-back close runs from the window's loop
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ((std::vector<std::string>{"device released", "channel released"}), log);
    EXPECT_EQ(3, Profile(MainDialog::kFirstPortEntry));

    // An operation with no close asked for leaves the window open.
    PlainWindow other(log);
    HWND otherHwnd = Open(other);
    other.RunBusy([] {});
    PumpPending();
    EXPECT_TRUE(IsWindow(otherHwnd));
    other.DestroyWindow();
}

TEST_F(MainWindowTest, AboutButtonAndSystemMenuShowTheSameBoxEvenWhileBusy) {
    PlainWindow window(log);
    HWND hwnd = Open(window);
    SetActiveWindow(hwnd);
    // The box is owned by the window, which takes no click or close meanwhile.
    bool ownedAndBlocking = false;
    ModalDriver driver(kAboutTitle, [&](HWND box) {
        ownedAndBlocking = GetWindow(box, GW_OWNER) == hwnd && !IsWindowEnabled(hwnd);
        ModalDriver::Click(box, IDOK);
    });
    ModalDriver::Click(hwnd, IDC_ABOUT);
    EXPECT_EQ(1, driver.Runs());
    EXPECT_TRUE(ownedAndBlocking);
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    driver.Rearm();
    SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(2, driver.Runs());
    driver.Rearm();
    window.RunBusy([&] { ModalDriver::Click(hwnd, IDC_ABOUT); });
    EXPECT_EQ(3, driver.Runs());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(IsWindow(hwnd));
    window.DestroyWindow();
}

}  // namespace
