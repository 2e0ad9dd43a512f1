// The autoloader's firmware download as the simulated device sees it: the start (with the
// boot-loader switch of the 7340 family and the QRX), the image blocks with padding and
// trailer, and the reconnect after the restart by both paths; refusals and bad input.

#include "SimAutoloaderRig.h"
#include "VardenStateProbe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rig = SimAutoloaderRig;
using Probe = VardenStateProbe;
using Strings = std::vector<std::string>;

// The log as short lines: commands with their reply length and time-out, data blocks by
// size, waits, channel settings, closes and reopens.
Strings Trace(const SimLog& log) {
    Strings lines;
    for (const SimLog::Entry& e : log.Entries()) {
        std::string line;
        switch (e.kind) {
        case SimLog::Kind::Exchange:
            if (e.bytes.size() > 16 || e.bytes.compare(0, 2, "\x1b!") != 0)
                line = "data " + std::to_string(e.bytes.size());
            else
                line = SimLog::Printable(e.bytes) + " " + std::to_string(e.replyLength) + "/" +
                       std::to_string(e.timeoutSeconds) + "s";
            break;
        case SimLog::Kind::Sleep: line = "sleep " + std::to_string(e.value); break;
        case SimLog::Kind::Setting: line = e.note + " " + std::to_string(e.value); break;
        case SimLog::Kind::Read: line = "read " + std::to_string(e.replyLength); break;
        case SimLog::Kind::Write: line = "write " + SimLog::Printable(e.bytes); break;
        case SimLog::Kind::Close: line = "close"; break;
        case SimLog::Kind::Reopen: line = "reopen"; break;
        }
        if (!e.ok) line += " FAILED";
        lines.push_back(line);
    }
    return lines;
}

// A firmware file: pseudo-random bytes (ESC and '!' included) with the identification
// text at offset.
std::string FirmwareFile(size_t size, int offset, const std::string& identity) {
    std::string file(size, '\0');
    unsigned state = 7;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        file[i] = static_cast<char>(i % 97 == 0 ? 0x1b : (state >> 16) & 0xFF);
    }
    if (size >= static_cast<size_t>(offset) + identity.size())
        file.replace(static_cast<size_t>(offset), identity.size(), identity);
    return file;
}

// Sends the image as the main window does: the file in blocks of 4096 bytes and, for a
// padded image, 0xFF fill up to 65532 bytes in blocks of 4096 and the trailer word high
// byte first. The count sent is the count announced: GetFlashImageLength.
bool SendImage(Transporter& device, const std::string& file) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const uint32_t size = static_cast<uint32_t>(file.size());
    uint32_t sent = 0;
    while (sent < size) {
        const uint32_t n = std::min<uint32_t>(4096, size - sent);
        if (!device.SendFlashData(bytes + sent, n)) return false;
        sent += n;
    }
    if (device.UsesPaddedFlashImage()) {
        const std::vector<uint8_t> fill(4096, 0xFF);
        while (sent < Transporter::kPaddedFillEnd) {
            const uint32_t n = std::min<uint32_t>(4096, Transporter::kPaddedFillEnd - sent);
            if (!device.SendFlashData(fill.data(), n)) return false;
            sent += n;
        }
        const uint16_t word = device.GetFlashTrailerWord();
        const uint8_t trailer[2] = {static_cast<uint8_t>(word >> 8),
                                    static_cast<uint8_t>(word & 0xFF)};
        if (!device.SendFlashData(trailer, 2)) return false;
        sent += 2;
    }
    return sent == device.GetFlashImageLength(size);
}

// The first 16384 bytes of a file, zero past its end.
std::vector<uint8_t> HeaderOf(const std::string& file) {
    std::vector<uint8_t> header(16384, 0);
    std::copy(file.begin(), file.begin() + std::min<size_t>(file.size(), header.size()),
              header.begin());
    return header;
}

