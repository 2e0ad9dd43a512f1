// Autoloader initialisation over the simulated device: boot firmware of each family, old
// firmware, the printer-kind probes, the colour probe and parameter 270, and the USB
// printer-port probe among several ports.

#include "LoaderProbe.h"
#include "SimAutoloaderRig.h"
#include "SimLoaderUsbPorts.h"
#include "links/UsbPrinterPort.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// One autoloader on the simulated device, with USB printer ports of its own (none yet).
struct Bench {
    Bench(const char* model, const char* version, const char* printerModel = nullptr,
          const char* printerVersion = "")
        : usb(rig.device) {
        rig.device.SetLoader(model, version);
        if (printerModel) rig.device.SetPrinter(printerModel, printerVersion);
        loader = rig.Connect<LoaderProbe>();
    }
    Lines Initialize() {
        loader->Initialize();
        return LoaderTrace(rig.Log());
    }
    // The lines from the first one equal to `from` on.
    Lines From(const std::string& from) {
        Lines lines = LoaderTrace(rig.Log());
        auto at = std::find(lines.begin(), lines.end(), from);
        return Lines(at, lines.end());
    }

    SimAutoloaderRig rig;
    SimLoaderUsbPorts usb;
    std::unique_ptr<LoaderProbe> loader;
};

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(LoaderInit, BootAndOldFirmwareByFamily) {
    struct {
        const char* model;
        const char* version;
        bool boot, settings, canPrint, old;
    } cases[] = {
        {"BOOT8", "VERSION 3.214", true, false, true, false},
        {"BOOT7", "VERSION 3.214", true, false, true, false},
        {"VARDEN 7340", "BOOT 1.00", true, false, false, false},
        {"VARDEN QRX", "BOOT 0.50", true, false, true, false},
        {"CD-R TRANSPORTER", "VERSION 3.040", true, false, true, false},
        {"CD-R TRANSPORTER", "VERSION 1.999", true, false, true, true},
        {"Tessaran  IV", "VERSION 3.000", false, true, true, false},
        {"VARDEN 7340", "VERSION 3.214A", false, true, false, false},
        {"VARDEN QRX", "VERSION12.345", false, true, true, false},
        {"CD-R TRANSPORTER", "VERSION 3.041", false, true, true, false},
        {"CD-R TRANSPORTER", "VERSION 2.999", false, false, true, true},
        {"VARDEN 7310", "VERSION 2.500", false, false, true, false},  // desktop: never old
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version);
        Bench bench(c.model, c.version);
        ASSERT_TRUE(bench.loader);
        Lines lines = bench.Initialize();
        EXPECT_EQ(lines.empty(), c.boot) << "boot firmware: nothing sent";
        if (!c.boot) {
            EXPECT_EQ(lines.front(), "e1C") << "the sense first";
        }
        EXPECT_EQ(bench.loader->m_bootFirmware, c.boot);
        EXPECT_EQ(bench.loader->m_settingsSupported, c.settings);
        EXPECT_EQ(bench.loader->m_canPrint, c.canPrint);
        EXPECT_EQ(bench.loader->m_oldFirmware, c.old);
        EXPECT_EQ(bench.loader->m_paddedFlashImage, c.old);
        EXPECT_EQ(bench.loader->m_flashTrailerWord, c.old ? 590 : 0);
    }
}

