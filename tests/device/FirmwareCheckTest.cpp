// The autoloader's firmware-file check, rule by rule in the order they are tried, each with
// a near miss; what it leaves for the download; bad files.

#include "SimAutoloaderRig.h"
#include "VardenStateProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

using Rig = SimAutoloaderRig;
using Probe = VardenStateProbe;
using Step = std::function<void(Rig&, Probe&)>;

struct Put {
    int offset;
    std::string text;
};

struct CheckCase {
    const char* name;
    const char* loaderModel;
    const char* loaderVersion;
    const char* printerModel;  // null: none
    const char* printerVersion;
    Step setup;                // device state before the check (may be null)
    std::vector<Put> header;
    uint32_t size;
    bool accepted;
    int printerFile = -1;      // -1: not looked at
    int belowMinimum = -1;
};

const uint32_t kSize = 40000;
const char kTransporterFile[] = "CD-R TRANSPORTERVERSION 3.300A";

// A channel at the rate given (the device listens at it too).
Step AtBaud(int baud) {
    return [baud](Rig& rig, Probe&) {
        rig.device.SetBaudRate(baud);
        rig.channel.SetBaudRate(baud);
    };
}
Step Set(bool Probe::*flag) {
    return [flag](Rig&, Probe& loader) { loader.*flag = true; };
}
Step Both(Step a, Step b) {
    return [a, b](Rig& rig, Probe& loader) {
        a(rig, loader);
        b(rig, loader);
    };
}
// The device answers the version query with these bytes (every time).
Step VersionReply(const std::string& reply) {
    return [reply](Rig& rig, Probe&) { rig.device.ReplyWith("\x1b!e7C", reply, -1); };
}
Step Parameter(int number, int digit, unsigned value = 0) {
    return [=](Rig& rig, Probe&) { rig.device.SetParameter(number, digit, value); };
}

// One device, connected over the simulated channel, and a header block for it.
class CheckRun {
public:
    CheckRun(const CheckCase& c, bool hid = false)
        : rig(new Rig(hid ? SimChannel::Kind::Hid : SimChannel::Kind::Serial)) {
        rig->device.SetLoader(c.loaderModel, c.loaderVersion);
        if (c.printerModel)
            rig->device.SetPrinter(c.printerModel, c.printerVersion);
        else
            rig->device.RemovePrinter();
        loader = rig->Connect<Probe>();
        if (loader && c.setup) c.setup(*rig, *loader);
        for (const Put& put : c.header)
            std::copy(put.text.begin(), put.text.end(), header.begin() + put.offset);
    }
    bool Check(uint32_t size, bool* below) {
        return loader->IsFirmwareFileValid(header.data(), size, below);
    }

    std::unique_ptr<Rig> rig;
    std::unique_ptr<Probe> loader;
    std::vector<uint8_t> header = std::vector<uint8_t>(16384, 0);
};

void RunCases(const std::vector<CheckCase>& cases, bool hid = false) {
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        CheckRun run(c, hid);
        ASSERT_TRUE(run.loader) << "not identified";
        bool below = false;
        EXPECT_EQ(run.Check(c.size, &below), c.accepted);
        if (c.printerFile >= 0) {
            EXPECT_EQ(run.loader->IsPrinterFirmwareFile(), c.printerFile == 1);
        }
        if (c.belowMinimum >= 0) {
            EXPECT_EQ(below, c.belowMinimum == 1);
        }
    }
}

