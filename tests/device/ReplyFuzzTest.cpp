// Bounded random input over every reply parser: decimal fields, the inquiry header, the
// identification of whole records, and the sense, parameter, baud-rate and inquiry replies
// as the device classes receive them. Fixed seed, so a failure repeats. The parsers that
// are handed bytes read them at the very end of a page that a no-access page follows, so
// that a read of even one byte past a reply faults.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/AutoPrinter.h"
#include "device/EscCommand.h"
#include "device/InquiryRecord.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kRounds = 100000;

class Random {
public:
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    // Mostly characters a reply field holds, sometimes any byte.
    char FieldChar() {
        static const char kLikely[] = "0123456789 +-\t\x1b!ACefx";
        if (Between(0, 9) == 0) return static_cast<char>(Between(0, 255));
        return kLikely[Between(0, sizeof kLikely - 2)];
    }
    std::string Field(int length) {
        std::string text;
        for (int i = 0; i < length; ++i) text += FieldChar();
        return text;
    }

private:
    std::mt19937 m_engine{20240611};
};

// Bytes placed so that they end where a readable page ends and a no-access page begins.
class PageEnd {
public:
    PageEnd() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_pageSize = info.dwPageSize;
        m_base = static_cast<uint8_t*>(
            VirtualAlloc(nullptr, 2 * m_pageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        if (m_base) VirtualProtect(m_base + m_pageSize, m_pageSize, PAGE_NOACCESS, &previous);
    }
    ~PageEnd() {
        if (m_base) VirtualFree(m_base, 0, MEM_RELEASE);
    }
    // The page behind the bytes is really closed to reading.
    bool Guards() const {
        MEMORY_BASIC_INFORMATION page = {};
        return m_base && VirtualQuery(m_base + m_pageSize, &page, sizeof page) == sizeof page &&
               page.Protect == PAGE_NOACCESS;
    }
    // Copies bytes to the end of the readable page; returns their first byte there.
    const uint8_t* Place(const std::string& bytes) {
        uint8_t* start = m_base + m_pageSize - bytes.size();
        std::memcpy(start, bytes.data(), bytes.size());
        return start;
    }

private:
    uint8_t* m_base = nullptr;
    size_t m_pageSize = 0;
};

// What atoi gives for the field read as a terminated string, clamped to int.
int ReferenceDecimal(const std::string& field) {
    long long value = std::strtoll(field.c_str(), nullptr, 10);
    return static_cast<int>(std::min<long long>(std::max<long long>(value, INT_MIN), INT_MAX));
}

TEST(ReplyFuzz, DecimalFieldsReadLikeAtoiWithinTheirLength) {
    PageEnd page;
    ASSERT_TRUE(page.Guards());
    Random random;
    for (int round = 0; round < kRounds; ++round) {
        std::string field = random.Field(random.Between(0, 12));
        const uint8_t* bytes = page.Place(field);
        const int length = static_cast<int>(field.size());
        ASSERT_EQ(EscCommand::ParseDecimal(bytes, length), ReferenceDecimal(field))
            << SimLog::Printable(field);
        const long long value = std::strtoll(field.c_str(), nullptr, 10);
        ASSERT_EQ(EscCommand::ParseCount(bytes, length),
                  value < INT_MIN || value > INT_MAX ? -1 : static_cast<int>(value))
            << SimLog::Printable(field);
    }
}

TEST(ReplyFuzz, InquiryHeaderGivesALengthThatFitsOrNone) {
    PageEnd page;
    ASSERT_TRUE(page.Guards());
    Random random;
    for (int round = 0; round < kRounds; ++round) {
        std::string header = random.Field(random.Between(0, 9));
        int length =
            InquiryRecord::PayloadLength(page.Place(header), static_cast<int>(header.size()));
        if (header.size() < 7) {
            ASSERT_EQ(length, -1);
            continue;
        }
        int expected = ReferenceDecimal(header.substr(4, 3));
        ASSERT_EQ(length, expected >= 32 && expected <= 96 ? expected : -1)
            << SimLog::Printable(header);
    }
}

// The inquiry id a user is shown: the 32 characters from byte 7, ending at a zero byte,
// right-aligned.
std::string ShownInquiryId(const uint8_t* record) {
    char text[33] = {};
    std::memcpy(text, record + 7, 32);
    char shown[33] = {};
    std::snprintf(shown, sizeof shown, "%32.32s", text);
    return shown;
}

TEST(ReplyFuzz, IdentificationOfDamagedRecords) {
    const char* const models[] = {"VARDEN 7340", "Tessaran II E06", "VARDEN QRX", "BOOT7",
                                  "CD-R AutoPrinter", "CD-R AUTOPRINTER", "Tessaran  IV"};
    PageEnd page;
    ASSERT_TRUE(page.Guards());
    Random random;
    int accepted = 0;
    for (int round = 0; round < kRounds; ++round) {
        SimAutoloader device;
        device.SetLoader(models[random.Between(0, 6)], random.Field(16));
        if (random.Between(0, 1)) device.SetPrinter(random.Between(0, 1) ? "TOLVANE" : "VEXIL",
                                                    random.Field(16));
        std::string record = device.InquiryRecord();
        for (int hits = random.Between(0, 3); hits > 0; --hits)
            record[random.Between(0, static_cast<int>(record.size()) - 1)] = random.FieldChar();
        record.resize(random.Between(0, 110), static_cast<char>(random.Between(0, 255)));
        const int held = static_cast<int>(record.size());
        const uint8_t* bytes = page.Place(record);
        int payload = random.Between(0, 3) == 0 ? random.Between(-5, 110)
                                                : InquiryRecord::PayloadLength(bytes, held);
        SCOPED_TRACE(SimLog::Printable(record) + " payload " + std::to_string(payload));

        // Only a whole record with room for the loader's fields names a device.
        const bool wellFormed = payload >= 32 && payload <= 96 && held >= 7 + payload;
        const std::string model = held >= 23 ? record.substr(7, 16) : "";
        const bool printerModel = model == "CD-R AutoPrinter";
        ASSERT_EQ(AutoPrinter::Identify(bytes, held, payload), wellFormed && printerModel);
        if (wellFormed && printerModel) {
            AutoPrinter printer(nullptr);
            ASSERT_EQ(printer.GetInquiryId(), ShownInquiryId(bytes));
        }
        const bool loaderAccepted = VardenTransporter::Identify(bytes, held, payload);
        if (!wellFormed || printerModel) {
            ASSERT_FALSE(loaderAccepted);
            continue;
        }
        if (model == device.LoaderModel()) {
            ASSERT_TRUE(loaderAccepted) << "an undamaged autoloader model";
        }
        if (!loaderAccepted) continue;
        ++accepted;
        VardenProbe loader(nullptr);
        ASSERT_EQ(loader.GetInquiryId(), ShownInquiryId(bytes));
        ASSERT_EQ(loader.GetPrinterPresent(), payload >= 64 ? 1 : 0);
        if (!loader.GetPrinterPresent()) {
            ASSERT_EQ(loader.m_printerFirmwareVersion, 0);
        }
    }
    EXPECT_GT(accepted, kRounds / 10) << "the damage should leave many records readable";
}

class DeviceReplyFuzz : public ::testing::Test {
protected:
    void SetUp() override {
        loader = rig.Connect<VardenProbe>();
        ASSERT_TRUE(loader);
    }
    void NextRound() {
        rig.Log().Clear();
        rig.device.ClearInjections();
    }
    SimAutoloaderRig rig;
    std::unique_ptr<VardenProbe> loader;
    Random random;
};

TEST_F(DeviceReplyFuzz, SenseReplies) {
    for (int round = 0; round < kRounds; ++round) {
        NextRound();
        std::string reply = random.Field(random.Between(0, 14));
        rig.device.ReplyWith("\x1b!e1C", reply);
        uint16_t loaderSense = 1, printerSense = 1;
        ASSERT_TRUE(loader->RequestSense(-1, &loaderSense, &printerSense))
            << "a short reply is asked again, and the device then answers";
        if (reply.size() < 11) {
            ASSERT_EQ(rig.Log().Count("\x1b!e1C"), 2);
            continue;
        }
        ASSERT_EQ(loaderSense, static_cast<uint16_t>(ReferenceDecimal(reply.substr(4, 3))));
        ASSERT_EQ(printerSense, static_cast<uint16_t>(ReferenceDecimal(reply.substr(7, 3))));
    }
}

TEST_F(DeviceReplyFuzz, TolvaneSenseReplies) {
    loader->m_printerKindSerialTolvane = true;
    for (int round = 0; round < kRounds; ++round) {
        NextRound();
        std::string reply = random.Field(random.Between(0, 8));
        rig.device.ReplyWith("\x1b!f0C", reply);
        ASSERT_TRUE(loader->RequestSense(-1, nullptr, nullptr));
        if (reply.size() >= 6) {
            ASSERT_EQ(loader->m_loaderSense,
                      static_cast<uint16_t>(static_cast<uint8_t>(reply[4]) - '0'));
        }
    }
}

TEST_F(DeviceReplyFuzz, ParameterReplies) {
    for (int round = 0; round < kRounds; ++round) {
        NextRound();
        std::string reply = random.Field(random.Between(0, 14));
        // Some replies carry a good status so that both branches run.
        if (reply.size() > 4 && random.Between(0, 1)) reply[4] = '1';
        rig.device.ReplyWith("\x1b!f0", reply);
        int digit = -1000;
        uint16_t value = 1;
        bool ok = loader->ReadParameter(200, &digit, &value);
        if (reply.size() < 12) {
            ASSERT_FALSE(ok);
            ASSERT_EQ(digit, -1000);
            continue;
        }
        ASSERT_EQ(ok, reply[4] == '1');
        ASSERT_EQ(digit, static_cast<uint8_t>(reply[5]) - '0');
        ASSERT_EQ(value, static_cast<uint16_t>(ReferenceDecimal(reply.substr(6, 5))));
    }
}

TEST_F(DeviceReplyFuzz, BaudAndAcknowledgementReplies) {
    for (int round = 0; round < kRounds; ++round) {
        NextRound();
        std::string reply = random.Field(random.Between(0, 8));
        if (round % 2) {
            if (random.Between(0, 3) == 0) reply = "\x1b!b1C";
            rig.device.ReplyWith("\x1b!b", reply);
            ASSERT_EQ(loader->SetBaudRate(115200), reply.substr(0, 5) == "\x1b!b1C");
        } else {
            rig.device.ReplyWith("\x1b!f6", reply);
            ASSERT_EQ(loader->SendCommand("\x1b!f6100C", 5), reply.size() >= 6 && reply[4] == '1');
        }
    }
}

TEST_F(DeviceReplyFuzz, InquiryReplies) {
    uint8_t buffer[InquiryRecord::kBufferLength];
    std::string good = rig.device.InquiryRecord();
    for (int round = 0; round < kRounds; ++round) {
        NextRound();
        std::string reply = random.Between(0, 1) ? good : random.Field(random.Between(0, 110));
        for (int hits = random.Between(0, 2); hits > 0 && !reply.empty(); --hits)
            reply[random.Between(0, static_cast<int>(reply.size()) - 1)] = random.FieldChar();
        rig.device.ReplyWith("\x1b!e0C", reply, 2);
        int payload = -2;
        auto outcome = InquiryRecord::Request(&rig.channel, buffer, 3, &payload);
        if (outcome != InquiryRecord::Outcome::Answered) {
            ASSERT_EQ(payload, -1);
            continue;
        }
        ASSERT_GE(payload, 32);
        ASSERT_LE(payload, 96);
        const std::string model(reinterpret_cast<const char*>(buffer) + 7, 16);
        const bool loaderAccepted = VardenTransporter::Identify(buffer, 7 + payload, payload);
        if (model == rig.device.LoaderModel()) {
            ASSERT_TRUE(loaderAccepted);
        }
        ASSERT_EQ(AutoPrinter::Identify(buffer, 7 + payload, payload),
                  !loaderAccepted && model == "CD-R AutoPrinter");
    }
}

}  // namespace
