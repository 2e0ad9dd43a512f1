// The stand-alone printer's operations over the simulated printer: each command with its
// CTS wait, read time-out and reply time-out, refusals judged by the sense that follows,
// loading in USB printer-port mode with its prompt, serial number, parameter store, tray
// and counters.

#include "AutoPrinterProbe.h"
#include "framework/MessageBoxes.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

using Lines = std::vector<std::string>;

const char kSenseFirst[] = "<ESC>!r3C r9 t20";  // with the reply time-out left at 20

class PrinterOperations : public ::testing::Test {
protected:
    void SetUp() override {
        printer = rig.Connect<AutoPrinterProbe>();
        ASSERT_TRUE(printer);
    }
    // The lines of a command sent through SendCommand with its reply time-out.
    static Lines Sent(const std::string& command, int replyTimeout) {
        return {command + " r0 t60", "sleep 500", "<ESC>!r3C r9 t" + std::to_string(replyTimeout)};
    }
    static Lines Join(std::initializer_list<Lines> parts) {
        Lines all;
        for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    SimAutoPrinterRig rig;
    std::unique_ptr<AutoPrinterProbe> printer;
};

TEST_F(PrinterOperations, EachCommandGoesOutWithItsSettings) {
    const Lines settingStart = {"SetCtsTimeout=3", kSenseFirst};
    struct {
        const char* name;
        std::function<bool(AutoPrinter&)> run;
        Lines expected;
    } cases[] = {
        {"left margin capped", [](AutoPrinter& p) { return p.SetLeftMargin(11); },
         Join({settingStart, Sent("<ESC>!m0010C", 3)})},
        {"negative left margin", [](AutoPrinter& p) { return p.SetLeftMargin(-5); },
         Join({settingStart, Sent("<ESC>!m0-05C", 3)})},
        {"top margin capped", [](AutoPrinter& p) { return p.SetTopMargin(151); },
         Join({settingStart, Sent("<ESC>!m1150C", 3)})},
        {"rotation offset capped", [](AutoPrinter& p) { return p.SetRotationOffset(65); },
         Join({settingStart, Sent("<ESC>!m2064C", 3)})},
        {"alternate offset", [](AutoPrinter& p) { return p.SetAlternateOffset(999); },
         Join({settingStart, Sent("<ESC>!m3999C", 3)})},
        {"operating mode", [](AutoPrinter& p) { return p.SetOperatingMode(12); },
         Join({settingStart, Sent("<ESC>!t12C", 3)})},
        {"short serial number", [](AutoPrinter& p) { return p.SetSerialNumbers("LOADER", "ABC"); },
         Join({settingStart, Sent("<ESC>!f9CABC     ", 3)})},
        {"long serial number", [](AutoPrinter& p) { return p.SetSerialNumbers("", "0123456789"); },
         Join({settingStart, Sent("<ESC>!f9C01234567", 3)})},
        {"load with a value", [](AutoPrinter& p) { return p.LoadPrinter(0); },
         Join({settingStart, {"SetCtsTimeout=120"}, Sent("<ESC>!t0C", 3),
               Sent("<ESC>!f31100000C", 180)})},
        {"load without a value", [](AutoPrinter& p) { return p.LoadPrinter(-1); },
         Join({settingStart, {"SetCtsTimeout=20"}, Sent("<ESC>!t0C", 3),
               Sent("<ESC>!s500C", 60)})},
        {"reload -1 as 0", [](AutoPrinter& p) { return p.ReloadPrinter(-1); },
         Join({{kSenseFirst, "SetCtsTimeout=120", "SetReadTimeout=60000"},
               Sent("<ESC>!f3120C", 120)})},
        {"move disc", [](AutoPrinter& p) { return p.MoveDisc(true); },
         Join({settingStart, {"SetCtsTimeout=120", "SetReadTimeout=60000"},
               Sent("<ESC>!f313000C", 60), {"SetReadTimeout=20000"}})},
        {"unload", [](AutoPrinter& p) { return p.UnloadPrinter(); },
         Join({settingStart, {"SetCtsTimeout=10"}, Sent("<ESC>!d0C", 10)})},
        {"store parameters", [](AutoPrinter& p) { return p.UpdateFlashParameters(true); },
         {"SetCtsTimeout=30", "SetReadTimeout=30000", "<ESC>!g1C r0 t60", "sleep 10000",
          "<ESC>!r3C r9 t20", "SetReadTimeout=20000"}},
        {"tray", [](AutoPrinter& p) { return p.PresentPrinterTray(); }, {"<ESC>!r0C r6 t15"}},
        {"serial number read",
         [](AutoPrinter& p) {
             std::string loader, sn;
             return p.GetSerialNumbers(loader, sn);
         },
         {"SetCtsTimeout=3", "<ESC>!f:C r14 t5"}},
        {"download start", [](AutoPrinter& p) { return p.BeginFlash(65536); },
         {"<ESC>!g065536C r6 t30"}},
    };
    for (const auto& c : cases) {
        SimAutoPrinterRig fresh;
        auto device = fresh.Connect<AutoPrinterProbe>();
        EXPECT_TRUE(c.run(*device)) << c.name;
        EXPECT_EQ(PrinterTrace(fresh.Log()), c.expected) << c.name;
    }
}

TEST_F(PrinterOperations, ReplyTimeOutOfTheLastCommandStays) {
    ASSERT_TRUE(printer->LoadPrinter(0));
    EXPECT_EQ(printer->m_replyTimeoutSeconds, 180);
    rig.Log().Clear();
    printer->SetTopMargin(5);
    EXPECT_EQ(PrinterTrace(rig.Log())[1], "<ESC>!r3C r9 t180") << "the sense-first request";
}

TEST_F(PrinterOperations, SenseAfterTheCommandDecidesAndTheFirstOneIsIgnored) {
    rig.printer.QueueSense(0, 2);  // the sense-first request
    rig.printer.QueueSense(0, 0);
    EXPECT_TRUE(printer->SetLeftMargin(4));

    rig.printer.Refuse("\x1b!m1", 1, -1, 10);
    EXPECT_FALSE(printer->SetTopMargin(4));
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Invalid Left Margin");

    rig.printer.SetSense(0, 42);
    EXPECT_FALSE(printer->SetOperatingMode(0));
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Sense = 42");

    rig.printer.SetSense(0, 0);
    EXPECT_TRUE(printer->SetOperatingMode(0));
    EXPECT_EQ(printer->m_lastError, "") << "sense 0 empties the text";
}

TEST_F(PrinterOperations, ChannelFailuresKeepTheChannelsText) {
    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!m0", ChannelError::CtsOff);
    EXPECT_FALSE(printer->SetLeftMargin(3));
    EXPECT_EQ(printer->m_lastError, "CTS signal is off");
    EXPECT_EQ(rig.Log().Sleeps().size(), 0u) << "no wait and no sense after a failed send";

    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!r3C", ChannelError::ReceiveTimeout, 2);
    EXPECT_FALSE(printer->SetLeftMargin(3)) << "the judging sense request failed";
    EXPECT_EQ(printer->m_lastError, "Receive timeout");

    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!g1C", ChannelError::TransmitTimeout);
    EXPECT_FALSE(printer->UpdateFlashParameters(false));
    EXPECT_EQ(printer->m_lastError, "Transmit timeout");
}

TEST_F(PrinterOperations, RefusedFirstLoadStepEndsTheLoad) {
    rig.printer.Refuse("\x1b!t0C", 1, -1, 6);
    EXPECT_FALSE(printer->LoadPrinter(-1));
    EXPECT_EQ(rig.Log().Count("\x1b!s500C"), 0);
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Drawer In Error");
}

TEST_F(PrinterOperations, StoreCountsAsDoneWhateverTheSenseCode) {
    printer->m_lastError = "earlier";
    rig.printer.SetSense(0, 3);
    EXPECT_TRUE(printer->UpdateFlashParameters(false));
    EXPECT_EQ(printer->m_lastError, "earlier");
    EXPECT_EQ(rig.printer.StoreCount(), 1);
}

TEST_F(PrinterOperations, SerialNumberReadAndItsRefusals) {
    rig.printer.SetSerialNumber("SN123456");
    std::string loader = "x", sn = "y";
    ASSERT_TRUE(printer->GetSerialNumbers(loader, sn));
    EXPECT_EQ(loader, "");
    EXPECT_EQ(sn, "SN123456");

    rig.printer.Refuse("\x1b!f:C", 1, -1, 8);
    EXPECT_FALSE(printer->GetSerialNumbers(loader, sn));
    EXPECT_EQ(sn, "");
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Invalid Data");

    rig.printer.SetSense(0, 0);
    ASSERT_TRUE(printer->SetSerialNumbers("", "NEW1"));
    EXPECT_EQ(rig.printer.SerialNumber(), "NEW1    ");
}

TEST(PrinterSerialNumbers, OtpFirmwareRefusesWithoutSending) {
    SimAutoPrinterRig rig;
    rig.printer.SetVersion("VERSION 4.01");
    auto printer = rig.Connect<AutoPrinterProbe>();
    std::string loader, sn;
    EXPECT_FALSE(printer->GetSerialNumbers(loader, sn));
    EXPECT_EQ(printer->m_lastError, "OTP firmware is running");
    EXPECT_TRUE(rig.Log().Empty());
}

TEST_F(PrinterOperations, TrayRefusalAsksTheSense) {
    rig.printer.Refuse("\x1b!r0C", 1, -1, 7);
    EXPECT_FALSE(printer->PresentPrinterTray());
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Drawer Out Error");
}

// --- USB printer-port mode ---

class RecordingBoxes : public MessageBoxes {
public:
    int Show(HWND, const std::wstring& text, const std::wstring&, UINT type) override {
        texts.push_back(text);
        types.push_back(type);
        return IDOK;
    }
    std::vector<std::wstring> texts;
    std::vector<UINT> types;
};

TEST_F(PrinterOperations, UsbModeLoadsByHandAndUnloadsNothing) {
    RecordingBoxes boxes;
    MessageBoxes::Override use(&boxes);
    printer->m_usbPrinterMode = true;
    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!r0C", ChannelError::CtsOff);
    EXPECT_TRUE(printer->LoadPrinter(0)) << "true even when the tray command failed";
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], L"Place disc on printer tray");
    EXPECT_EQ(boxes.types[0], static_cast<UINT>(MB_OK));
    EXPECT_EQ(PrinterTrace(rig.Log()), Lines({"<ESC>!r0C r0 t60 FAIL111"}));

    rig.Log().Clear();
    EXPECT_TRUE(printer->UnloadPrinter());
    EXPECT_TRUE(rig.Log().Empty());

    EXPECT_TRUE(printer->PresentPrinterTray());
    EXPECT_EQ(PrinterTrace(rig.Log()), Lines({"<ESC>!r0C r0 t60"})) << "no reply read in USB mode";
    EXPECT_EQ(boxes.texts.size(), 1u) << "the tray alone prompts nothing";
}