TEST(FirmwareCheck, PrinterRules) {
    const Step pavenor = Set(&Probe::m_printerKindPavenor);
    RunCases({
        {"A: version-6 printer file, whatever 160 names", "CD-R TRANSPORTER", "VERSION 3.214A",
         "CD-R AutoPrinter", "VERSION 6.213", pavenor,
         {{256, "CD-R AutoPrinterVERSION 6.300"}, {160, kTransporterFile}, {193, "Pavenor"}},
         64000, true, 1},
        {"A near miss: one byte longer falls through to the loader rules", "CD-R TRANSPORTER",
         "VERSION 3.214A", "CD-R AutoPrinter", "VERSION 6.213", pavenor,
         {{256, "CD-R AutoPrinterVERSION 6.300"}, {160, kTransporterFile}, {193, "Pavenor"}},
         64001, true, 0},
        {"A near miss: printer below 6000", "CD-R TRANSPORTER", "VERSION 3.214A",
         "CD-R AutoPrinter", "VERSION 5.999", nullptr,
         {{256, "CD-R AutoPrinterVERSION 6.300"}}, 64000, false, 0},
        {"B: above 5000 takes AutoPrinter1", "CD-R TRANSPORTER", "VERSION 3.214A",
         "CD-R AutoPrinter", "VERSION 5.213", nullptr,
         {{160, "CD-R AutoPrinterVERSION 5.300"}, {193, "AutoPrinter1"}}, 65536, true, 1},
        {"B near miss: above 5000 refuses 'AutoPrinter '", "CD-R TRANSPORTER", "VERSION 3.214A",
         "CD-R AutoPrinter", "VERSION 5.213", nullptr,
         {{160, "CD-R AutoPrinterVERSION 5.300"}, {193, "AutoPrinter "}}, 65536, false, 0},
        {"B: up to 5000 takes 'AutoPrinter '", "CD-R TRANSPORTER", "VERSION 3.214A",
         "CD-R AutoPrinter", "VERSION 5.000", nullptr,
         {{160, "CD-R AutoPrinterVERSION 5.300"}, {193, "AutoPrinter "}}, 65536, true, 1},
        {"B near miss: 65535 bytes", "CD-R TRANSPORTER", "VERSION 3.214A", "CD-R AutoPrinter",
         "VERSION 4.900", nullptr,
         {{160, "CD-R AutoPrinterVERSION 5.300"}, {193, "AutoPrinter "}}, 65535, false, 0},
        {"B near miss: another printer, and the boot rule is never reached",
         "CD-R TRANSPORTER", "VERSION 3.214A", "VEXIL", "VERSION 4.900",
         Set(&Probe::m_bootFirmware),
         {{160, "CD-R AutoPrinterVERSION 5.300"}, {193, "AutoPrinter "}}, 65536, false, 0},
    });
}

TEST(FirmwareCheck, Boot7AndDesktopRules) {
    const Step tolvanePrinter = [](Rig&, Probe& l) { l.m_hasTolvanePrinter = true; };
    const char* qm = "VARDEN QM7310   VERSION 3.300A";
    RunCases({
        {"BOOT7 takes a major digit 7", "BOOT7", "VERSION 1.000A", nullptr, nullptr, nullptr,
         {{160, "anything at all"}, {184, "7"}}, kSize, true},
        {"BOOT7 near miss: digit 6", "BOOT7", "VERSION 1.000A", nullptr, nullptr, nullptr,
         {{184, "6"}}, kSize, false},
        {"QM7310 at 115200: vexil4", "VARDEN QM7310", "VERSION 3.214A", nullptr, nullptr,
         nullptr, {{160, qm}, {193, "vexil4"}}, kSize, true},
        {"QM7310 at 115200 near miss: tolvane4", "VARDEN QM7310", "VERSION 3.214A", nullptr,
         nullptr, nullptr, {{160, qm}, {193, "tolvane4"}}, kSize, false},
        {"QM7310 with a Tolvane printer: tolvane4", "VARDEN QM7310", "VERSION 3.214A", nullptr,
         nullptr, tolvanePrinter, {{160, qm}, {193, "tolvane4"}}, kSize, true},
        {"7310 at 115200: vexil4", "VARDEN 7310", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "VARDEN 7310     VERSION 3.300A"}, {193, "vexil4"}}, kSize, true},
        {"7310 with a Tolvane printer: tolvane4", "VARDEN 7310", "VERSION 3.214A", nullptr,
         nullptr, tolvanePrinter, {{160, "VARDEN 7310     VERSION 3.300A"}, {193, "tolvane4"}},
         kSize, true},
        {"7330: vexil5", "VARDEN 7330", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "VARDEN 7330     VERSION 3.300A"}, {193, "vexil5"}}, kSize, true},
        {"7330 near miss: vexil4", "VARDEN 7330", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "VARDEN 7330     VERSION 3.300A"}, {193, "vexil4"}}, kSize, false},
        {"3900j: any variant", "VARDEN 3900j", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "VARDEN 3900j    VERSION 3.300A"}}, kSize, true},
        {"DESKTOP 2 on a desktop", "CD-R TRANSPORTER", "VERSION 3.214A", nullptr, nullptr,
         Set(&Probe::m_isDesktop), {{160, "DESKTOP 2       VERSION 3.300A"}}, kSize, true},
        {"DESKTOP 2 near miss: a QM7310", "VARDEN QM7310", "VERSION 3.214A", nullptr, nullptr,
         nullptr, {{160, "DESKTOP 2       VERSION 3.300A"}}, kSize, false},
    });
    // A HID channel always reports 9600: the Tolvane variants.
    RunCases({{"QM7310 on HID: tolvane4", "VARDEN QM7310", "VERSION 3.214A", nullptr, nullptr,
               nullptr, {{160, qm}, {193, "tolvane4"}}, kSize, true},
              {"QM7310 on HID near miss: vexil4", "VARDEN QM7310", "VERSION 3.214A", nullptr,
               nullptr, nullptr, {{160, qm}, {193, "vexil4"}}, kSize, false}},
             true);
}

