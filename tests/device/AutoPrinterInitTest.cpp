// The stand-alone printer's construction and set-up over the simulated printer: firmware
// numbers, the colour probe by firmware range, parameter 280 and the USB printer-port search
// with its CTS probe.

#include "AutoPrinterProbe.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char kColourProbeLines[] = "<ESC>!a3H r0 t60";

std::unique_ptr<AutoPrinterProbe> ConnectAt(SimAutoPrinterRig& rig, const char* version) {
    rig.printer.SetVersion(version);
    return rig.Connect<AutoPrinterProbe>();
}

TEST(AutoPrinterSetUp, ConstructorReadsTheKeptInquiry) {
    struct {
        const char* version;
        int firmware;
        bool boot;
    } cases[] = {
        {"VERSION 5.21", 5210, false},   // no units digit
        {"VERSION 5.21x", 5210, false},  // a letter in its place
        {"VERSION 5.213", 5213, false},
        {"VERSION 4.01", 4010, true},    // one-time-programmable firmware
        {"VERSION 4.011", 4011, false},
        {"VERSION 6.000", 6000, false},
    };
    for (const auto& c : cases) {
        SimAutoPrinterRig rig;
        auto printer = ConnectAt(rig, c.version);
        ASSERT_TRUE(printer) << c.version;
        EXPECT_EQ(printer->m_firmwareVersion, c.firmware) << c.version;
        EXPECT_EQ(printer->GetPrinterFirmwareVersion(), c.firmware) << c.version;
        EXPECT_EQ(printer->m_bootFirmware, c.boot) << c.version;
        EXPECT_TRUE(printer->IsStandalonePrinter());
        EXPECT_EQ(printer->GetPrinterPresent(), 1);
        EXPECT_EQ(printer->m_replyTimeoutSeconds, 20);
        EXPECT_EQ(std::string(printer->GetInquiryId()).substr(0, 16), "CD-R AutoPrinter");
        EXPECT_EQ(std::string(printer->GetInquiryId()).size(), 32u);
        EXPECT_TRUE(rig.Log().Empty()) << "the constructor sends nothing";
    }
}

TEST(AutoPrinterSetUp, ColourProbeRunsBelow6000WithoutOtpFirmware) {
    struct {
        const char* version;
        bool probed;
    } cases[] = {
        {"VERSION 4.500", true},
        {"VERSION 5.210", true},
        {"VERSION 5.999", true},
        {"VERSION 4.01", false},  // 4010
        {"VERSION 6.000", false},
        {"VERSION 6.213", false},
    };
    for (const auto& c : cases) {
        SimAutoPrinterRig rig;
        auto printer = ConnectAt(rig, c.version);
        ASSERT_TRUE(printer);
        printer->Initialize();
        Lines expected = {"SetReadTimeout=20000"};
        if (c.probed)
            expected.insert(expected.end(),
                            {kColourProbeLines, "sleep 5000", "SetCtsTimeout=10",
                             "<ESC>!r3C r9 t10", "<ESC>!d1C r0 t60", "sleep 1000",
                             "<ESC>!r3C r9 t10"});
        expected.push_back("<ESC>!f0280C r12 t10");
        EXPECT_EQ(PrinterTrace(rig.Log()), expected) << c.version;
        EXPECT_EQ(printer->m_colorPrinter, c.probed) << c.version;
        EXPECT_TRUE(printer->SupportsRotationOffset());
        EXPECT_TRUE(printer->SupportsSettings());
        EXPECT_FALSE(printer->m_usbPrinterMode);
    }
}

TEST(AutoPrinterSetUp, MonoOrFailedColourProbeLeavesMonochromeAndGoesOn) {
    SimAutoPrinterRig mono;
    mono.printer.SetColour(false);
    auto printer = mono.Connect<AutoPrinterProbe>();
    printer->Initialize();
    EXPECT_FALSE(printer->m_colorPrinter);
    EXPECT_EQ(mono.Log().Count("\x1b!d1C"), 1) << "the drawer command still follows";
    EXPECT_EQ(mono.Log().Count("\x1b!f0280C"), 1);

    SimAutoPrinterRig failing;
    failing.usb.AddPort(&failing.printer);
    failing.printer.SetParameter(280, 2);
    auto second = failing.Connect<AutoPrinterProbe>();
    failing.channel->Fail(SimChannel::Op::Transact, "\x1b!a3H", ChannelError::CtsOff);
    second->m_lastError = "before";
    second->Initialize();
    EXPECT_FALSE(second->m_colorPrinter);
    EXPECT_EQ(failing.Log().Count("\x1b!r3C"), 0) << "the probe stops at its first step";
    EXPECT_EQ(second->m_lastError, "before") << "a failed probe stores no text";
    EXPECT_TRUE(second->m_usbPrinterMode) << "parameter 280 is still read";
    EXPECT_NE(second->m_boundUsbPort, nullptr) << "and the port search still runs";
}

TEST(AutoPrinterSetUp, SenseIsReadFromItsFieldWhateverTheStatus) {
    SimAutoPrinterRig rig;
    auto printer = rig.Connect<AutoPrinterProbe>();
    uint16_t loader = 99, code = 99;
    rig.printer.ReplyWith("\x1b!r3C", "\x1b!r30017C");
    EXPECT_TRUE(printer->RequestSense(7, &loader, &code));
    EXPECT_EQ(loader, 0);
    EXPECT_EQ(code, 17);
    EXPECT_STREQ(printer->GetPrinterSenseText(), "Rotate Failure");
    rig.printer.ReplyWith("\x1b!r3C", "\x1b!r31xyzC");
    EXPECT_TRUE(printer->RequestSense(-1, nullptr, nullptr));
    EXPECT_EQ(printer->m_printerSense, 0);
    EXPECT_EQ(rig.Log().Exchanges().back().timeoutSeconds, 20) << "-1: the reply time-out";

    rig.printer.SetSense(0, 5);
    printer->RequestSense(-1, nullptr, nullptr);
    rig.channel->Fail(SimChannel::Op::Transact, "\x1b!r3C", ChannelError::ReceiveTimeout);
    code = 99;
    EXPECT_FALSE(printer->RequestSense(3, nullptr, &code));
    EXPECT_EQ(code, 99) << "not written on failure";
    EXPECT_EQ(printer->m_printerSense, 0);
    EXPECT_EQ(printer->m_lastError, "Receive timeout");
}