std::vector<size_t> BlockSizes(const SimLog& log) {
    std::vector<size_t> sizes;
    for (const SimLog::Entry& e : log.Entries())
        if (e.kind == SimLog::Kind::Exchange && e.replyLength == 0) sizes.push_back(e.bytes.size());
    return sizes;
}

std::string DeviceVersion(Rig& rig) { return rig.device.InquiryRecord().substr(23, 16); }

TEST(FirmwareDownload, Family7340SwitchesToItsBootLoaderAndComesBack) {
    for (auto kind : {SimChannel::Kind::Serial, SimChannel::Kind::Hid}) {
        SCOPED_TRACE(kind == SimChannel::Kind::Hid ? "HID" : "serial");
        Rig rig(kind);
        auto loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        const std::string file = FirmwareFile(6000, 256, "VARDEN 7340     VERSION 3.215A  ");
        ASSERT_TRUE(loader->IsFirmwareFileValid(HeaderOf(file).data(), 6000, nullptr));
        rig.Log().Clear();

        ASSERT_TRUE(loader->BeginFlash(6000)) << loader->GetErrorText();
        EXPECT_EQ(Trace(rig.Log()), (Strings{"<ESC>!g5C 6/60s", "close", "sleep 7000", "reopen",
                                             "<ESC>!e1C 11/3s", "<ESC>!e1C 11/3s",
                                             "<ESC>!g06000C 6/60s"}))
            << rig.Log().Describe();
        EXPECT_EQ(DeviceVersion(rig), "BOOT 1.00       ");

        rig.Log().Clear();
        ASSERT_TRUE(SendImage(*loader, file)) << loader->GetErrorText();
        EXPECT_EQ(BlockSizes(rig.Log()), (std::vector<size_t>{4096, 1904}));
        EXPECT_EQ(rig.Log().Exchanges()[0].timeoutSeconds, 60);
        EXPECT_EQ(rig.device.Flash().Image(), file);
        EXPECT_EQ(rig.device.Flash().Excess(), 0u);
        EXPECT_EQ(rig.device.Flash().Completed(), 1);

        rig.Log().Clear();
        EXPECT_TRUE(loader->ReconnectAfterFlash());
        EXPECT_EQ(Trace(rig.Log()),
                  (Strings{"sleep 2000", "close", "sleep 10000", "reopen", "<ESC>!e1C 11/3s",
                           "<ESC>!e1C 11/3s", "<ESC>!e1C 11/3s", "<ESC>!e0C 39/3s"}))
            << rig.Log().Describe();
        EXPECT_EQ(DeviceVersion(rig), "VERSION 3.215A  ");
    }
}

TEST(FirmwareDownload, PaddedImageIsAnnouncedAndSentAs65534Bytes) {
    Rig rig;
    rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 2.500A");
    rig.device.RemovePrinter();
    rig.device.SetParameter(280, 0, 590);
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    loader->m_oldFirmware = true;
    const std::string file = FirmwareFile(10000, 160, "CD-R TRANSPORTERVERSION 2.600A  ");
    ASSERT_TRUE(loader->IsFirmwareFileValid(HeaderOf(file).data(), 10000, nullptr));
    ASSERT_TRUE(loader->UsesPaddedFlashImage());
    rig.Log().Clear();

    ASSERT_TRUE(loader->BeginFlash(10000)) << loader->GetErrorText();
    EXPECT_EQ(Trace(rig.Log()),
              (Strings{"SetReadTimeout 500", "read 8 FAILED", "<ESC>!g065534C 6/20s"}));

    rig.Log().Clear();
    ASSERT_TRUE(SendImage(*loader, file));
    std::vector<size_t> expected{4096, 4096, 1808};
    expected.insert(expected.end(), 13, 4096);
    expected.push_back(2284);
    expected.push_back(2);
    EXPECT_EQ(BlockSizes(rig.Log()), expected);
    // Trailer 590 is 0x024E.
    EXPECT_EQ(rig.device.Flash().Image(), file + std::string(65532 - 10000, '\xff') + "\x02\x4e");
    EXPECT_EQ(rig.device.Flash().Excess(), 0u);
    EXPECT_EQ(rig.device.Flash().Completed(), 1);

    rig.Log().Clear();
    EXPECT_TRUE(loader->ReconnectAfterFlash());
    EXPECT_EQ(Trace(rig.Log()), (Strings{"sleep 12000", "<ESC>!e0C 39/10s"}));
}

