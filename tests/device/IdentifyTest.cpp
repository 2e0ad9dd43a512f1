// Identification from the inquiry record: accepted models, the flags each sets, firmware
// numbers, the inquiry text, the kept copies, and records that are short, long or garbled.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/AutoPrinter.h"
#include "device/EscCommand.h"
#include "device/InquiryRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const char kPrinterModel[] = "VEXIL";
const char kPrinterVersion[] = "VERSION 5.210";

// The record the simulated device answers with, in a zeroed 103-byte buffer.
struct Record {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(InquiryRecord::kBufferLength, 0);
    int length = 0;   // bytes of the record
    int payload = 0;  // its payload length
};

Record MakeRecord(const std::string& model, const std::string& version = "VERSION 3.214A",
                  const std::string& printerModel = "", const std::string& printerVersion = "") {
    SimAutoloader device;
    device.SetLoader(model, version);
    if (!printerModel.empty()) device.SetPrinter(printerModel, printerVersion);
    std::string text = device.InquiryRecord();
    Record record;
    std::memcpy(record.bytes.data(), text.data(), text.size());
    record.length = static_cast<int>(text.size());
    record.payload = record.length - InquiryRecord::kHeaderLength;
    return record;
}

bool IdentifyVarden(const Record& r) {
    return VardenTransporter::Identify(r.bytes.data(), r.length, r.payload);
}

// Identifies and constructs; fails the test when the record is refused.
std::unique_ptr<VardenProbe> Build(const Record& record) {
    EXPECT_TRUE(IdentifyVarden(record));
    return std::unique_ptr<VardenProbe>(new VardenProbe(nullptr));
}

struct ModelCase {
    const char* model;  // the 16-character field as the device sends it
    const char* flags;
    bool canCalibrate;  // with a printer attached
};

const ModelCase kModels[] = {
    {"CD-R TRANSPORTER", "", true},
    {"CD-R AUTOPRINTER", "AutoPrinterLoader", true},
    {"MORAVEN DESKTOP ", "", true},
    {"VARDEN 3900j    ", "desktop 3900j", false},
    {"VARDEN QM7310   ", "desktop QM7310", false},
    {"VARDEN QM7320   ", "", true},
    {"VARDEN QM7330   ", "", true},
    {"VARDEN 7330     ", "desktop 7330", false},
    {"VARDEN 7310     ", "desktop 7310", false},
    {"VARDEN BOOT     ", "", true},
    {"Tessaran II E05 ", "", true},
    {"Tessaran II P05 ", "", true},
    {"Tessaran II E06 ", "TessaranIII", true},
    {"Tessaran II P06 ", "TessaranIII", true},
    {"Tessaran III    ", "TessaranIII", true},
    {"Tessaran  IV    ", "TessaranIV", true},
    {"VARDEN 7340     ", "7340Family 7340", false},
    {"VARDEN 6340     ", "7340Family 6340", false},
    {"VARDEN 7341     ", "7340Family 7341", false},
    {"VARDEN 6341     ", "7340Family 6341", false},
    {"VARDEN 7345     ", "7340Family 7345", false},
    {"VARDEN 6345     ", "7340Family 6345", false},
    {"VARDEN QRX      ", "QRX", true},
    {"BOOT7           ", "TessaranIII", false},
    {"BOOT8           ", "TessaranIV", false},
    {"BOOT            ", "", true},
    // Models compared over fewer than 16 characters accept what follows.
    {"Tessaran III-X  ", "TessaranIII", true},
    {"VARDEN QRX2     ", "QRX", true},
    {"BOOT7 LOADER    ", "TessaranIII", false},
    {"BOOTSTRAP       ", "", true},
};