TEST(FirmwareCheck, QrxComparesVersionTexts) {
    const char* qrx = "VARDEN QRX      VERSION02.300A";
    const Step answers = VersionReply("\x1b!e71 02.200X");  // any seventh character
    RunCases({
        {"older file refused, below minimum", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr,
         answers, {{528, qrx}, {0, "02.100"}}, kSize, false, -1, 1},
        {"same version accepted", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr, answers,
         {{528, qrx}, {0, "02.200"}}, kSize, true, -1, 0},
        {"file version not dd.ddd: accepted", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr,
         answers, {{528, qrx}, {0, "02,100"}}, kSize, true, -1, 0},
        {"device does not answer: accepted", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr,
         nullptr, {{528, qrx}, {0, "01.000"}}, kSize, true, -1, 0},
        {"QRX file on a 7340", "VARDEN 7340", "VERSION 3.214A", nullptr, nullptr, answers,
         {{528, qrx}, {0, "02.200"}}, kSize, false},
    });
}

TEST(FirmwareCheck, QrxRefusedQueryCostsOneSenseAndAccepts) {
    CheckCase c{"", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr,
                VersionReply("\x1b!e70 02.300X"),
                {{528, "VARDEN QRX      VERSION02.300A"}, {0, "01.000"}}, kSize, true};
    CheckRun run(c);
    bool below = false;
    EXPECT_TRUE(run.Check(kSize, &below));
    EXPECT_FALSE(below);
    EXPECT_EQ(run.rig->Log().Commands(), (std::vector<std::string>{"\x1b!e7C", "\x1b!e1C"}));
    EXPECT_EQ(run.rig->Log().Exchanges("\x1b!e7C")[0].replyLength, 13);
    EXPECT_EQ(run.rig->Log().Exchanges("\x1b!e7C")[0].timeoutSeconds, 3);
}