// --- counters ---

TEST(PrinterCounters, ReplyLengthFollowsFirmwareAndKey) {
    struct {
        const char* version;
        char key;
        int replyLength;  // 0: nothing sent
    } cases[] = {
        {"VERSION 5.021", '1', 11}, {"VERSION 5.021", '5', 11}, {"VERSION 6.000", '3', 11},
        {"VERSION 6.000", '4', 16}, {"VERSION 6.213", '5', 16}, {"VERSION 5.02", '1', 0},
    };
    for (const auto& c : cases) {
        SimAutoPrinterRig rig;
        rig.printer.SetVersion(c.version);
        rig.printer.SetCounter(c.key, 1234);
        auto printer = rig.Connect<AutoPrinterProbe>();
        int count = printer->ReadCounter(0, c.key);
        if (c.replyLength == 0) {
            EXPECT_EQ(count, -1) << c.version;
            EXPECT_TRUE(rig.Log().Empty()) << c.version;
            continue;
        }
        EXPECT_EQ(count, 1234) << c.version << c.key;
        EXPECT_EQ(PrinterTrace(rig.Log()),
                  Lines({std::string("<ESC>!f;") + c.key + "C r" + std::to_string(c.replyLength) +
                         " t15"}))
            << c.version << c.key;
    }
}

