// The main window's connection over simulated devices: the start-up scan order of ports
// and rates, connecting on HID and on a COM port, clear-to-send off, identification of both
// device classes, and the port combo box.
#include "ConnectWindowRig.h"

#include "app/WaitDialog.h"
#include "device/AutoPrinter.h"
#include "device/VardenTransporter.h"
#include "links/HidDeviceSearch.h"

#include <gtest/gtest.h>


using namespace connectrig;

namespace {

using Events = std::vector<std::string>;

const int kDeviceControls[] = {IDC_UPDATE_FIRMWARE, IDC_UPDATE_SN,     IDC_CALIBRATE,
                               IDC_PRINT_GRID,      IDC_AUTOLOADER_SN, IDC_PRINTER_SN,
                               IDC_OVERRIDE_NAME,   IDC_OVERRIDE_NAME_FLAG,
                               IDC_APPLY_SETTINGS,  IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN};

// A device on the line that never answers.
struct SilentDevice : SimAutoloader {
    SilentDevice() { Silence("", -1); }
};

size_t IndexOf(const Events& events, const std::string& event) {
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i] == event) return i;
    return events.size();
}

}  // namespace

TEST(ConnectScan, RunsFromTheRememberedPortToCom256ThenFromHid) {
    WindowRig rig;
    SilentDevice silent;
    rig.channels.AddSerial(6, silent);
    bool waitWindowShown = false;
    rig.channels.onOpen = [&](SimChannel&) {
        HWND wait = FindWindowW(nullptr, L"Scanning...");
        waitWindowShown = wait && IsWindowVisible(wait);
    };
    rig.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 5);
    TestWindow& window = rig.Open();
    EXPECT_TRUE(waitWindowShown);

    Events opens = rig.channels.Opens();
    ASSERT_EQ(opens.size(), 256u);
    EXPECT_EQ(opens[0], "open COM5 9600");  // no good rate yet: "COM Params" default
    EXPECT_EQ(opens[1], "open COM6 9600");
    // The silent port tried every rate; the next port starts at the last one.
    EXPECT_EQ(opens[2], "open COM7 115200");
    EXPECT_EQ(opens[251], "open COM256 115200");
    EXPECT_EQ(opens[252], "open COM1 115200");
    EXPECT_EQ(opens[255], "open COM4 115200");
    const Events& events = rig.channels.events;
    size_t hid = IndexOf(events, "hid 13");
    EXPECT_EQ(hid, IndexOf(events, "open COM256 115200") + 1);
    EXPECT_EQ(events[hid + 1], "hid 17");
    EXPECT_EQ(silent.Log().Count("\x1b!e0C"), 3);

    EXPECT_EQ(window.m_portIndex, 5);
    EXPECT_EQ(rig.boxes.texts, std::vector<std::wstring>{L"Unable to communicate with a transporter"});
    EXPECT_EQ(FindWindowW(nullptr, L"Scanning..."), nullptr);
    EXPECT_EQ(window.m_transporter, nullptr);
    for (int id : kDeviceControls) EXPECT_FALSE(window.IsEnabled(id)) << id;
    EXPECT_TRUE(window.IsEnabled(IDC_PORT));
    EXPECT_TRUE(window.IsEnabled(IDC_EXIT));
}

TEST(ConnectScan, RememberedPortOutsideTheRangeStartsAtHid) {
    for (int first : {300, -1}) {
        WindowRig rig;
        rig.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, first);
        TestWindow& window = rig.Open();
        EXPECT_EQ(rig.channels.events.front(), "hid 13") << first;
        EXPECT_EQ(rig.channels.Opens().size(), 256u) << first;
        EXPECT_EQ(window.m_portIndex, 0) << first;
    }
}