TEST(LoaderInit, PrinterKindProbes) {
    struct {
        const char* model;
        const char* version;
        std::vector<std::pair<int, int>> digits;  // parameter, digit
        const char* refused;                      // a parameter read that is refused
        Lines reads;                              // the kind probes' reads, in order
        const char* kinds;
    } cases[] = {
        {"CD-R TRANSPORTER", "VERSION 3.229", {}, nullptr,
         {"f0240C", "f0241C", "f0243C"}, "Quinter"},
        {"CD-R TRANSPORTER", "VERSION 3.230", {{240, 1}}, nullptr, {"f0203C", "f0240C"}, "Dravik"},
        {"CD-R TRANSPORTER", "VERSION 3.230", {{203, 2}, {241, 2}}, nullptr,
         {"f0203C", "f0240C", "f0241C"}, "Ferlo"},
        {"CD-R TRANSPORTER", "VERSION 3.230", {}, "\x1b!f0203",
         {"f0203C", "f0240C", "f0241C", "f0243C"}, "Quinter"},
        {"CD-R TRANSPORTER", "VERSION 3.100", {{243, 2}}, nullptr,
         {"f0240C", "f0241C", "f0243C"}, "Pavenor"},
        {"CD-R TRANSPORTER", "VERSION 3.070", {}, nullptr,
         {"f0240C", "f0241C", "f0243C"}, "Quinter"},
        {"CD-R TRANSPORTER", "VERSION 3.069", {}, nullptr, {}, "Pavenor"},
        {"VARDEN 7330", "VERSION 6.300", {}, nullptr, {}, ""},
        {"CD-R AUTOPRINTER", "VERSION 3.300", {}, nullptr, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version);
        Bench bench(c.model, c.version);
        ASSERT_TRUE(bench.loader);
        for (const auto& digit : c.digits) bench.rig.device.SetParameter(digit.first, digit.second);
        if (c.refused) bench.rig.device.Refuse(c.refused);
        Lines reads;
        for (const std::string& line : bench.Initialize())
            if (line == "f0203C" || line == "f0240C" || line == "f0241C" || line == "f0243C")
                reads.push_back(line);
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(bench.loader->PrinterKinds(), c.kinds);
    }
}

TEST(LoaderInit, SeriallyControlledTolvaneKindEndsBeforeParametersAndPorts) {
    Bench bench("CD-R TRANSPORTER", "VERSION 3.230", "TOLVANE", "XJQN22");
    ASSERT_TRUE(bench.loader);
    bench.usb.AddPort(true);
    bench.rig.device.SetParameter(240, 2);
    EXPECT_EQ(bench.Initialize(), (Lines{"e1C", "f0203C", "f0240C"}));
    EXPECT_EQ(bench.loader->PrinterKinds(), "SerialTolvane");
    EXPECT_FALSE(bench.loader->m_canCalibrate);
    EXPECT_FALSE(bench.loader->m_hasSerialNumbers);
    EXPECT_TRUE(bench.loader->m_usbPortCandidates.empty());
    EXPECT_EQ(bench.loader->m_printerPresent, 1) << "left as the inquiry said";
}

TEST(LoaderInit, ColourProbeWaitsOutTheBusyPrinter) {
    Bench bench("VARDEN 7340", "VERSION 3.214A", "VEXIL", "VERSION 5.999");
    bench.rig.device.Printer().SetColourProbe(2, 0);
    bench.Initialize();
    EXPECT_EQ(bench.From("f0280C"),
              (Lines{"f0280C", "f0300C", "a3H", "sleep 7000", "e1C", "sleep 500", "e1C", "sleep 500", "e1C",
                     "sleep 1000", "d1C", "sleep 1000", "e1C", "f12600C"}));
    EXPECT_TRUE(bench.loader->m_colorPrinter);
    auto probe = bench.rig.Log().Exchanges("\x1b!a3H");
    ASSERT_EQ(probe.size(), 1u);
    EXPECT_EQ(probe[0].replyLength, 0);
    EXPECT_EQ(probe[0].timeoutSeconds, 60);
    auto drawer = bench.rig.Log().Exchanges("\x1b!d1C");
    ASSERT_EQ(drawer.size(), 1u);
    EXPECT_EQ(drawer[0].replyLength, 0);
    EXPECT_EQ(drawer[0].timeoutSeconds, 60);
    auto senses = bench.rig.Log().Exchanges("\x1b!e1C");
    ASSERT_EQ(senses.size(), 5u);
    EXPECT_EQ(senses[1].timeoutSeconds, 30);
    EXPECT_EQ(senses[4].timeoutSeconds, 3);
}