TEST(PrinterCounters, MalformedRepliesGiveNoCount) {
    SimAutoPrinterRig rig;
    rig.printer.SetVersion("VERSION 6.213");
    auto printer = rig.Connect<AutoPrinterProbe>();
    printer->m_lastError = "kept";
    EXPECT_EQ(printer->ReadCounter(1, '1'), -1) << "a selector above 0";
    EXPECT_TRUE(rig.Log().Empty());

    rig.printer.ReplyWith("\x1b!f;1C", "\x1b!f;200042C");  // another key echoed
    EXPECT_EQ(printer->ReadCounter(0, '1'), -1);
    rig.printer.ReplyWith("\x1b!f;1C", "\x1b!f;100042X");
    EXPECT_EQ(printer->ReadCounter(0, '1'), -1);
    EXPECT_EQ(printer->m_lastError, "kept");

    // The count field is read like atoi within its ten bytes; only a number beyond the int
    // range is no count.
    const struct {
        const char* field;
        int count;
    } counts[] = {
        {"       123", 123},        {"  +0000042", 42}, {"-000000007", -7},
        {"2147483647", INT_MAX},    {"2147483648", -1}, {"4294967295", -1},
        {"12C4567890", 12},         {"          ", 0},
    };
    for (const auto& c : counts) {
        rig.printer.ReplyWith("\x1b!f;5C", std::string("\x1b!f;5") + c.field + "C");
        EXPECT_EQ(printer->ReadCounter(0, '5'), c.count) << c.field;
    }

    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!f;", ChannelError::ReceiveTimeout);
    EXPECT_EQ(printer->ReadCounter(0, '5'), -1);
    EXPECT_EQ(printer->m_lastError, "Receive timeout");
}

}  // namespace