TEST(FirmwareCheck, Family7340MinimumVersionBytes) {
    const char* f7340 = "VARDEN 7340     VERSION 3.300A";
    // Version bytes: first 0x0A, second 0x50 (80).
    const Step second80 = VersionReply("\x1b!e71 0A 50C");
    const Step second255 = VersionReply("\x1b!e71 0a ffC");
    RunCases({
        {"7340: minimum below the device's", "VARDEN 7340", "VERSION 3.214A", nullptr, nullptr,
         second80, {{256, f7340}, {15423, "\x10"}}, kSize, true},
        {"7340 near miss: minimum above", "VARDEN 7340", "VERSION 3.214A", nullptr, nullptr,
         second80, {{256, f7340}, {15423, "\x51"}}, kSize, false},
        {"7340: minimum equal to the device's", "VARDEN 7340", "VERSION 3.214A", nullptr,
         nullptr, second255, {{256, f7340}, {15423, "\xff"}}, kSize, true},
        {"7340: minimum 80 refused when the device answers", "VARDEN 7340", "VERSION 3.214A",
         nullptr, nullptr, second255, {{256, f7340}, {15423, "\x50"}}, kSize, false},
        {"7340: minimum 80 accepted when it does not", "VARDEN 7340", "VERSION 3.214A",
         nullptr, nullptr, nullptr, {{256, f7340}, {15423, "\x50"}}, kSize, true},
        {"7340: another major digit refused unasked", "VARDEN 7340", "VERSION 3.214A", nullptr,
         nullptr, nullptr, {{256, "VARDEN 7340     VERSION 4.300A"}}, kSize, false},
        {"7341 refuses when the device does not answer", "VARDEN 7341", "VERSION 3.214A",
         nullptr, nullptr, nullptr, {{256, "VARDEN 7341     VERSION 3.300A"}}, kSize, false},
        {"7341: minimum 80 equal to the device's accepted", "VARDEN 7341", "VERSION 4.214A",
         nullptr, nullptr, second80,
         {{256, "VARDEN 7341     VERSION 3.300A"}, {15423, "\x50"}}, kSize, true},
        {"7341 near miss: minimum above", "VARDEN 7341", "VERSION 3.214A", nullptr, nullptr,
         second80, {{256, "VARDEN 7341     VERSION 3.300A"}, {15423, "\x51"}}, kSize, false},
        {"7341: version bytes not hexadecimal", "VARDEN 7341", "VERSION 3.214A", nullptr,
         nullptr, VersionReply("\x1b!e71 0A 5GC"),
         {{256, "VARDEN 7341     VERSION 3.300A"}}, kSize, false},
        {"6345 takes the 7345 file", "VARDEN 6345", "VERSION 3.214A", nullptr, nullptr,
         second80, {{256, "VARDEN 7345     VERSION 3.300A"}}, kSize, true},
        {"7341 file on a 7340", "VARDEN 7340", "VERSION 3.214A", nullptr, nullptr, second80,
         {{256, "VARDEN 7341     VERSION 3.300A"}}, kSize, false},
    });
}

TEST(FirmwareCheck, TessaranTable) {
    RunCases({
        {"IV B08", "Tessaran  IV B08", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "Tessaran  IV B08VERSION 3.300A"}}, kSize, true},
        {"IV B08 on its boot loader", "BOOT8", "VERSION 1.000A", nullptr, nullptr, nullptr,
         {{160, "Tessaran  IV B08VERSION 3.300A"}}, kSize, true},
        {"IV B09 file on a B08", "Tessaran  IV B08", "VERSION 3.214A", nullptr, nullptr,
         nullptr, {{160, "Tessaran  IV B09VERSION 3.300A"}}, kSize, false},
        {"IV B09", "Tessaran  IV B09", "VERSION 3.214A", nullptr, nullptr, nullptr,
         {{160, "Tessaran  IV B09VERSION 3.300A"}}, kSize, true},
        {"III E06 at its major digit", "Tessaran III E06", "VERSION 3.100A", nullptr, nullptr,
         nullptr, {{160, "Tessaran III E06VERSION 3.200A"}}, kSize, true},
        {"III E06 near miss: another major digit", "Tessaran III E06", "VERSION 3.100A",
         nullptr, nullptr, nullptr, {{160, "Tessaran III E06VERSION 4.200A"}}, kSize, false},
        {"III E06 file on the older II E06 board", "Tessaran II E06", "VERSION 3.100A",
         nullptr, nullptr, nullptr, {{160, "Tessaran III E06VERSION 4.200A"}}, kSize, true},
        {"III P06 at its major digit", "Tessaran III P06", "VERSION 3.100A", nullptr, nullptr,
         nullptr, {{160, "Tessaran III P06VERSION 3.200A"}}, kSize, true},
        {"III P06 near miss: another major digit", "Tessaran III P06", "VERSION 3.100A",
         nullptr, nullptr, nullptr, {{160, "Tessaran III P06VERSION 4.200A"}}, kSize, false},
        {"III P06 file on the older II P06 board", "Tessaran II P06", "VERSION 3.100A",
         nullptr, nullptr, nullptr, {{160, "Tessaran III P06VERSION 4.200A"}}, kSize, true},
        {"II P06", "Tessaran II P06", "VERSION 3.100A", nullptr, nullptr, nullptr,
         {{160, "Tessaran II P06 VERSION 3.200A"}}, kSize, true},
        {"II E05", "Tessaran II E05", "VERSION 3.100A", nullptr, nullptr, nullptr,
         {{160, "Tessaran II E05 VERSION 3.200A"}}, kSize, true},
        {"II P05", "Tessaran II P05", "VERSION 3.100A", nullptr, nullptr, nullptr,
         {{160, "Tessaran II P05 VERSION 3.200A"}}, kSize, true},
    });
}