TEST(Identify, AcceptsEachAutoloaderModelAndSetsItsFlags) {
    for (const ModelCase& c : kModels) {
        SCOPED_TRACE(c.model);
        auto loader = Build(MakeRecord(c.model, "VERSION 3.214A", kPrinterModel, kPrinterVersion));
        EXPECT_EQ(loader->ModelFlags(), c.flags);
        EXPECT_EQ(loader->m_canCalibrate, c.canCalibrate);
        EXPECT_EQ(loader->GetPrinterPresent(), 1);
        EXPECT_TRUE(loader->m_printerSnWritable);
        EXPECT_FALSE(loader->IsStandalonePrinter());
        EXPECT_FALSE(AutoPrinter::Identify(MakeRecord(c.model).bytes.data(), 39, 32));
    }
}

TEST(Identify, RefusesNearMisses) {
    const char* const nearMisses[] = {
        "varden 7340     ",  // case
        "VARDEN  7340    ",  // blanks
        "VARDEN 734      ",  // length
        " VARDEN 7340    ",
        "Tessaran IV     ",
        "Tessaran II E07 ",
        "VARDEN QM7310  X",
        "boot7           ",
        "BOO             ",
        "CD-R AutoPrinter",  // the stand-alone printer
        "CD-R Transporter",
    };
    for (const char* model : nearMisses) {
        SCOPED_TRACE(model);
        EXPECT_FALSE(IdentifyVarden(MakeRecord(model)));
    }
    // Zero bytes where the model's blanks belong.
    Record zeros = MakeRecord("VARDEN 7340");
    std::memset(zeros.bytes.data() + 18, 0, 5);
    EXPECT_FALSE(IdentifyVarden(zeros));
}

TEST(Identify, StandalonePrinterOnlyWithItsOwnCapitalisation) {
    Record printer = MakeRecord("CD-R AutoPrinter", "VERSION 5.210");
    EXPECT_TRUE(AutoPrinter::Identify(printer.bytes.data(), printer.length, printer.payload));
    EXPECT_EQ(0, std::memcmp(g_autoPrinterInquiry, printer.bytes.data(), 39));
    EXPECT_FALSE(IdentifyVarden(printer));

    Record loader = MakeRecord("CD-R AUTOPRINTER");
    EXPECT_FALSE(AutoPrinter::Identify(loader.bytes.data(), loader.length, loader.payload));
    EXPECT_EQ(0, std::memcmp(g_autoPrinterInquiry, printer.bytes.data(), 39))
        << "a refusing call leaves the kept copy";
    EXPECT_FALSE(AutoPrinter::Identify(printer.bytes.data(), 22, 15)) << "model cut short";
}

TEST(Identify, PrinterPresenceFollowsThePayloadLength) {
    auto alone = Build(MakeRecord("CD-R TRANSPORTER"));
    EXPECT_EQ(alone->GetPrinterPresent(), 0);
    EXPECT_FALSE(alone->m_printerSnWritable);
    EXPECT_FALSE(alone->m_canCalibrate);
    EXPECT_EQ(alone->m_printerFirmwareVersion, 0);
    EXPECT_FALSE(alone->CanPrintGrid());

    // Printer fields behind a length below 64 are not looked at.
    Record hidden = MakeRecord("CD-R TRANSPORTER", "VERSION 3.214A", "TOLVANE", "XJQN22");
    hidden.payload = 32;
    auto loader = Build(hidden);
    EXPECT_EQ(loader->GetPrinterPresent(), 0);
    EXPECT_EQ(loader->m_printerFirmwareVersion, 0);

    auto withPrinter = Build(MakeRecord("CD-R TRANSPORTER", "VERSION 3.214A", kPrinterModel,
                                        kPrinterVersion));
    EXPECT_EQ(withPrinter->m_printerFirmwareVersion, 5210);
    EXPECT_TRUE(withPrinter->CanPrintGrid());
    EXPECT_TRUE(withPrinter->HasMarginSettings());
}