TEST(AutoPrinterSetUp, RefusedParameterReadStillGivesItsDigit) {
    SimAutoPrinterRig rig;
    rig.printer.SetParameter(280, 2);
    auto printer = rig.Connect<AutoPrinterProbe>();
    rig.printer.Refuse("\x1b!f0280C", 1, -1, 15);
    int digit = -1;
    EXPECT_FALSE(printer->ReadParameter(280, &digit));
    EXPECT_EQ(digit, 2);
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Printhead Integrity");
    EXPECT_EQ(PrinterTrace(rig.Log()), Lines({"<ESC>!f0280C r12 t10", "<ESC>!r3C r9 t20"}));
}

// --- USB printer-port mode ---

class UsbPortSearch : public ::testing::Test {
protected:
    explicit UsbPortSearch(SimChannel::Kind kind = SimChannel::Kind::Serial) : rig(kind) {
        rig.printer.SetVersion("VERSION 6.100");  // no colour probe
        rig.printer.SetParameter(280, 2);
    }
    std::unique_ptr<AutoPrinterProbe> Start() {
        auto printer = rig.Connect<AutoPrinterProbe>();
        printer->Initialize();
        return printer;
    }
    SimAutoPrinterRig rig;
};

TEST_F(UsbPortSearch, ProbesEachCandidateAndBindsThePrintersOwn) {
    int other = rig.usb.AddPort(nullptr);
    int dead = rig.usb.AddPort(nullptr, false);
    int own = rig.usb.AddPort(&rig.printer);
    auto printer = Start();
    EXPECT_TRUE(printer->m_usbPrinterMode);
    EXPECT_FALSE(printer->SupportsRotationOffset());
    EXPECT_FALSE(printer->m_loaderSnWritable);
    ASSERT_EQ(printer->m_usbPortCandidates.size(), 2u) << "the port that does not open is given back";
    ASSERT_NE(printer->m_boundUsbPort, nullptr);
    EXPECT_EQ(printer->m_boundUsbPort->GetDevicePath(), rig.usb.Path(own));
    EXPECT_TRUE(rig.usb.Writes(dead).empty());
    // The other printer keeps CTS on: test write, then d1, d0, and it is passed over.
    EXPECT_EQ(rig.usb.Writes(other), Lines({"\x1b!d1C", "\x1b!d1C", "\x1b!d0C"}));
    EXPECT_EQ(rig.usb.Writes(own), Lines({"\x1b!d1C", "\x1b!d1C", "\x1b!d0C", "\x1b!d1C"}));
    EXPECT_EQ(rig.Log().Sleeps(), (std::vector<long>{5000, 100, 5000, 100, 3000}));
    EXPECT_TRUE(rig.printer.CtsOn()) << "the drawer is closed again";
}

TEST_F(UsbPortSearch, TriesEveryPortOnceEvenAfterOneThatFails) {
    int failing = rig.usb.AddPort(nullptr);
    rig.usb.FailWrites(failing);
    int own = rig.usb.AddPort(&rig.printer);
    auto printer = Start();
    ASSERT_NE(printer->m_boundUsbPort, nullptr) << "the port after a failing one is tried";
    EXPECT_EQ(printer->m_boundUsbPort->GetDevicePath(), rig.usb.Path(own));
    EXPECT_EQ(printer->m_usbPortCandidates.size(), 1u);
}

TEST_F(UsbPortSearch, OnlyACtsTimeOutBindsAPort) {
    rig.usb.AddPort(&rig.printer);
    auto printer = rig.Connect<AutoPrinterProbe>();
    rig.Cts()->FailModemStatus();
    printer->Initialize();
    EXPECT_EQ(printer->m_boundUsbPort, nullptr) << "an unread modem status binds nothing";
    EXPECT_EQ(printer->m_usbPortCandidates.size(), 1u);
    EXPECT_EQ(rig.channel->GetLastErrorCode(), ChannelError::ModemStatusFailed);
}

TEST_F(UsbPortSearch, PortsLentElsewhereAreNotTaken) {
    rig.usb.AddPort(&rig.printer);
    auto first = Start();
    ASSERT_NE(first->m_boundUsbPort, nullptr);
    auto second = Start();
    EXPECT_EQ(second->m_boundUsbPort, nullptr) << "the first device object keeps its port";
    EXPECT_TRUE(second->m_usbPortCandidates.empty());
}

class UsbPortSearchOnHid : public UsbPortSearch {
protected:
    UsbPortSearchOnHid() : UsbPortSearch(SimChannel::Kind::Hid) {}
};

TEST_F(UsbPortSearchOnHid, TakesCandidatesButBindsNone) {
    int own = rig.usb.AddPort(&rig.printer);
    auto printer = Start();
    EXPECT_TRUE(printer->m_usbPrinterMode);
    EXPECT_EQ(printer->m_usbPortCandidates.size(), 1u);
    EXPECT_EQ(printer->m_boundUsbPort, nullptr);
    EXPECT_EQ(rig.usb.Writes(own), Lines({"\x1b!d1C"})) << "only the test write";
}

}  // namespace