TEST(FirmwareCheck, ModelGateOldFirmwareAndBootRule) {
    const Step pavenor = Set(&Probe::m_printerKindPavenor);
    const Step old = Both(Set(&Probe::m_oldFirmware), Parameter(280, 0, 590));
    RunCases({
        {"autoprinter loader takes its file", "CD-R AUTOPRINTER", "VERSION 3.214A", nullptr,
         nullptr, nullptr, {{160, "CD-R AUTOPRINTER"}}, kSize, true},
        {"autoprinter file on a transporter goes on to the later rules", "CD-R TRANSPORTER",
         "VERSION 3.214A", nullptr, nullptr, pavenor,
         {{160, "CD-R AUTOPRINTER"}, {193, "Pavenor"}}, kSize, true},
        {"transporter file on a transporter", "CD-R TRANSPORTER", "VERSION 3.214A", nullptr,
         nullptr, pavenor, {{160, kTransporterFile}, {193, "Pavenor"}}, kSize, true},
        {"gate near miss: file text differs", "CD-R TRANSPORTER", "VERSION 3.214A", nullptr,
         nullptr, pavenor, {{160, "CD-R TRANSPORTXRVERSION"}, {193, "Pavenor"}}, kSize, false},
        {"gate near miss: device is no transporter", "VARDEN QM7320", "VERSION 3.214A",
         nullptr, nullptr, pavenor, {{160, kTransporterFile}, {193, "Pavenor"}}, kSize, false},
        {"old firmware: major digit 2", "CD-R TRANSPORTER", "VERSION 2.500A", nullptr, nullptr,
         old, {{160, "CD-R TRANSPORTERVERSION 2.600A"}}, kSize, true},
        {"old firmware near miss: major digit 3", "CD-R TRANSPORTER", "VERSION 2.500A",
         nullptr, nullptr, old, {{160, "CD-R TRANSPORTERVERSION 3.600A"}}, kSize, false},
        {"old firmware: 65532 bytes still pad", "CD-R TRANSPORTER", "VERSION 2.500A", nullptr,
         nullptr, old, {{160, "CD-R TRANSPORTERVERSION 2.600A"}}, 65532, true},
        {"old firmware: too long to pad", "CD-R TRANSPORTER", "VERSION 2.500A", nullptr,
         nullptr, old, {{160, "CD-R TRANSPORTERVERSION 2.600A"}}, 65533, false},
        {"boot firmware takes any transporter file", "CD-R TRANSPORTER", "VERSION 3.020A",
         nullptr, nullptr, Set(&Probe::m_bootFirmware), {{160, kTransporterFile}}, kSize, true},
        {"boot rule near miss: a QRX flag", "CD-R TRANSPORTER", "VERSION 3.020A", nullptr,
         nullptr, Both(Set(&Probe::m_bootFirmware), Set(&Probe::m_isQrx)),
         {{160, kTransporterFile}}, kSize, false},
    });
}

TEST(FirmwareCheck, OldFirmwareLeavesPaddingAndTrailerWord) {
    CheckCase c{"", "CD-R TRANSPORTER", "VERSION 2.500A", nullptr, nullptr,
                Both(Set(&Probe::m_oldFirmware), Parameter(280, 0, 590)),
                {{160, "CD-R TRANSPORTERVERSION 2.600A"}}, kSize, true};
    {
        CheckRun run(c);
        EXPECT_TRUE(run.Check(10000, nullptr));
        EXPECT_TRUE(run.loader->UsesPaddedFlashImage());
        EXPECT_EQ(run.loader->GetFlashTrailerWord(), 590);
        EXPECT_EQ(run.rig->Log().Commands(), std::vector<std::string>{"\x1b!f0280C"});
    }
    {
        CheckRun run(c);
        run.rig->device.Refuse("\x1b!f0280C");
        EXPECT_TRUE(run.Check(10000, nullptr));
        EXPECT_EQ(run.loader->GetFlashTrailerWord(), 231) << "an unread parameter";
    }
}