TEST(LoaderInit, DisplaySettingsAndItsCountersByModelAndPrinter) {
    struct {
        const char* model;
        const char* version;
        const char* printerModel;
        const char* printerVersion;
        bool plattorParams, itsCounters;
    } cases[] = {
        {"VARDEN 7310", "VERSION 3.214", "VEXIL", "VERSION 6.100", true, false},
        {"Tessaran III", "VERSION 3.214", nullptr, "", true, false},
        {"Tessaran  IV", "VERSION 3.214", nullptr, "", true, false},
        {"BOOT8", "VERSION 3.214", nullptr, "", false, false},
        {"VARDEN QRX", "VERSION01.000", nullptr, "", true, false},
        {"VARDEN 6341", "VERSION 3.214A", nullptr, "", true, true},
        {"VARDEN 7340", "BOOT 1.00", nullptr, "", false, true},
        {"CD-R TRANSPORTER", "VERSION 6.500", "VEXIL", "VERSION 6.100", false, false},
        {"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN21", false, false},
        {"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN22", false, true},
        {"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN23", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version + " " + c.printerVersion);
        Bench bench(c.model, c.version, c.printerModel, c.printerVersion);
        ASSERT_TRUE(bench.loader);
        bench.Initialize();
        EXPECT_EQ(bench.loader->SupportsPlattorParams(), c.plattorParams);
        EXPECT_EQ(bench.loader->HasItsCounters(), c.itsCounters);
    }
}

TEST(LoaderInit, ColourProbeOutcomes) {
    struct {
        const char* name;
        int busyPolls;
        unsigned result;
        const char* failing;  // a command whose exchange fails on the channel
        int failCount;
        int pollSenses;  // sense requests with the probe's 30 s
        bool colour;
    } cases[] = {
        {"not colour", 1, 5, nullptr, 0, 2, false},
        {"busy for ever: bounded", 1000, 0, nullptr, 0, 120, false},
        {"sense fails", 0, 0, "\x1b!e1C", 2, 1, false},  // the first is the initial sense
        {"probe not sent", 0, 0, "\x1b!a3H", 1, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench("VARDEN 7340", "VERSION 3.214A", "VEXIL", "VERSION 4.000");
        bench.rig.device.Printer().SetColourProbe(c.busyPolls, c.result);
        if (c.failing)
            bench.rig.channel.Fail(SimChannel::Op::Transact, c.failing, ChannelError::CtsOff,
                                   c.failCount);
        bench.Initialize();
        int polls = 0;
        for (const auto& sense : bench.rig.Log().Exchanges("\x1b!e1C"))
            if (sense.timeoutSeconds == 30) ++polls;
        EXPECT_EQ(polls, c.pollSenses);
        EXPECT_EQ(bench.loader->m_colorPrinter, c.colour);
        EXPECT_TRUE(Contains(LoaderTrace(bench.rig.Log()), "f12600C")) << "initialisation goes on";
    }
}

TEST(LoaderInit, ColourFromParameter270FromPrinterFirmware6000) {
    struct {
        const char* printerModel;
        const char* printerVersion;
        int digit;
        unsigned value;
        bool reads270;
        bool colour;
    } cases[] = {
        {"VEXIL", "VERSION 6.000", 1, 1, true, true},
        {"VEXIL", "VERSION 6.000", 1, 0, true, false},
        {"VEXIL", "VERSION 6.000", 0, 1, true, false},
        {"TOLVANE", "XJQN22", 1, 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.printerVersion) + " " + std::to_string(c.digit) + "/" +
                     std::to_string(c.value));
        Bench bench("VARDEN 7340", "VERSION 3.214A", c.printerModel, c.printerVersion);
        bench.rig.device.SetParameter(270, c.digit, c.value);
        Lines lines = bench.Initialize();
        EXPECT_EQ(Contains(lines, "f0270C"), c.reads270);
        EXPECT_FALSE(Contains(lines, "a3H"));
        EXPECT_EQ(bench.loader->m_colorPrinter, c.colour);
    }
}