TEST(ConnectScan, RatesFollowTheStartRate) {
    struct Case {
        int startRate;
        int comParamsBaud;  // 0: none stored
        Events expected;
    };
    const Case cases[] = {
        {9600, 0, {"open COM2 9600", "rate 38400", "rate 115200"}},
        {38400, 0, {"open COM2 38400", "rate 9600", "rate 115200"}},
        {115200, 0, {"open COM2 115200", "rate 9600", "rate 38400"}},
        {19200, 0, {"open COM2 19200", "rate 9600", "rate 38400", "rate 115200"}},
        {1200, 0, {"open COM2 9600", "rate 38400", "rate 115200"}},
        {1200, 57600, {"open COM2 57600", "rate 9600", "rate 38400", "rate 115200"}},
    };
    for (const Case& c : cases) {
        WindowRig rig;
        SilentDevice silent;
        rig.channels.AddSerial(2, silent);
        if (c.comParamsBaud)
            rig.SetProfile(MainDialog::kComParams, MainDialog::kBaudEntry, c.comParamsBaud);
        TestWindow& window = rig.Open(false);
        window.m_portIndex = 2;
        window.m_baudRate = c.startRate;
        EXPECT_FALSE(window.ConnectOnPort(nullptr));
        EXPECT_EQ(rig.channels.events, c.expected) << c.startRate;
        EXPECT_EQ(silent.Log().Count("\x1b!e0C"), static_cast<int>(c.expected.size()));
        EXPECT_EQ(window.m_status, L"No transporter found");
        EXPECT_EQ(window.m_portPath, L"\\\\.\\COM2");
        EXPECT_EQ(window.m_baudRate, c.startRate == 115200 ? 38400 : 115200);  // the last tried
        // The channel stays open until the next attempt or the close.
        EXPECT_NE(window.m_channel, nullptr);
    }
}