TEST(FirmwareCheck, PrinterKindVariants) {
    const Step pavenor = Set(&Probe::m_printerKindPavenor);
    const Step quinter = Set(&Probe::m_printerKindQuinter);
    const Step ferlo = Set(&Probe::m_printerKindFerlo);
    const Step tolvane = Set(&Probe::m_printerKindSerialTolvane);
    const char* t = "CD-R TRANSPORTER";
    const char* v = "VERSION 3.214A";
    auto variant = [](const char* name) {
        return std::vector<Put>{{160, kTransporterFile}, {193, name}};
    };
    RunCases({
        {"Pavenor", t, v, nullptr, nullptr, pavenor, variant("Pavenor"), kSize, true},
        {"Pavenor near miss", t, v, nullptr, nullptr, pavenor, variant("Quinter"), kSize, false},
        {"Quinter", t, v, nullptr, nullptr, quinter, variant("Quinter"), kSize, true},
        {"Ferlo at 115200", t, v, nullptr, nullptr, ferlo, variant("Ferlo "), kSize, true},
        {"Ferlo at 115200 near miss", t, v, nullptr, nullptr, ferlo, variant("Ferlo2"), kSize,
         false},
        {"Ferlo at 9600", t, v, nullptr, nullptr, Both(ferlo, AtBaud(9600)), variant("Ferlo2"),
         kSize, true},
        {"Ferlo at 9600 near miss", t, v, nullptr, nullptr, Both(ferlo, AtBaud(9600)),
         variant("Ferlo "), kSize, false},
        {"serial Tolvane, 203 reads 2", t, v, nullptr, nullptr, Both(tolvane, Parameter(203, 2)),
         variant("tolvane1"), kSize, true},
        {"serial Tolvane, 203 reads 0", t, v, nullptr, nullptr, Both(tolvane, Parameter(203, 0)),
         variant("tolvane2"), kSize, true},
        {"serial Tolvane, 203 unread", t, v, nullptr, nullptr,
         Both(tolvane, [](Rig& rig, Probe&) { rig.device.Refuse("\x1b!f0203C"); }),
         variant("tolvane2"), kSize, false},
        {"no printer kind", t, v, nullptr, nullptr, nullptr, variant("Pavenor"), kSize, false},
    });
}

TEST(FirmwareCheck, DravikRules) {
    const Step dravik = Both(Set(&Probe::m_printerKindDravik), AtBaud(38400));
    const char* t = "CD-R TRANSPORTER";
    const char* revB = "VERSION 3.214B";
    const char* revF = "VERSION 3.214F";
    auto variant = [](const char* name) {
        return std::vector<Put>{{160, kTransporterFile}, {193, name}};
    };
    RunCases({
        {"Dravik0, revision B, 65536 bytes", t, revB, nullptr, nullptr, dravik,
         variant("Dravik0"), 65536, true},
        {"Dravik0, revision B, 70000 bytes", t, revB, nullptr, nullptr, dravik,
         variant("Dravik0"), 70000, false},
        {"'Dravik ', revision B, 70000 bytes", t, revB, nullptr, nullptr, dravik,
         variant("Dravik "), 70000, true},
        {"'Dravik ', revision F, 70000 bytes", t, revF, nullptr, nullptr, dravik,
         variant("Dravik "), 70000, false},
        {"Dravik0, revision F, 70000 bytes", t, revF, nullptr, nullptr, dravik,
         variant("Dravik0"), 70000, true},
        {"'Tolvane ' large on a serial line", t, revB, nullptr, nullptr, dravik,
         variant("Tolvane "), 70000, false},
        {"huge file", t, revF, nullptr, nullptr, dravik, variant("Dravik0"), 0xFFFFFFFFu, true},
    });
    const Step onHid = Set(&Probe::m_printerKindDravik);
    RunCases({
        {"HID: 'Dravik '", t, revB, nullptr, nullptr, onHid, variant("Dravik "), 65536, false},
        {"HID: Dravik0", t, revF, nullptr, nullptr, onHid, variant("Dravik0"), 65536, false},
        {"HID: 'Tolvane ', revision B, large", t, revB, nullptr, nullptr, onHid,
         variant("Tolvane "), 70000, true},
        {"HID: Tolvane0, revision B, large", t, revB, nullptr, nullptr, onHid,
         variant("Tolvane0"), 70000, false},
        {"HID: Tolvane0, revision B, small", t, revB, nullptr, nullptr, onHid,
         variant("Tolvane0"), 65536, true},
    },
             true);
}

