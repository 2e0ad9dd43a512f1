// Bounded random input over every reply parser: decimal fields, the inquiry header, the
// identification of whole records, and the sense, parameter, baud-rate and inquiry replies
// as the device classes receive them. Fixed seed, so a failure repeats.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/AutoPrinter.h"
#include "device/EscCommand.h"
#include "device/InquiryRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
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

// What atoi gives for the field read as a terminated string, clamped to int.
int ReferenceDecimal(const std::string& field) {
    long long value = std::strtoll(field.c_str(), nullptr, 10);
    return static_cast<int>(std::min<long long>(std::max<long long>(value, INT_MIN), INT_MAX));
}

TEST(ReplyFuzz, DecimalFieldsReadLikeAtoiWithinTheirLength) {
    Random random;
    for (int round = 0; round < kRounds; ++round) {
        std::string field = random.Field(random.Between(0, 12));
        // The bytes after the field must not count: the copy has digits behind it.
        std::vector<uint8_t> bytes(field.begin(), field.end());
        int parsed = EscCommand::ParseDecimal(bytes.data(), static_cast<int>(bytes.size()));
        ASSERT_EQ(parsed, ReferenceDecimal(field)) << SimLog::Printable(field);
    }
}

TEST(ReplyFuzz, InquiryHeaderGivesALengthThatFitsOrNone) {
    Random random;
    for (int round = 0; round < kRounds; ++round) {
        std::string header = random.Field(random.Between(0, 9));
        std::vector<uint8_t> bytes(header.begin(), header.end());
        int length = InquiryRecord::PayloadLength(bytes.data(), static_cast<int>(bytes.size()));
        if (bytes.size() < 7) {
            ASSERT_EQ(length, -1);
            continue;
        }
        int expected = ReferenceDecimal(header.substr(4, 3));
        ASSERT_EQ(length, expected >= 0 && expected <= 96 ? expected : -1)
            << SimLog::Printable(header);
    }
}

TEST(ReplyFuzz, IdentificationOfDamagedRecords) {
    const char* const models[] = {"VARDEN 7340", "Tessaran II E06", "VARDEN QRX", "BOOT7",
                                  "CD-R AutoPrinter", "CD-R AUTOPRINTER", "Tessaran  IV"};
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
        // Exactly as many bytes as claimed: reading past them would leave the vector.
        std::vector<uint8_t> bytes(record.begin(), record.end());
        int payload = random.Between(0, 3) == 0
                          ? random.Between(-5, 110)
                          : InquiryRecord::PayloadLength(bytes.data(), static_cast<int>(bytes.size()));
        const int held = static_cast<int>(bytes.size());
        if (AutoPrinter::Identify(bytes.data(), held, payload)) {
            ASSERT_GE(held, std::max(23, 7 + payload));
        }
        if (!VardenTransporter::Identify(bytes.data(), held, payload)) continue;
        ++accepted;
        ASSERT_GE(held, 7 + payload);
        ASSERT_LE(payload, 96);
        VardenProbe loader(nullptr);
        ASSERT_EQ(std::string(loader.GetInquiryId()).size(), 32u);
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
        ASSERT_GE(payload, 0);
        ASSERT_LE(payload, 96);
        VardenTransporter::Identify(buffer, 7 + payload, payload);
        AutoPrinter::Identify(buffer, 7 + payload, payload);
    }
}

}  // namespace