TEST(LoaderInit, PortProbeBindsThePortOfItsOwnPrinter) {
    Bench bench("VARDEN 7340", "VERSION 3.214A");  // the inquiry lists no printer
    bench.usb.AddPort(false);                         // another printer
    bench.usb.AddPort(false);                         // takes no data
    bench.usb.AddPort(true);                          // the loader's printer
    bench.usb.AddPort(false);
    bench.usb.FailWrites(1);
    bench.rig.device.SetParameter(220, 1);
    ASSERT_EQ(bench.loader->m_printerPresent, 0);
    bench.Initialize();

    EXPECT_EQ(bench.From("usb0 d1C"),
              (Lines{"usb0 d1C", "usb1 d1C", "usb2 d1C", "usb3 d1C",
                     // port 0: its drawer is not the loader's, the probe state is refused
                     "usb0 d0C", "sleep 5000", "f12603C", "e1C", "usb0 d1C", "sleep 4000",
                     // port 2: accepted, bound
                     "usb2 d0C", "sleep 5000", "f12603C", "usb2 d1C", "sleep 4000", "f0220C",
                     "f12001C"}));
    ASSERT_EQ(bench.loader->m_usbPortCandidates.size(), 3u) << "the port that takes no data";
    ASSERT_NE(bench.loader->m_boundUsbPort, nullptr);
    EXPECT_EQ(bench.loader->m_boundUsbPort->GetDevicePath(), bench.usb.Path(2));
    EXPECT_EQ(bench.loader->m_printerPresent, 1);
    EXPECT_TRUE(bench.loader->m_rotationOffsetSupported) << "parameter 280 reads 0";
    for (UsbPrinterPort* port : bench.loader->m_usbPortCandidates) EXPECT_FALSE(port->IsOpen());
}

TEST(LoaderInit, PortsThatFailAreClosedAndTriedOnce) {
    Bench bench("VARDEN 7340", "VERSION 3.214A", "VEXIL", "VERSION 6.100");
    bench.usb.AddPort(false);
    bench.usb.AddPort(true);
    bench.usb.FailWrites(0, 1);  // takes the candidate's drawer-in, not the drawer-out
    bench.rig.device.SetParameter(280, 2);
    bench.Initialize();
    EXPECT_FALSE(bench.loader->m_rotationOffsetSupported);
    Lines lines = bench.From("usb0 d1C");
    EXPECT_EQ(lines, (Lines{"usb0 d1C", "usb1 d1C", "usb0 d0C", "usb1 d0C", "sleep 5000",
                            "f12603C", "usb1 d1C", "sleep 4000", "f0220C"}));
    ASSERT_EQ(bench.loader->m_usbPortCandidates.size(), 2u);
    EXPECT_FALSE(bench.loader->m_usbPortCandidates[0]->IsOpen()) << "closed after its failure";
    EXPECT_EQ(bench.loader->m_boundUsbPort, bench.loader->m_usbPortCandidates[1]);
}

TEST(LoaderInit, TolvanePrinterWithoutAnAnsweringPortIsNotPresent) {
    Bench bench("VARDEN 7340", "VERSION 3.214A", "TOLVANE", "XJQN23");
    bench.usb.AddPort(false);
    ASSERT_EQ(bench.loader->m_printerPresent, 1);
    bench.Initialize();
    EXPECT_EQ(bench.rig.Log().Count("\x1b!f12603C"), 1);
    EXPECT_EQ(bench.loader->m_boundUsbPort, nullptr);
    EXPECT_EQ(bench.loader->m_printerPresent, 0);
}

}  // namespace