TEST(FirmwareCheck, ExpectedTextComesFromTheFamilysFieldWithTheDevicesRevision) {
    struct {
        const char* model;
        const char* version;
        int offset;
    } cases[] = {
        {"Tessaran II E05", "VERSION 3.100C", 160},
        {"VARDEN 7340", "VERSION 3.214C", 256},
        {"VARDEN QRX", "VERSION02.200C", 528},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const CheckCase device{"", c.model, c.version, nullptr, nullptr, nullptr,
                               {{c.offset, "Tessaran II E05 VERSION 3.200X  "}}, kSize, false};
        CheckRun run(device);
        run.Check(kSize, nullptr);
        EXPECT_EQ(run.loader->m_expectedInquiry, "Tessaran II E05 VERSION 3.200C  ");
    }
}

TEST(FirmwareCheck, EmptyOrShortFilesAreRefusedWithoutACommand) {
    // A file shorter than the header block reads as zero bytes past its end.
    const Step old = Set(&Probe::m_oldFirmware);
    const CheckCase devices[] = {
        {"7340", "VARDEN 7340", "VERSION 3.214A", nullptr, nullptr, nullptr, {}, 0, false},
        {"QRX", "VARDEN QRX", "VERSION02.200A", nullptr, nullptr, nullptr, {}, 0, false},
        {"BOOT7", "BOOT7", "VERSION 1.000A", nullptr, nullptr, nullptr, {}, 0, false},
        {"old firmware", "CD-R TRANSPORTER", "VERSION 2.500A", nullptr, nullptr, old, {}, 0, false},
        {"boot firmware", "CD-R TRANSPORTER", "VERSION 3.020A", nullptr, nullptr,
         Set(&Probe::m_bootFirmware), {}, 0, false},
        {"v6 printer", "CD-R TRANSPORTER", "VERSION 3.214A", "CD-R AutoPrinter",
         "VERSION 6.213", nullptr, {}, 0, false},
    };
    for (const CheckCase& c : devices) {
        for (uint32_t size : {0u, 200u, 64000u}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(size));
            CheckRun run(c);
            bool below = false;
            EXPECT_FALSE(run.Check(size, &below));
            EXPECT_FALSE(run.loader->IsPrinterFirmwareFile());
            EXPECT_TRUE(run.rig->Log().Commands().empty()) << run.rig->Log().Describe();
        }
    }
}

TEST(FirmwareCheck, HexDigitsAndVersionTexts) {
    EXPECT_EQ(VardenTransporter::ParseHexDigit('0'), 0);
    EXPECT_EQ(VardenTransporter::ParseHexDigit('9'), 9);
    EXPECT_EQ(VardenTransporter::ParseHexDigit('a'), 10);
    EXPECT_EQ(VardenTransporter::ParseHexDigit('F'), 15);
    for (char c : {'g', 'G', ' ', '/', ':', '@', '\0'}) {
        try {
            VardenTransporter::ParseHexDigit(c);
            ADD_FAILURE() << "no exception for " << int(c);
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "non-hex character");
        }
    }
    struct {
        const char* text;
        bool invalid;
        int value;
    } versions[] = {
        {"12.345", false, 12345}, {"00.000", false, 0}, {"99.999", false, 99999},
        {"12,345", true, 0},      {"1a.345", true, 0},  {"12.34 ", true, 0},
    };
    for (const auto& v : versions) {
        bool invalid = !v.invalid;
        EXPECT_EQ(VardenTransporter::ParseVersionText(
                      reinterpret_cast<const uint8_t*>(v.text), &invalid),
                  v.value)
            << v.text;
        EXPECT_EQ(invalid, v.invalid) << v.text;
    }
}

}  // namespace
