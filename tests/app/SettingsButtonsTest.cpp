// Apply Settings and Update SN: what reaches the device, the blank-name question, the line
// speed change for the serial numbers, the store-and-settle waits, the read-back and the
// status texts, and the refusals that must leave the device alone.
#include "OpsWindowRig.h"
#include "links/SystemUtil.h"

#include <gtest/gtest.h>

using namespace opsrig;

namespace {

void Type(OpsWindow& window, int id, const std::wstring& text) {
    SetDlgItemTextW(window.GetHwnd(), id, text.c_str());
}

void Tick(OpsWindow& window, int id, bool on) {
    CheckDlgButton(window.GetHwnd(), id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

TEST(ApplySettings, WritesNameFlagsAndBeepsStoresWaitsAndReadsBack) {
    OpsRig rig;
    ScriptedDevice& device = rig.UseScripted();
    rig.window.m_displayFlagD = true;
    rig.window.UpdateData(false);
    Type(rig.window, IDC_OVERRIDE_NAME, L"DESK 4   ");
    Type(rig.window, IDC_BEEPS_ON_FAULT, L"12");
    Tick(rig.window, IDC_OVERRIDE_NAME_FLAG, true);
    rig.loader.Log().Clear();

    rig.window.Click(IDC_APPLY_SETTINGS);

    std::vector<std::string> expected = {"RequestSense", "SetPlattorParams DESK 4 0 1 1 12",
                                         "UpdateFlashParameters 1", "RequestSense",
                                         "GetPlattorParams"};
    EXPECT_EQ(device.calls, expected);
    // The trimmed name was sent; what the device holds comes back; the beeps stay typed.
    EXPECT_EQ(rig.window.Text(IDC_OVERRIDE_NAME), L"DESK 4          ");
    EXPECT_EQ(rig.window.Text(IDC_BEEPS_ON_FAULT), L"12");
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded");
    EXPECT_EQ(device.statuses[2], L"Updating Flash Parameters...");
    EXPECT_FALSE(rig.window.IsBusy());
    // 3 s after the store, then half a second before the read-back; read time-outs 2 s then 60 s.
    EXPECT_EQ(rig.loader.Log().Sleeps(), (std::vector<long>{3000, 500}));
    std::vector<SimLog::Entry> timeouts = rig.loader.Log().Settings("SetReadTimeout");
    ASSERT_EQ(timeouts.size(), 2u);
    EXPECT_EQ(timeouts[0].value, 2000);
    EXPECT_EQ(timeouts[1].value, 60000);
}

TEST(ApplySettings, BlankNameAsksAndYesClearsTheFlag) {
    OpsRig rig;
    ScriptedDevice& device = rig.UseScripted();
    Type(rig.window, IDC_OVERRIDE_NAME, L"    ");
    Tick(rig.window, IDC_OVERRIDE_NAME_FLAG, true);

    rig.boxes.answers = {IDNO};
    rig.window.Click(IDC_APPLY_SETTINGS);
    ASSERT_EQ(rig.boxes.texts.size(), 1u);
    EXPECT_EQ(rig.boxes.texts[0],
              L"The Override Name flag is cleared when the name is blank. Proceed anyway?");
    EXPECT_TRUE(device.calls.empty());

    rig.boxes.answers = {IDYES};
    rig.window.Click(IDC_APPLY_SETTINGS);
    ASSERT_GE(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[1], "SetPlattorParams  0 0 0 0");
    // The flag read back is clear, and with it the name.
    EXPECT_FALSE(rig.window.Checked(IDC_OVERRIDE_NAME_FLAG));
    EXPECT_EQ(rig.window.Text(IDC_OVERRIDE_NAME), L"");
}

TEST(ApplySettings, RefusalsAndFailures) {
    {  // a beep field without a number: nothing is sent
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        Type(rig.window, IDC_BEEPS_ON_FAULT, L"many");
        rig.boxes.answers = {IDOK};
        rig.window.Click(IDC_APPLY_SETTINGS);
        EXPECT_TRUE(device.calls.empty());
        EXPECT_EQ(rig.boxes.texts, std::vector<std::wstring>{L"Enter an integer."});
    }
    {  // the device refuses the write: its text, no store
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.writeOk = false;
        device.SetError("Transporter: Sense = 41");
        rig.window.Click(IDC_APPLY_SETTINGS);
        EXPECT_EQ(device.Count("UpdateFlashParameters"), 0);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Transporter: Sense = 41");
        EXPECT_FALSE(rig.window.IsBusy());
    }
    {  // the store fails: its text, no waits, no read-back
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.storeOk = false;
        device.SetError("Printer: Sense = 9");
        rig.window.Click(IDC_APPLY_SETTINGS);
        EXPECT_EQ(device.Count("GetPlattorParams"), 0);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Printer: Sense = 9");
    }
    {  // while another operation runs, no device button reads the window, asks or sends
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        struct Busy : MainDialog {
            static void Run(MainDialog& w, const std::function<void()>& during) {
                BusyScope busy(w);
                during();
            }
        };
        rig.window.m_status = L"Downloading - 45%";
        Type(rig.window, IDC_STATUS, L"typed over");
        Type(rig.window, IDC_BEEPS_ON_FAULT, L"x");
        Tick(rig.window, IDC_DISABLE_COMPAT_CHECK, true);
        Busy::Run(rig.window, [&] {
            for (int id : {IDC_APPLY_SETTINGS, IDC_UPDATE_SN, IDC_UPDATE_FIRMWARE, IDC_CALIBRATE,
                           IDC_PRINT_GRID})
                rig.window.Click(id);
            // Clicks that wait in the queue until the operation ends act no later.
            for (int id : {IDC_APPLY_SETTINGS, IDC_UPDATE_SN, IDC_UPDATE_FIRMWARE})
                PostMessageW(rig.window.GetHwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(rig.window.GetHwnd(), id)));
        });
        PumpMessages();
        EXPECT_TRUE(device.calls.empty());
        EXPECT_TRUE(rig.boxes.texts.empty());
        EXPECT_TRUE(rig.files.asked.empty());
        EXPECT_EQ(rig.window.m_status, L"Downloading - 45%");
        EXPECT_FALSE(rig.window.m_disableCompatCheck);
        EXPECT_TRUE(rig.window.Checked(IDC_DISABLE_COMPAT_CHECK));
    }
}

TEST(ApplySettings, CloseOrPortChangeWhileTheBlankNameQuestionIsUp) {
    for (bool close : {true, false}) {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        HWND hwnd = rig.window.GetHwnd();
        Type(rig.window, IDC_OVERRIDE_NAME, L"");
        Tick(rig.window, IDC_OVERRIDE_NAME_FLAG, true);
        rig.boxes.answers = {IDYES};
        rig.boxes.whileShown = [&] {
            if (close) {
                SendMessageW(hwnd, WM_CLOSE, 0, 0);
                return;
            }
            // COM3 has another autoloader, which must hear nothing of this question.
            SendDlgItemMessageW(hwnd, IDC_PORT, CB_SETCURSEL, 3, 0);
            rig.window.Click(IDC_PORT, CBN_SELCHANGE);
        };
        rig.window.Click(IDC_APPLY_SETTINGS);
        ASSERT_TRUE(IsWindow(hwnd)) << close;
        // The answer is carried out on the device it was about.
        EXPECT_EQ(device.Count("SetPlattorParams  0 0 0 0"), 1) << close;
        EXPECT_EQ(device.Count("GetPlattorParams"), 1) << close;
        if (close) {
            PumpMessages();
            EXPECT_FALSE(IsWindow(hwnd));
        } else {
            EXPECT_EQ(rig.loader.Log().Count("\x1b!f9"), 0) << rig.loader.Log().Describe();
            EXPECT_EQ(rig.loader.Log().Count("\x1b!g1C"), 0);
            EXPECT_EQ(rig.window.m_transporter.get(), &device);
            EXPECT_FALSE(rig.window.IsBusy());
        }
    }
}

TEST(ApplySettings, NoSenseAnswerStillReadsBackAndAFailedReadKeepsTheFields) {
    OpsRig rig;
    ScriptedDevice& device = rig.UseScripted();
    device.senseOk = false;
    device.readOk = false;
    Type(rig.window, IDC_OVERRIDE_NAME, L"KEEPME");
    Tick(rig.window, IDC_OVERRIDE_NAME_FLAG, true);
    rig.window.Click(IDC_APPLY_SETTINGS);
    // One sense before the write, 21 polls after the store.
    EXPECT_EQ(device.Count("RequestSense"), 22);
    EXPECT_EQ(rig.loader.Log().Sleeps().size(), 2u + 20u);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded");
    EXPECT_EQ(rig.window.Text(IDC_OVERRIDE_NAME), L"KEEPME");
    EXPECT_TRUE(rig.window.Checked(IDC_OVERRIDE_NAME_FLAG));
    // Update SN's read-back on the same device keeps the numbers entered as well.
    Type(rig.window, IDC_AUTOLOADER_SN, L"A1");
    rig.window.Click(IDC_UPDATE_SN);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded");
    EXPECT_EQ(rig.window.Text(IDC_AUTOLOADER_SN), L"A1");
}

TEST(UpdateSn, LowersTheLineTo38400AndStaysThere) {
    OpsRig rig;
    ScriptedDevice& device = rig.UseScripted();
    Type(rig.window, IDC_AUTOLOADER_SN, L"A123");
    Type(rig.window, IDC_PRINTER_SN, L"B4567890");
    rig.loader.Log().Clear();

    rig.window.Click(IDC_UPDATE_SN);

    EXPECT_EQ(rig.loader.Log().Count("\x1b!b38400C"), 1) << rig.loader.Log().Describe();
    EXPECT_EQ(rig.loader.BaudRate(), 38400);
    EXPECT_EQ(rig.window.m_channel->GetBaudRate(), 38400);
    EXPECT_EQ(rig.window.m_baudRate, 38400);
    EXPECT_EQ(device.Count("SetSerialNumbers A123 B4567890"), 1);
    EXPECT_EQ(rig.window.Text(IDC_AUTOLOADER_SN), L"A123    ");
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded");

    // At 38400 no further change is asked for.
    rig.loader.Log().Clear();
    rig.window.Click(IDC_UPDATE_SN);
    EXPECT_EQ(rig.loader.Log().Count("\x1b!b"), 0);
}

TEST(UpdateSn, RateRefusedOrFieldRefusedWritesNothing) {
    {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        rig.loader.ReplyWith("\x1b!b", "\x1b!b0C");
        rig.window.Click(IDC_UPDATE_SN);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Failed to change to 38400 Baud");
        EXPECT_EQ(device.Count("SetSerialNumbers"), 0);
        EXPECT_EQ(rig.window.m_baudRate, 115200);
        EXPECT_FALSE(rig.window.IsBusy());
    }
    {  // a refused beep field stops the serial numbers too
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        Type(rig.window, IDC_BEEPS_ON_FAULT, L"x");
        rig.boxes.answers = {IDOK};
        rig.window.Click(IDC_UPDATE_SN);
        EXPECT_TRUE(device.calls.empty());
    }
    {  // the port cannot follow the device
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        static_cast<SimChannel&>(*rig.window.m_channel)
            .Fail(SimChannel::Op::SetBaudRate, "", ChannelError::ReceiveTimeout);
        rig.window.Click(IDC_UPDATE_SN);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Unable to change to 38400 Baud on COM3");
        EXPECT_EQ(device.Count("SetSerialNumbers"), 0);
        EXPECT_EQ(rig.window.m_baudRate, 38400);
    }
}

TEST(SettingsOnTheSimulatedLoader, SerialNumbersAndNameRoundTrip) {
    OpsRig rig;
    ASSERT_TRUE(rig.Connect());
    Type(rig.window, IDC_AUTOLOADER_SN, L"A77");
    Type(rig.window, IDC_PRINTER_SN, L"P1234567");
    rig.window.Click(IDC_UPDATE_SN);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded")
        << rig.loader.Log().Describe();
    EXPECT_EQ(rig.window.Text(IDC_AUTOLOADER_SN), L"A77     ");
    EXPECT_EQ(rig.loader.BaudRate(), 38400);

    // The 7340 takes display settings.
    ASSERT_TRUE(rig.window.m_transporter->SupportsPlattorParams());
    Type(rig.window, IDC_OVERRIDE_NAME, L"FRONT DESK");
    Tick(rig.window, IDC_OVERRIDE_NAME_FLAG, true);
    Type(rig.window, IDC_BEEPS_ON_FAULT, L"3");
    rig.window.Click(IDC_APPLY_SETTINGS);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Parameter update succeeded");
    EXPECT_EQ(rig.loader.StoredText(100) + rig.loader.StoredText(101), "FRONT DESK      ");
    EXPECT_EQ(rig.window.Text(IDC_OVERRIDE_NAME), L"FRONT DESK      ");
    EXPECT_TRUE(rig.window.Checked(IDC_OVERRIDE_NAME_FLAG));
}