TEST(FirmwareDownload, AnnouncedCountIsTheOneFunctionsCount) {
    struct {
        const char* model;
        bool padded;
        uint32_t size;
        const char* start;
    } cases[] = {
        {"CD-R TRANSPORTER", false, 65536, "\x1b!g065536C"},
        {"CD-R TRANSPORTER", true, 12, "\x1b!g065534C"},
        // A padded image keeps its count on the boot path too.
        {"VARDEN 7340", true, 1000, "\x1b!g065534C"},
        {"VARDEN 7340", false, 1000, "\x1b!g01000C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Rig rig;
        rig.device.SetLoader(c.model, "VERSION 3.214A");
        auto loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        loader->m_paddedFlashImage = c.padded;
        EXPECT_TRUE(loader->BeginFlash(c.size)) << loader->GetErrorText();
        EXPECT_EQ(rig.Log().Count(c.start), 1) << rig.Log().Describe();
        EXPECT_EQ(rig.device.Flash().Announced(), loader->GetFlashImageLength(c.size));
    }
}

TEST(FirmwareDownload, BootLoaderAlreadyRunningGetsNoSwitch) {
    Rig rig;
    rig.device.SetLoader("VARDEN 7340", "BOOT 1.00");
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    loader->m_bootFirmware = true;
    ASSERT_TRUE(loader->BeginFlash(4000));
    EXPECT_EQ(Trace(rig.Log()), (Strings{"<ESC>!e1C 11/3s", "<ESC>!e1C 11/3s", "<ESC>!g04000C 6/60s"}));
}

TEST(FirmwareDownload, StartRefusedOrLostKeepsTheRightText) {
    Rig rig;
    rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.214A");
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    rig.device.Refuse("\x1b!g0", 1, 4, 0);
    EXPECT_FALSE(loader->BeginFlash(5000));
    EXPECT_STREQ(loader->GetErrorText(), "Transporter: Hardware Error");

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!g0", ChannelError::ComWriteError);
    EXPECT_FALSE(loader->BeginFlash(5000));
    EXPECT_EQ(loader->GetErrorText(), SimChannel::ErrorText(ChannelError::ComWriteError));
    EXPECT_EQ(rig.device.Flash().Remaining(), 0u);
}

TEST(FirmwareDownload, BootSwitchFailures) {
    const std::string switchFailed = "Failed to switch loader to 'boot' mode";
    const std::string reopenFailed =
        "Failed to reopen communication channel after switching loader to 'boot' mode";
    struct Case {
        const char* name;
        void (*inject)(Rig&);
        std::string text;
    } cases[] = {
        {"switch refused", [](Rig& r) { r.device.Refuse("\x1b!g5C"); }, switchFailed},
        {"switch answered otherwise", [](Rig& r) { r.device.ReplyWith("\x1b!g5C", "\x1b!g52C"); },
         switchFailed},
        {"reopen fails", [](Rig& r) { r.channel.Fail(SimChannel::Op::Reopen, "", 200); },
         reopenFailed},
        {"no sense answer",
         [](Rig& r) { r.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", 104, -1); },
         reopenFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        c.inject(rig);
        EXPECT_FALSE(loader->BeginFlash(6000));
        EXPECT_EQ(loader->GetErrorText(), c.text);
        EXPECT_EQ(rig.Log().Count("\x1b!g0"), 0);
    }
    Rig rig;
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", 104, 5);
    EXPECT_TRUE(loader->BeginFlash(6000)) << "the sixth sense request answers";
    EXPECT_EQ(rig.Log().Sleeps(), (std::vector<long>{7000, 500, 500, 500, 500}));

    // The boot-path start counts only when answered "\x1b!g01C" in full.
    for (const char* reply : {"\x1b!g00C", "\x1b!g11C", "\x1b!g01X"}) {
        SCOPED_TRACE(SimLog::Printable(reply));
        Rig refusing;
        auto other = refusing.Connect<Probe>();
        ASSERT_TRUE(other);
        refusing.device.ReplyWith("\x1b!g0", reply);
        EXPECT_FALSE(other->BeginFlash(6000));
        EXPECT_EQ(refusing.device.Flash().Remaining(), 0u);
    }
}

TEST(FirmwareDownload, PrinterFirmwareSkipsTheBootSwitch) {
    struct {
        const char* model;
        const char* printerVersion;
        const char* start;
        bool drains;
        size_t expected;
    } cases[] = {
        {"VARDEN QRX", "VERSION 6.213", "\x1b!h064000C", false, 64000},
        {"VARDEN QRX", "VERSION 6.000", "\x1b!h064000C", false, 64000},
        {"VARDEN QRX", "VERSION 5.999", "\x1b!h0C", false, 65536},
        {"VARDEN 7340", "VERSION 5.213", "\x1b!h0C", true, 65536},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.printerVersion);
        Rig rig;
        rig.device.SetLoader(c.model, "VERSION03.214A");
        rig.device.SetPrinter("CD-R AutoPrinter", c.printerVersion);
        auto loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        loader->m_printerFirmwareFile = true;
        ASSERT_TRUE(loader->BeginFlash(static_cast<uint32_t>(c.expected)));
        EXPECT_EQ(rig.Log().Count("\x1b!g5C"), 0);
        EXPECT_EQ(rig.Log().Count(c.start), 1);
        EXPECT_EQ(rig.Log().Settings("SetReadTimeout").size(), c.drains ? 1u : 0u);
        ASSERT_TRUE(SendImage(*loader, FirmwareFile(c.expected, 0, "")));
        EXPECT_EQ(rig.device.Flash().Completed(), 1);
        EXPECT_EQ(rig.device.Flash().LastTarget(), SimFlashReceiver::Target::Printer);
    }
}

TEST(FirmwareDownload, BlockLostNamesTheChannelsError) {
    Rig rig;
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    rig.channel.Fail(SimChannel::Op::Transact, "", ChannelError::TransmitTimeout);
    const uint8_t block[3] = {1, 2, 3};
    EXPECT_FALSE(loader->SendFlashData(block, 3));
    EXPECT_STREQ(loader->GetErrorText(), "Error sending flash data - Transmit timeout");
}

// The other loaders: the inquiry after the restart against the file's text.
class ReconnectOtherLoader : public ::testing::Test {
protected:
    void Connect(bool withPrinter) {
        rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.214A");
        if (withPrinter) rig.device.SetPrinter("VEXIL", "VERSION 5.210");
        else rig.device.RemovePrinter();
        loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        // The file's text is the device's own: the check leaves it as expected.
        std::vector<uint8_t> header(16384, 0);
        const std::string text = "CD-R TRANSPORTERVERSION 3.214Z  ";
        std::copy(text.begin(), text.end(), header.begin() + 160);
        loader->IsFirmwareFileValid(header.data(), 40000, nullptr);
        rig.Log().Clear();
    }
    Rig rig;
    std::unique_ptr<Probe> loader;
};

TEST_F(ReconnectOtherLoader, RecordWithAPrinterIsReadASecondTime) {
    Connect(true);
    EXPECT_TRUE(loader->ReconnectAfterFlash());
    EXPECT_EQ(Trace(rig.Log()),
              (Strings{"sleep 12000", "<ESC>!e0C 39/10s", "sleep 500", "<ESC>!e0C 71/3s"}));
}

TEST_F(ReconnectOtherLoader, OnlyTheExpectedTextCounts) {
    Connect(false);
    rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.215A");
    EXPECT_FALSE(loader->ReconnectAfterFlash()) << "another version";
    rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.214A");
    loader->m_expectedInquiry.clear();
    EXPECT_FALSE(loader->ReconnectAfterFlash()) << "no file was checked";
}

TEST_F(ReconnectOtherLoader, PayloadLengthOutside32To96FailsWithoutReadingPastTheRecord) {
    Connect(false);
    const std::string fields = "CD-R TRANSPORTERVERSION 3.214A  ";
    for (const char* length : {"097", "200", "999", "031", "000", "-64", "abc"}) {
        SCOPED_TRACE(length);
        rig.Log().Clear();
        loader->m_lastError = "earlier";
        rig.device.ReplyWith("\x1b!e0C", std::string("\x1b!e0") + length + fields, 2);
        EXPECT_FALSE(loader->ReconnectAfterFlash());
        for (const SimLog::Entry& e : rig.Log().Exchanges("\x1b!e0C"))
            EXPECT_LE(e.replyLength, 103);
        EXPECT_STREQ(loader->GetErrorText(), "earlier");
        rig.device.ClearInjections();
    }
    rig.device.Silence("\x1b!e0C");
    EXPECT_FALSE(loader->ReconnectAfterFlash()) << "no answer";
}

TEST(FirmwareDownload, ReconnectOfTheBootFamilies) {
    const std::string reopenFailed =
        "Failed to reopen communication channel after updating firmware";
    {
        Rig rig;
        auto loader = rig.Connect<Probe>();
        rig.channel.Fail(SimChannel::Op::Reopen, "", 200, 3);
        EXPECT_TRUE(loader->ReconnectAfterFlash());
        EXPECT_EQ(rig.Log().Sleeps(), (std::vector<long>{2000, 10000, 2000, 2000, 2000}));
    }
    {
        Rig rig;
        auto loader = rig.Connect<Probe>();
        rig.channel.Fail(SimChannel::Op::Reopen, "", 200, 10);
        EXPECT_FALSE(loader->ReconnectAfterFlash());
        EXPECT_EQ(loader->GetErrorText(), reopenFailed);
        EXPECT_EQ(rig.Log().Count("\x1b!e0C"), 0);
        EXPECT_EQ(rig.Log().Sleeps().size(), 12u);
    }
    {
        Rig rig;
        auto loader = rig.Connect<Probe>();
        rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", 104, -1);
        EXPECT_FALSE(loader->ReconnectAfterFlash());
        EXPECT_EQ(loader->GetErrorText(), reopenFailed);
    }
    {
        Rig rig;
        auto loader = rig.Connect<Probe>();
        rig.device.SetLoader("VARDEN 7341", "VERSION 3.215A");
        EXPECT_FALSE(loader->ReconnectAfterFlash()) << "another model of the family";
    }
    {
        Rig rig;
        rig.device.SetLoader("VARDEN QRX", "VERSION02.200A");
        auto loader = rig.Connect<Probe>();
        rig.device.SetLoader("VARDEN QRX", "BOOT 1.00");
        EXPECT_TRUE(loader->ReconnectAfterFlash()) << "a QRX on its boot loader";
    }
}

TEST(FirmwareDownload, BadFilesSendNothing) {
    Rig rig;
    rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 2.500A");
    auto loader = rig.Connect<Probe>();
    ASSERT_TRUE(loader);
    EXPECT_FALSE(loader->BeginFlash(0));
    EXPECT_STREQ(loader->GetErrorText(), "Flash file is empty");
    loader->m_paddedFlashImage = true;
    EXPECT_EQ(loader->GetFlashImageLength(65532), 65534u);
    EXPECT_FALSE(loader->BeginFlash(65533));
    EXPECT_STREQ(loader->GetErrorText(), "Flash file too long: 65533 bytes, at most 65532");
    EXPECT_FALSE(loader->BeginFlash(0xFFFFFFFFu));
    EXPECT_TRUE(rig.Log().Empty()) << rig.Log().Describe();
    EXPECT_FALSE(loader->SendFlashData(nullptr, 10));
    EXPECT_TRUE(rig.Log().Empty());
}

}  // namespace