TEST(Identify, TolvanePrinterAndItsGeneration) {
    struct {
        const char* model;
        const char* version;
        const char* flags;
    } cases[] = {
        {"TOLVANE", "XJQN22 V1.0", "Tolvane XJQN22"},
        {"TOLVANE", "XJQN23", "Tolvane XJQN23"},
        {"TOLVANE", "XJQN21", "Tolvane XJQN21"},
        {"TOLVANE 4", "VERSION 6.100", "Tolvane"},
        {"Tolvane", "XJQN22", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model + std::string(" ") + c.version);
        auto loader = Build(MakeRecord("CD-R TRANSPORTER", "VERSION 3.214A", c.model, c.version));
        EXPECT_EQ(loader->ModelFlags(), c.flags);
        const bool tolvane = loader->m_hasTolvanePrinter;
        EXPECT_EQ(loader->m_printerSnWritable, !tolvane);
        EXPECT_EQ(loader->HasMarginSettings(), !tolvane);
        EXPECT_TRUE(loader->CanPrintGrid());
        if (tolvane) {
            EXPECT_EQ(loader->m_printerFirmwareVersion, 0);
        }
    }
}

TEST(Identify, FirmwareNumbersAndRevisionLetter) {
    auto loader = Build(MakeRecord("VARDEN 7340", "VERSION 3.214A"));
    EXPECT_EQ(loader->m_firmwareVersion, 3214);
    EXPECT_EQ(loader->m_revisionLetter, 'A');

    auto noUnits = Build(MakeRecord("VARDEN 7340", "VERSION 3.21BC"));
    EXPECT_EQ(noUnits->m_firmwareVersion, 3210) << "a letter at character 12 adds nothing";
    EXPECT_EQ(noUnits->m_revisionLetter, 'C');

    auto qrx = Build(MakeRecord("VARDEN QRX", "VERSION12.345"));
    EXPECT_EQ(qrx->m_firmwareVersion, 12345);
    auto notQrx = Build(MakeRecord("VARDEN 7340", "VERSION12.345"));
    EXPECT_EQ(notQrx->m_firmwareVersion, 2345) << "only the QRX reads a ten-thousands digit";

    auto printer = Build(
        MakeRecord("VARDEN QRX", "VERSION12.345", kPrinterModel, "VERSION16.0215"));
    EXPECT_EQ(printer->m_printerFirmwareVersion, 6021) << "never on the printer's version";
}

TEST(Identify, InquiryTextIsModelAndVersionRightAligned) {
    auto loader = Build(MakeRecord("VARDEN 7340", "VERSION 3.214A"));
    EXPECT_STREQ(loader->GetInquiryId(), "VARDEN 7340     VERSION 3.214A  ");

    Record cut = MakeRecord("VARDEN 7340", "VERSION 3.214A");
    cut.bytes[26] = 0;  // the version ends after "VER"
    auto shortText = Build(cut);
    EXPECT_STREQ(shortText->GetInquiryId(), "             VARDEN 7340     VER");
}

TEST(Identify, KeptCopyTakesAtMost103BytesAndZeroesTheRest) {
    Record first = MakeRecord("VARDEN 7340", "VERSION 3.214A", kPrinterModel, kPrinterVersion);
    ASSERT_TRUE(IdentifyVarden(first));
    EXPECT_EQ(g_vardenInquiryLength, 64);
    EXPECT_EQ(0, std::memcmp(g_vardenInquiry, first.bytes.data(), 71));
    EXPECT_EQ(g_vardenInquiry[71], 0);

    // A caller's buffer longer than the kept copy: only the first 103 bytes are taken.
    std::vector<uint8_t> large(300, 'X');
    Record second = MakeRecord("VARDEN 6340");
    std::memcpy(large.data(), second.bytes.data(), second.length);
    ASSERT_TRUE(VardenTransporter::Identify(large.data(), 300, 96));
    EXPECT_EQ(g_vardenInquiryLength, 96);
    EXPECT_EQ(g_vardenInquiry[102], 'X');

    // A shorter record after it leaves zeros, not the earlier bytes, behind itself.
    Record third = MakeRecord("VARDEN 7341");
    ASSERT_TRUE(IdentifyVarden(third));
    EXPECT_EQ(g_vardenInquiry[39], 0);
    EXPECT_EQ(g_vardenInquiry[102], 0);

    // Refused records leave the copy alone.
    Record refused = MakeRecord("NOBODY");
    EXPECT_FALSE(IdentifyVarden(refused));
    EXPECT_EQ(0, std::memcmp(g_vardenInquiry, third.bytes.data(), 39));
}