TEST(ConnectScan, ConnectsOnComAtTheRateTheDeviceListensAtAndRemembersIt) {
    WindowRig rig;
    SimAutoloader loader;
    loader.SetBaudRate(38400);
    loader.SetPrinter("TOLVANE", "XJQN22");
    rig.channels.AddSerial(3, loader);
    rig.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 3);
    rig.SetProfile(MainDialog::kLastGood, MainDialog::kBaudRateEntry, 9600);
    TestWindow& window = rig.Open();

    EXPECT_EQ(rig.channels.events, (Events{"open COM3 9600", "rate 38400"}));
    ASSERT_NE(window.m_transporter, nullptr);
    EXPECT_NE(dynamic_cast<VardenTransporter*>(window.m_transporter.get()), nullptr);
    EXPECT_TRUE(rig.boxes.texts.empty());
    EXPECT_EQ(window.m_baudRate, 38400);
    EXPECT_EQ(window.m_portIndex, 3);
    EXPECT_EQ(SendDlgItemMessageW(window.GetHwnd(), IDC_PORT, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(window.GetItemText(IDC_INQUIRY_ID),
              std::wstring(L"VARDEN 7340     VERSION 3.214A  "));
    // With a printer the record is read a second time, whole, after half a second.
    std::vector<SimLog::Entry> inquiries = loader.Log().Exchanges("\x1b!e0C");
    ASSERT_GE(inquiries.size(), 3u);  // at 9600 (unheard), then twice at 38400
    EXPECT_EQ(inquiries[1].replyLength, 39);
    EXPECT_EQ(inquiries[2].replyLength, 71);
    EXPECT_EQ(rig.sleeper.waits.front(), 500u);
    EXPECT_EQ(FindWindowW(nullptr, L"Scanning..."), nullptr);

    SendMessageW(window.GetHwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(rig.app.GetProfileInt(MainDialog::kLastGood, MainDialog::kFirstPortEntry, -5), 3);
    EXPECT_EQ(rig.app.GetProfileInt(MainDialog::kLastGood, MainDialog::kBaudRateEntry, -5), 38400);
}

TEST(ConnectScan, ConnectsOnHidInProductOrderAndDeviceOrder) {
    WindowRig rig;
    SimAutoloader stranger, loader;
    stranger.SetLoader("NOT A LOADER", "VERSION 1.000");
    rig.channels.AddHid(0x000D, stranger);
    rig.channels.AddHid(0x000D, loader);
    TestWindow& window = rig.Open(false);
    window.m_portIndex = 0;
    ASSERT_TRUE(window.ConnectOnPort(nullptr));
    EXPECT_EQ(rig.channels.events, (Events{"hid 13", "hid 13 #0", "hid 13 #1"}));
    EXPECT_STREQ(window.m_channel->GetPortName(), "HID-1");
    EXPECT_EQ(window.m_baudRate, 9600);  // what the close stores as "Baud Rate"

    WindowRig second;
    SimAutoloader other;
    second.channels.AddHid(0x0011, other);
    TestWindow& hidWindow = second.Open(false);
    hidWindow.m_portIndex = 0;
    ASSERT_TRUE(hidWindow.ConnectOnPort(nullptr));
    EXPECT_EQ(second.channels.events, (Events{"hid 13", "hid 17", "hid 17 #0"}));
}

TEST(ConnectScan, CtsOffStopsThePortAndKeepsTheChannelAndTheControls) {
    WindowRig rig;
    SimAutoloader loader;
    rig.channels.AddSerial(4, loader);
    rig.channels.onOpen = [](SimChannel& channel) {
        channel.Fail(SimChannel::Op::Transact, "", ChannelError::CtsOff, -1);
    };
    TestWindow& window = rig.Open(false);
    window.m_portIndex = 4;
    window.m_baudRate = 115200;
    EXPECT_FALSE(window.ConnectOnPort(nullptr));
    EXPECT_EQ(window.m_status, L"CTS is off");
    EXPECT_EQ(rig.channels.events, (Events{"open COM4 115200"}));
    EXPECT_NE(window.m_channel, nullptr);
    EXPECT_EQ(window.m_transporter, nullptr);
    for (int id : kDeviceControls) EXPECT_TRUE(window.IsEnabled(id)) << id;

    // In the start-up scan the next port is tried.
    WindowRig scan;
    SimAutoloader held, free;
    scan.channels.AddSerial(4, held);
    scan.channels.AddSerial(5, free);
    scan.channels.onOpen = [](SimChannel& channel) {
        if (std::string(channel.GetPortName()) == "COM4")
            channel.Fail(SimChannel::Op::Transact, "", ChannelError::CtsOff, -1);
    };
    scan.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 4);
    scan.SetProfile(MainDialog::kLastGood, MainDialog::kBaudRateEntry, 115200);
    TestWindow& scanned = scan.Open();
    EXPECT_EQ(scanned.m_portIndex, 5);
    EXPECT_NE(scanned.m_transporter, nullptr);
}

TEST(ConnectScan, RefusedRateChangeNamesTheRateAndPort) {
    WindowRig rig;
    SilentDevice silent;
    rig.channels.AddSerial(3, silent);
    rig.channels.onOpen = [](SimChannel& channel) {
        channel.Fail(SimChannel::Op::SetBaudRate, "", ChannelError::SetCommStateFailed);
    };
    TestWindow& window = rig.Open(false);
    window.m_portIndex = 3;
    window.m_baudRate = 9600;
    EXPECT_FALSE(window.ConnectOnPort(nullptr));
    EXPECT_EQ(window.m_status, L"Unable to change to 38400 Baud on COM3");
    for (int id : kDeviceControls) EXPECT_FALSE(window.IsEnabled(id)) << id;
}

TEST(ConnectScan, UnopenablePortAndOversizedRecordAreNoDevice) {
    WindowRig rig;
    SimAutoloader liar;
    // A length field larger than the record buffer can take.
    liar.ReplyWith("\x1b!e0C", "\x1b!e0" "099" + std::string(32, 'X'), -1);
    rig.channels.AddSerial(2, liar);
    TestWindow& window = rig.Open(false);
    window.m_portIndex = 7;
    window.m_baudRate = 9600;
    EXPECT_FALSE(window.ConnectOnPort(nullptr));
    EXPECT_EQ(window.m_status, L"Unable to open \\\\.\\COM7");
    EXPECT_EQ(window.GetItemText(IDC_STATUS), L"Unable to open \\\\.\\COM7");  // shown at once
    EXPECT_EQ(window.m_channel, nullptr);

    window.m_portIndex = 2;
    EXPECT_FALSE(window.ConnectOnPort(nullptr));
    EXPECT_EQ(window.m_status, L"No transporter found");
    EXPECT_EQ(window.m_transporter, nullptr);
}

TEST(ConnectScan, IdentifiesBothDeviceClasses) {
    WindowRig rig;
    SimAutoloader loader;
    loader.SetLoader("CD-R AUTOPRINTER", "VERSION 3.100A");
    rig.channels.AddSerial(1, loader);
    TestWindow& window = rig.Open(false);
    window.m_portIndex = 1;
    window.m_baudRate = 115200;
    ASSERT_TRUE(window.ConnectOnPort(nullptr));
    EXPECT_NE(dynamic_cast<VardenTransporter*>(window.m_transporter.get()), nullptr);

    loader.SetLoader("CD-R AutoPrinter", "VERSION 6.000");
    ASSERT_TRUE(window.ConnectOnPort(nullptr));
    EXPECT_NE(dynamic_cast<AutoPrinter*>(window.m_transporter.get()), nullptr);
}

TEST(ConnectScan, ComboConnectsOnTheChosenPort) {
    WindowRig rig;
    SimAutoloader loader;
    rig.channels.AddSerial(3, loader);
    TestWindow& window = rig.Open(false);

    // A field before the combo that refuses the read does not keep the old port.
    SetDlgItemTextW(window.GetHwnd(), IDC_BEEPS_ON_FAULT, L"x");
    window.ChoosePort(3);
    EXPECT_EQ(window.m_portIndex, 3);
    EXPECT_NE(window.m_transporter, nullptr);
    EXPECT_EQ(rig.boxes.texts, std::vector<std::wstring>{L"Enter an integer."});
    EXPECT_FALSE(window.IsBusy());

    rig.boxes.texts.clear();
    SetDlgItemTextW(window.GetHwnd(), IDC_BEEPS_ON_FAULT, L"0");
    window.ChoosePort(5);
    EXPECT_EQ(window.m_transporter, nullptr);  // the working connection was given up
    EXPECT_EQ(rig.boxes.texts,
              std::vector<std::wstring>{L"Unable to communicate with the transporter on \\\\.\\COM5"});

    WindowRig empty;
    TestWindow& nothing = empty.Open(false);
    nothing.ChoosePort(0);
    EXPECT_EQ(empty.channels.Opens().size(), 256u);
    EXPECT_EQ(empty.boxes.texts, std::vector<std::wstring>{L"Unable to find a transporter"});
    EXPECT_EQ(nothing.m_portIndex, 1);
}

TEST(ConnectScan, WaitWindowShowsItself) {
    WaitDialog wait(nullptr);
    HWND hwnd = FindWindowW(nullptr, L"Scanning...");
    ASSERT_EQ(hwnd, wait.GetHwnd());
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(wait.GetItemText(IDC_WAIT_TEXT), L"Scanning ports for transporters, please wait");
    wait.Close();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(ConnectScan, EachAttemptSaysWhereAndAtWhichRateItLooks) {
    WindowRig rig;
    SilentDevice silent;
    rig.channels.AddSerial(12, silent);
    rig.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 12);
    rig.SetProfile(MainDialog::kLastGood, MainDialog::kBaudRateEntry, 38400);
    // At each inquiry: the wait window's text during the start-up scan, else the status line.
    std::vector<std::wstring> shown;
    rig.channels.onTransact = [&] {
        HWND wait = FindWindowW(nullptr, L"Scanning...");
        HWND text = wait ? GetDlgItem(wait, IDC_WAIT_TEXT)
                         : GetDlgItem(rig.window->GetHwnd(), IDC_STATUS);
        wchar_t buffer[128] = L"";
        GetWindowTextW(text, buffer, 128);
        shown.push_back(buffer);
    };
    TestWindow& window = rig.Open();
    window.m_portIndex = 12;
    EXPECT_FALSE(window.ConnectOnPort(nullptr));
    const std::wstring at = L"Looking for a transporter on COM12 at ";
    EXPECT_EQ(shown, (std::vector<std::wstring>{at + L"38400 baud", at + L"9600 baud",
                                                 at + L"115200 baud", at + L"115200 baud",
                                                 at + L"9600 baud", at + L"38400 baud"}));
}

TEST(ConnectScan, SystemChannelsAreNullWhereNothingIsAttached) {
    ChannelFactory& system = ChannelFactory::System();
    EXPECT_EQ(system.OpenSerial("\\\\.\\COM251", 9600), nullptr);
    EXPECT_TRUE(system.ListHid(kHidProductIds[0]).empty());
    EXPECT_EQ(system.ConnectHid(kHidProductIds[0], L"", 0), nullptr);
}
