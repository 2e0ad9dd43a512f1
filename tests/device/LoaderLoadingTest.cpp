// Margins, offsets, operating mode, printer loading and the service operations of the
// autoloader over the simulated device: the commands with their time-outs, refusals and
// their status texts, the retries on printer sense 15, and the gripper tests' boxes.

#include "LoaderProbe.h"
#include "framework/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <functional>

// <windows.h> (through the message boxes) makes SetPrinter the print spooler's macro.
#undef SetPrinter

namespace {

const char kLoaded[] = "\x1b!f01100000C";    // a parameter read: digit 1
const char kUnloaded[] = "\x1b!f01000000C";  // digit 0

class LoaderLoading : public LoaderTest {
protected:
    void SetUp() override { Connect("VARDEN 7340", "VERSION 3.214A", "VEXIL"); }
};

TEST_F(LoaderLoading, SettingCommandsAfterTheSense) {
    struct {
        const char* name;
        std::function<bool(Transporter&)> run;
        const char* command;
    } cases[] = {
        {"left margin", [](Transporter& t) { return t.SetLeftMargin(5); }, "f6005C"},
        {"top margin", [](Transporter& t) { return t.SetTopMargin(123); }, "f7123C"},
        {"rotation offset", [](Transporter& t) { return t.SetRotationOffset(-5); }, "f4-05C"},
        {"wide rotation offset", [](Transporter& t) { return t.SetRotationOffset(1234); },
         "f41234C"},
        {"alternate offset", [](Transporter& t) { return t.SetAlternateOffset(7); }, "f4007C"},
        {"operating mode", [](Transporter& t) { return t.SetOperatingMode(12); }, "e412C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.Log().Clear();
        EXPECT_TRUE(c.run(*loader));
        EXPECT_EQ(Sent(), (Lines{"e1C", c.command}));
        EXPECT_EQ(rig.Log().Entries().back().timeoutSeconds, 5);
        EXPECT_EQ(rig.Log().Entries().back().replyLength, 6);
    }
    rig.device.Refuse("\x1b!f6", 1, 0, 10);
    EXPECT_FALSE(loader->SetLeftMargin(400));
    EXPECT_EQ(loader->m_lastError, "Printer: Invalid Left Margin");
}

TEST_F(LoaderLoading, MarginsRefusedByModelSendNothing) {
    for (bool tolvane : {true, false}) {
        SCOPED_TRACE(tolvane ? "Tolvane printer" : "version-6 loader");
        Connect("VARDEN 7340", "VERSION 3.214A", tolvane ? "TOLVANE" : "VEXIL");
        loader->m_isAutoPrinterV6 = !tolvane;
        loader->m_lastError = "earlier";
        EXPECT_FALSE(loader->SetLeftMargin(10));
        EXPECT_FALSE(loader->SetTopMargin(10));
        EXPECT_EQ(Sent(), Lines{});
        EXPECT_EQ(loader->m_lastError, "earlier");
        EXPECT_TRUE(loader->SetRotationOffset(10));
    }
}

TEST_F(LoaderLoading, LoadPrinterByOffsetOrLoadState) {
    struct {
        bool rotationSupported;
        int offset;
        Lines sent;
    } cases[] = {
        {true, -1, {"e1C", "f12002C", "f12601C", "f22600C"}},
        {true, 0, {"e1C", "f12002C", "f31100000C", "f22600C"}},
        {true, 123, {"e1C", "f12002C", "f31100123C", "f22600C"}},
        {false, 5, {"e1C", "f12002C", "f12601C", "f22600C"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        rig.Log().Clear();
        loader->m_rotationOffsetSupported = c.rotationSupported;
        EXPECT_TRUE(loader->LoadPrinter(c.offset));
        EXPECT_EQ(Sent(), c.sent);
        if (c.sent[2][1] == '3') {
            EXPECT_EQ(rig.Log().Exchanges()[2].timeoutSeconds, 120);
        }
    }
    EXPECT_EQ(rig.device.GetParameter(260).digit, 1);
}

TEST_F(LoaderLoading, LoadRefusals) {
    // Only the printer's "Printhead Integrity" makes the load be tried once more (the write
    // itself repeats too): four sends in all.
    struct {
        int loaderSense, printerSense, sends;
        const char* text;
    } cases[] = {
        {0, 15, 4, "Printer: Printhead Integrity"},
        {0, 14, 1, "Printer: User Aborted"},
        {15, 0, 1, "Transporter: Host Comm Failure"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.loaderSense) + "/" + std::to_string(c.printerSense));
        rig.Log().Clear();
        rig.device.ClearInjections();
        rig.device.Refuse("\x1b!f1260", -1, c.loaderSense, c.printerSense);
        EXPECT_FALSE(loader->LoadPrinter(-1));
        EXPECT_EQ(rig.Log().Count("\x1b!f12601C"), c.sends);
        EXPECT_EQ(rig.Log().Count("\x1b!f2"), 0) << "no flag after a failed load";
        EXPECT_EQ(loader->m_lastError, c.text);
    }

    rig.Log().Clear();
    rig.device.ClearInjections();
    rig.device.Refuse("\x1b!f1200", 1, 4, 0);
    EXPECT_FALSE(loader->LoadPrinter(-1));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f12002C", "e1C"}));
    EXPECT_EQ(loader->m_lastError, "Transporter: Hardware Error");
}

TEST_F(LoaderLoading, ReloadPrinter) {
    EXPECT_TRUE(loader->ReloadPrinter(-1));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f12602C", "f12601C", "write t0C<ESC>!s500C"}));

    rig.Log().Clear();
    rig.device.Refuse("\x1b!f12601", -1, 0, 15);
    EXPECT_FALSE(loader->ReloadPrinter(-1));
    EXPECT_EQ(rig.Log().Count("\x1b!f12601C"), 2) << "no second try of its own";

    rig.device.ClearInjections();
    rig.channel.Fail(SimChannel::Op::Write, "", ChannelError::ComWriteError);
    EXPECT_FALSE(loader->ReloadPrinter(-1));
    EXPECT_EQ(loader->m_lastError, SimChannel::ErrorText(ChannelError::ComWriteError));

    // No raw frames for a Tolvane printer, the serially controlled kind or the version-6
    // loader.
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        Connect("VARDEN 7340", "VERSION 3.214A", which == 0 ? "TOLVANE" : "VEXIL");
        loader->m_printerKindSerialTolvane = which == 1;
        loader->m_isAutoPrinterV6 = which == 2;
        EXPECT_TRUE(loader->ReloadPrinter(-1));
        EXPECT_EQ(Sent().back(), "f12601C");
    }
}

TEST_F(LoaderLoading, MoveDiscAndUnload) {
    EXPECT_TRUE(loader->MoveDisc(true));
    EXPECT_TRUE(loader->MoveDisc(false));
    EXPECT_TRUE(loader->UnloadPrinter());
    EXPECT_EQ(Sent(), (Lines{"e1C", "f12002C", "f12701C", "e1C", "f12602C", "f12701C", "e1C",
                             "f12602C", "f22600C", "f12011C"}));

    rig.device.Refuse("\x1b!f1270");
    EXPECT_FALSE(loader->MoveDisc(true)) << "the last write's result";

    // A refused unload clears the load state's flag on the loader's sense 3 only.
    struct {
        int loaderSense, printerSense;
        Lines sent;
    } refusals[] = {
        {3, 0, {"e1C", "f12602C", "e1C", "f22600C"}},
        {4, 0, {"e1C", "f12602C", "e1C"}},
        {0, 3, {"e1C", "f12602C", "e1C"}},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(std::to_string(c.loaderSense) + "/" + std::to_string(c.printerSense));
        rig.Log().Clear();
        rig.device.Refuse("\x1b!f1260", 1, c.loaderSense, c.printerSense);
        EXPECT_FALSE(loader->UnloadPrinter());
        EXPECT_EQ(Sent(), c.sent);
    }

    Connect("VARDEN 7310", "VERSION 3.214A", "VEXIL");  // a desktop model
    EXPECT_TRUE(loader->UnloadPrinter());
    EXPECT_EQ(Sent().back(), "f13001C");
}

TEST_F(LoaderLoading, LoadStateAndPrintJob) {
    rig.device.SetParameter(260, 1);
    EXPECT_TRUE(loader->IsPrinterLoaded());
    rig.device.SetParameter(260, 2);
    EXPECT_FALSE(loader->IsPrinterLoaded());
    rig.device.SetParameter(260, 1);
    rig.device.Refuse("\x1b!f0260");
    EXPECT_FALSE(loader->IsPrinterLoaded());

    rig.Log().Clear();
    rig.device.Refuse("\x1b!f2260", 1, 0, 0);
    EXPECT_TRUE(loader->BeginPrintJob());
    EXPECT_EQ(Sent(), (Lines{"f22600C", "e1C"}));
}

TEST_F(LoaderLoading, PulseSignal) {
    loader->PulseSignal(2);
    const Lines pulse = {"f5111C", "sleep 500", "f5000C", "sleep 500"};
    Lines twice = pulse;
    twice.insert(twice.end(), pulse.begin(), pulse.end());
    EXPECT_EQ(Sent(), twice);
    EXPECT_EQ(rig.Log().Exchanges()[0].timeoutSeconds, 2);

    rig.Log().Clear();
    rig.device.Refuse("\x1b!f5000");
    loader->PulseSignal(3);
    EXPECT_EQ(Sent(), (Lines{"f5111C", "sleep 500", "f5000C", "e1C"}));

    rig.Log().Clear();
    loader->PulseSignal(0);
    loader->PulseSignal(-1);
    EXPECT_EQ(Sent(), Lines{});
}

TEST_F(LoaderLoading, GripperStatusTestCountsTheReads) {
    struct {
        int goodReads;
        const wchar_t* report;
    } cases[] = {{5, L"Failed after 6 attempts"}, {0, L"Failed after 1 attempts"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.goodReads);
        ScriptedMessageBoxes boxes;
        boxes.answers = {IDYES};
        rig.device.ClearInjections();
        if (c.goodReads) rig.device.ReplyWith("\x1b!f0220", kUnloaded, c.goodReads);
        rig.device.Silence("\x1b!f0220", -1);
        loader->RunGripperTest(2);
        EXPECT_EQ(boxes.Texts(),
                  (std::vector<std::wstring>{L"Gripper Status Test. Continue?", c.report}));
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(boxes.shown[1].type, static_cast<UINT>(MB_OK));
    }
    ScriptedMessageBoxes boxes;
    boxes.answers = {IDNO};
    rig.Log().Clear();
    loader->RunGripperTest(2);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Sent(), Lines{});
}

TEST_F(LoaderLoading, GripperCycleTestRunsUntilACommandFails) {
    rig.device.ReplyWith("\x1b!f0300", kLoaded, 2);
    rig.device.ReplyWith("\x1b!f0300", kUnloaded, 1);
    rig.device.Silence("\x1b!f0300", -1);
    loader->RunGripperTest(1);
    EXPECT_EQ(Sent(), (Lines{"f0300C", "sleep 1000", "f0300C", "sleep 1000", "f0300C", "f23000C",
                             "sleep 100", "f23001C", "sleep 100", "f0300C"}));

    rig.Log().Clear();
    loader->RunGripperTest(3);
    EXPECT_EQ(Sent(), Lines{});
}

}  // namespace