TEST(Identify, RecordsThatDoNotHoldWhatTheyClaimAreRefused) {
    Record record = MakeRecord("VARDEN 7340", "VERSION 3.214A", kPrinterModel, kPrinterVersion);
    EXPECT_FALSE(VardenTransporter::Identify(record.bytes.data(), 39, 64)) << "truncated";
    EXPECT_FALSE(VardenTransporter::Identify(record.bytes.data(), 103, 97)) << "length > 96";
    EXPECT_FALSE(VardenTransporter::Identify(record.bytes.data(), 71, -1));
    EXPECT_FALSE(VardenTransporter::Identify(nullptr, 71, 64));
    EXPECT_FALSE(VardenTransporter::Identify(record.bytes.data(), 12, 5)) << "model cut short";
    EXPECT_FALSE(AutoPrinter::Identify(record.bytes.data(), 39, 64));
    EXPECT_TRUE(VardenTransporter::Identify(record.bytes.data(), 71, 64));

    // A payload too short for the loader's version field is no device, even where the
    // model it holds is a short one.
    const struct {
        const char* model;
        int payload;
    } shortPayloads[] = {{"BOOT", 4},           {"BOOT7", 5},         {"BOOT8", 5},
                         {"VARDEN QRX", 10},    {"VARDEN 7340", 31},  {"CD-R AutoPrinter", 16},
                         {"CD-R AutoPrinter", 31}};
    for (const auto& c : shortPayloads) {
        SCOPED_TRACE(c.model + std::string(" ") + std::to_string(c.payload));
        Record record = MakeRecord(c.model);
        const std::string length = EscCommand::Format("%03d", c.payload);
        std::memcpy(record.bytes.data() + 4, length.data(), 3);
        const int held = InquiryRecord::kHeaderLength + c.payload;
        EXPECT_FALSE(VardenTransporter::Identify(record.bytes.data(), held, c.payload));
        EXPECT_FALSE(AutoPrinter::Identify(record.bytes.data(), held, c.payload));
        SimAutoloaderRig rig;
        rig.device.ReplyWith("\x1b!e0C", std::string(record.bytes.begin(),
                                                      record.bytes.begin() + record.length), 2);
        int payload = 0;
        uint8_t buffer[InquiryRecord::kBufferLength];
        EXPECT_EQ(InquiryRecord::Request(&rig.channel, buffer, 3, &payload),
                  InquiryRecord::Outcome::NoDevice);
    }
}

TEST(InquiryRecord, PayloadLengthFromTheHeaderAlone) {
    auto length = [](const char* header) {
        return InquiryRecord::PayloadLength(reinterpret_cast<const uint8_t*>(header), 7);
    };
    EXPECT_EQ(length("\x1b!e0032"), 32);
    EXPECT_EQ(length("\x1b!e0064"), 64);
    EXPECT_EQ(length("\x1b!e0 64"), 64);
    EXPECT_EQ(length("\x1b!e0096"), 96);
    EXPECT_EQ(length("\x1b!e0097"), -1);
    EXPECT_EQ(length("\x1b!e0999"), -1);
    EXPECT_EQ(length("\x1b!e0-01"), -1);
    EXPECT_EQ(length("\x1b!e0031"), -1) << "no room for the loader's fields";
    EXPECT_EQ(length("\x1b!e0abc"), -1);
    // The digits behind byte 6 do not count.
    EXPECT_EQ(InquiryRecord::PayloadLength(reinterpret_cast<const uint8_t*>("\x1b!e00329"), 8),
              32);
    EXPECT_EQ(InquiryRecord::PayloadLength(reinterpret_cast<const uint8_t*>("\x1b!e003"), 6),
              -1);
}

TEST(InquiryRecord, RequestReadsTheRecordOnceOrTwice) {
    SimAutoloaderRig rig;
    uint8_t buffer[InquiryRecord::kBufferLength];
    int payload = 0;
    ASSERT_EQ(InquiryRecord::Request(&rig.channel, buffer, 3, &payload),
              InquiryRecord::Outcome::Answered);
    EXPECT_EQ(payload, 32);
    ASSERT_EQ(rig.Log().Count(""), 1);
    EXPECT_EQ(rig.Log().Exchanges()[0].replyLength, 39);
    EXPECT_EQ(rig.Log().Exchanges()[0].timeoutSeconds, 3);

    rig.Log().Clear();
    rig.device.SetPrinter("TOLVANE", "XJQN22");
    ASSERT_EQ(InquiryRecord::Request(&rig.channel, buffer, 10, &payload),
              InquiryRecord::Outcome::Answered);
    EXPECT_EQ(payload, 64);
    auto exchanges = rig.Log().Exchanges("\x1b!e0C");
    ASSERT_EQ(exchanges.size(), 2u) << rig.Log().Describe();
    EXPECT_EQ(exchanges[0].timeoutSeconds, 10);
    EXPECT_EQ(exchanges[1].replyLength, 71);
    EXPECT_EQ(exchanges[1].timeoutSeconds, 3);
    EXPECT_EQ(rig.Log().Sleeps(), std::vector<long>{500});
    EXPECT_EQ(0, std::memcmp(buffer + 39, "TOLVANE", 7));
}

TEST(InquiryRecord, RequestTellsNoReplyFromNoDevice) {
    SimAutoloaderRig rig;
    uint8_t buffer[InquiryRecord::kBufferLength];
    int payload = 0;
    rig.channel.Fail(SimChannel::Op::Transact, "", ChannelError::CtsOff);
    EXPECT_EQ(InquiryRecord::Request(&rig.channel, buffer, 3, &payload),
              InquiryRecord::Outcome::NoReply);
    EXPECT_EQ(rig.channel.GetLastErrorCode(), ChannelError::CtsOff);

    // A length that would not fit the buffer: no second read at all.
    rig.device.ReplyWith("\x1b!e0C", "\x1b!e0150" + std::string(32, 'A'));
    EXPECT_EQ(InquiryRecord::Request(&rig.channel, buffer, 3, &payload),
              InquiryRecord::Outcome::NoDevice);
    EXPECT_EQ(payload, -1);

    // The second read comes up short.
    rig.Log().Clear();
    rig.device.SetPrinter("TOLVANE", "XJQN22");
    rig.device.ReplyWith("\x1b!e0C", rig.device.InquiryRecord(), 1);
    rig.device.ReplyWith("\x1b!e0C", rig.device.InquiryRecord().substr(0, 50), 1);
    EXPECT_EQ(InquiryRecord::Request(&rig.channel, buffer, 3, &payload),
              InquiryRecord::Outcome::NoDevice);
    EXPECT_EQ(rig.Log().Count("\x1b!e0C"), 2);
}

TEST(InquiryRecord, RigConnectsTheIdentifiedAutoloader) {
    SimAutoloaderRig rig;
    rig.device.SetLoader("Tessaran II E06", "VERSION 3.614B");
    rig.device.SetPrinter(kPrinterModel, kPrinterVersion);
    auto loader = rig.Connect<VardenProbe>();
    ASSERT_TRUE(loader);
    EXPECT_EQ(loader->ModelFlags(), "TessaranIII");
    EXPECT_EQ(loader->m_firmwareVersion, 3614);
    EXPECT_EQ(loader->m_printerFirmwareVersion, 5210);
    EXPECT_TRUE(rig.Log().Empty()) << "the constructor sends nothing";

    rig.device.SetLoader("NOBODY", "VERSION 1.000");
    EXPECT_FALSE(rig.Connect());
}

}  // namespace
