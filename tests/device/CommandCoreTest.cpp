// The autoloader's command core over the simulated device: acknowledgements, refusals and
// their status messages, parameters, the baud-rate command and the sense request.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/EscCommand.h"

#include <gtest/gtest.h>

namespace {

const char kSense[] = "\x1b!e1C";

class CommandCore : public ::testing::Test {
protected:
    void SetUp() override {
        rig.device.SetPrinter("VEXIL", "VERSION 5.210");
        loader = rig.Connect<VardenProbe>();
        ASSERT_TRUE(loader);
    }
    std::vector<std::string> Commands() { return rig.Log().Commands(); }

    SimAutoloaderRig rig;
    std::unique_ptr<VardenProbe> loader;
};

TEST_F(CommandCore, AcceptedCommandSendsOnceWithItsTimeout) {
    loader->m_lastError = "earlier";
    EXPECT_TRUE(loader->SendCommand("\x1b!f6120C", 5));
    auto exchanges = rig.Log().Exchanges();
    ASSERT_EQ(exchanges.size(), 1u);
    EXPECT_EQ(exchanges[0].bytes, "\x1b!f6120C");
    EXPECT_EQ(exchanges[0].replyLength, 6);
    EXPECT_EQ(exchanges[0].timeoutSeconds, 5);
    EXPECT_EQ(loader->m_lastError, "earlier") << "success leaves the text";
}

TEST_F(CommandCore, RefusalAsksTheSenseAndComposesTheMessage) {
    struct {
        int loaderSense, printerSense;
        const char* message;
    } cases[] = {
        {4, 1, "Transporter: Hardware Error"},  // the loader wins
        {0, 10, "Printer: Invalid Left Margin"},
        {13, 0, "Transporter: Sense = 13"},
        {0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        rig.Log().Clear();
        loader->m_lastError = "earlier";
        rig.device.Refuse("\x1b!f6", 1, c.loaderSense, c.printerSense);
        EXPECT_FALSE(loader->SendCommand("\x1b!f6120C", 5));
        EXPECT_EQ(Commands(), (std::vector<std::string>{"\x1b!f6120C", kSense}));
        EXPECT_EQ(rig.Log().Exchanges(kSense)[0].timeoutSeconds, 3);
        EXPECT_EQ(rig.Log().Exchanges(kSense)[0].replyLength, 11);
        EXPECT_EQ(loader->m_lastError, c.message);
    }
}

TEST_F(CommandCore, RefusalWhoseSenseFailsKeepsTheEarlierText) {
    loader->m_lastError = "earlier";
    rig.device.Refuse("\x1b!f6", 1, 4, 0);
    rig.channel.Fail(SimChannel::Op::Transact, kSense, ChannelError::CtsOff);
    EXPECT_FALSE(loader->SendCommand("\x1b!f6120C", 5));
    EXPECT_EQ(loader->m_lastError, "earlier");
}

TEST_F(CommandCore, ChannelFailureKeepsTheChannelTextAndAsksNothingMore) {
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f6", ChannelError::ComWriteError);
    EXPECT_FALSE(loader->SendCommand("\x1b!f6120C", 5));
    EXPECT_EQ(loader->m_lastError, rig.channel.GetLastErrorText());
    EXPECT_EQ(rig.Log().Count(kSense), 0);
}

TEST_F(CommandCore, ShortReplyFailsAfterTheWholeTimeout) {
    rig.device.ReplyWith("\x1b!f6", "\x1b!f61");  // 5 of the 6 bytes
    uint64_t before = rig.device.Now();
    EXPECT_FALSE(loader->SendCommand("\x1b!f6120C", 5));
    EXPECT_EQ(rig.device.Now() - before, 5000u);
    EXPECT_EQ(loader->m_lastError, SimChannel::ErrorText(ChannelError::ReceiveTimeout));
}

TEST_F(CommandCore, ReadParameterGivesDigitAndValue) {
    rig.device.SetParameter(270, 1, 42);
    int digit = -1;
    uint16_t value = 0;
    EXPECT_TRUE(loader->ReadParameter(270, &digit, &value));
    EXPECT_EQ(digit, 1);
    EXPECT_EQ(value, 42);
    auto read = rig.Log().Exchanges()[0];
    EXPECT_EQ(read.bytes, "\x1b!f0270C");
    EXPECT_EQ(read.replyLength, 12);
    EXPECT_EQ(read.timeoutSeconds, 10);

    EXPECT_TRUE(loader->ReadParameter(7, &digit, nullptr)) << "value may be null";
    EXPECT_EQ(rig.Log().Commands().back(), "\x1b!f0007C");
}

TEST_F(CommandCore, RefusedParameterReadStillReportsItsDigit) {
    rig.device.SetParameter(260, 3);
    rig.device.Refuse("\x1b!f0260", 1, 0, 2);
    int digit = -1;
    EXPECT_FALSE(loader->ReadParameter(260, &digit, nullptr));
    EXPECT_EQ(digit, 3);
    EXPECT_EQ(loader->m_lastError, "Printer: Printer Busy");

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f0", ChannelError::ReceiveTimeout);
    digit = -1;
    EXPECT_FALSE(loader->ReadParameter(260, &digit, nullptr));
    EXPECT_EQ(digit, -1) << "no reply, nothing written";
}

TEST_F(CommandCore, ParameterValueIsParsedWithinItsFiveDigits) {
    rig.device.ReplyWith("\x1b!f0270", "\x1b!f0114x1239");  // value field "4x123"
    uint16_t value = 0;
    int digit = 0;
    EXPECT_TRUE(loader->ReadParameter(270, &digit, &value));
    EXPECT_EQ(value, 4);
    rig.device.ReplyWith("\x1b!f0270", "\x1b!f0111234599");  // digits run on past the field
    EXPECT_TRUE(loader->ReadParameter(270, &digit, &value));
    EXPECT_EQ(value, 12345);
}

TEST_F(CommandCore, ParameterWritesAndTheirFormats) {
    EXPECT_TRUE(loader->SetParameter(260, 1));
    EXPECT_TRUE(loader->SetParameterFlag(260, false));
    EXPECT_TRUE(loader->SetParameterFlag(300, true));
    auto exchanges = rig.Log().Exchanges();
    ASSERT_EQ(exchanges.size(), 3u);
    EXPECT_EQ(exchanges[0].bytes, "\x1b!f12601C");
    EXPECT_EQ(exchanges[0].timeoutSeconds, 60);
    EXPECT_EQ(exchanges[1].bytes, "\x1b!f22600C");
    EXPECT_EQ(exchanges[1].timeoutSeconds, 30);
    EXPECT_EQ(exchanges[2].bytes, "\x1b!f23001C");
    EXPECT_EQ(rig.device.GetParameter(260).digit, 1);
    EXPECT_TRUE(rig.device.GetParameter(300).flag);
}

TEST_F(CommandCore, ParameterWriteIsRepeatedOnceOnPrinterSense15) {
    rig.device.Refuse("\x1b!f1260", -1, 0, 15);
    EXPECT_FALSE(loader->SetParameter(260, 1));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"\x1b!f12601C", kSense, "\x1b!f12601C",
                                                    kSense}));
    EXPECT_EQ(loader->m_lastError, "Printer: Printhead Integrity");

    rig.Log().Clear();
    rig.device.ClearInjections();
    rig.device.Refuse("\x1b!f2260", 1, 0, 15);
    EXPECT_TRUE(loader->SetParameterFlag(260, false));
    auto writes = rig.Log().Exchanges("\x1b!f2");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].timeoutSeconds, 30);
}

TEST_F(CommandCore, ParameterWriteIsNotRepeatedOnOtherSenses) {
    rig.device.Refuse("\x1b!f1260", -1, 0, 14);
    EXPECT_FALSE(loader->SetParameter(260, 1));
    EXPECT_EQ(rig.Log().Count("\x1b!f1"), 1);
    rig.device.ClearInjections();
    rig.device.Refuse("\x1b!f1260", -1, 9, 15);  // a loader sense, with printer 15
    EXPECT_FALSE(loader->SetParameter(260, 1));
    EXPECT_EQ(rig.Log().Count("\x1b!f1"), 3) << "printer sense 15 decides, whatever the loader's";
}

TEST_F(CommandCore, ChannelFailedWriteIsRepeatedWhenTheLastSenseWas15) {
    rig.device.SetSense(0, 15);
    ASSERT_TRUE(loader->RequestSense(-1, nullptr, nullptr));
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f1", ChannelError::ComWriteError);
    EXPECT_TRUE(loader->SetParameter(260, 0));
    EXPECT_EQ(rig.Log().Count("\x1b!f1"), 2);
}

TEST_F(CommandCore, BaudRateCommands) {
    EXPECT_TRUE(loader->SetBaudRate(115200));
    rig.channel.SetBaudRate(rig.device.BaudRate());
    EXPECT_TRUE(loader->SetBaudRate(38400));
    rig.channel.SetBaudRate(rig.device.BaudRate());
    EXPECT_TRUE(loader->SetBaudRate(9600));
    auto exchanges = rig.Log().Exchanges("\x1b!b");
    ASSERT_EQ(exchanges.size(), 3u);
    EXPECT_EQ(exchanges[0].bytes, "\x1b!b11520C");
    EXPECT_EQ(exchanges[0].replyLength, 5);
    EXPECT_EQ(exchanges[0].timeoutSeconds, 20);
    EXPECT_EQ(exchanges[1].bytes, "\x1b!b38400C");
    EXPECT_EQ(exchanges[2].bytes, "\x1b!b9600C");
    EXPECT_EQ(rig.device.BaudRate(), 9600);
}

TEST_F(CommandCore, BaudReplyMustMatchWhole) {
    const char* const replies[] = {"\x1b!b0C", "\x1b!b1D", "\x1b!c1C", "X!b1C"};
    for (const char* reply : replies) {
        SCOPED_TRACE(SimLog::Printable(reply));
        rig.Log().Clear();
        rig.device.ReplyWith("\x1b!b", reply);
        rig.device.QueueSense(5, 0);
        EXPECT_FALSE(loader->SetBaudRate(115200));
        EXPECT_EQ(rig.Log().Count(kSense), 1);
        EXPECT_EQ(loader->m_lastError, "Transporter: Illegal Request");
    }
}

TEST_F(CommandCore, SenseRequestTimeoutsAndTheRepeatAfterReceiveTimeout) {
    rig.device.SetSense(4, 15);
    uint16_t loaderSense = 0, printerSense = 0;
    EXPECT_TRUE(loader->RequestSense(-1, &loaderSense, &printerSense));
    EXPECT_EQ(loaderSense, 4);
    EXPECT_EQ(printerSense, 15);
    EXPECT_TRUE(loader->RequestSense(30, nullptr, nullptr));
    rig.channel.Fail(SimChannel::Op::Transact, kSense, ChannelError::ReceiveTimeout);
    EXPECT_TRUE(loader->RequestSense(30, nullptr, &printerSense));
    auto senses = rig.Log().Exchanges(kSense);
    ASSERT_EQ(senses.size(), 4u);
    EXPECT_EQ(senses[0].timeoutSeconds, 3);
    EXPECT_EQ(senses[1].timeoutSeconds, 30);
    EXPECT_EQ(senses[2].timeoutSeconds, 30);
    EXPECT_FALSE(senses[2].ok);
    EXPECT_EQ(senses[3].timeoutSeconds, 3) << "the repeat always takes 3 s";
}

TEST_F(CommandCore, FailedSenseRequestClearsBothCodesAndLeavesTheText) {
    rig.device.SetSense(4, 15);
    ASSERT_TRUE(loader->RequestSense(-1, nullptr, nullptr));
    loader->m_lastError = "earlier";
    rig.channel.Fail(SimChannel::Op::Transact, kSense, ChannelError::ReceiveTimeout, 2);
    uint16_t loaderSense = 77;
    EXPECT_FALSE(loader->RequestSense(-1, &loaderSense, nullptr));
    EXPECT_EQ(rig.Log().Count(kSense), 3) << "one request, one repeat";
    EXPECT_EQ(loader->m_loaderSense, 0);
    EXPECT_EQ(loader->m_printerSense, 0);
    EXPECT_EQ(loaderSense, 77);
    EXPECT_EQ(loader->m_lastError, "earlier");
}

TEST_F(CommandCore, NoRepeatAfterOtherChannelFailures) {
    rig.channel.Fail(SimChannel::Op::Transact, kSense, ChannelError::CtsOff);
    EXPECT_FALSE(loader->RequestSense(-1, nullptr, nullptr));
    EXPECT_EQ(rig.Log().Count(kSense), 1);

    SimAutoloaderRig hidRig(SimChannel::Kind::Hid);
    auto hidLoader = hidRig.Connect();
    ASSERT_TRUE(hidLoader);
    hidRig.channel.Fail(SimChannel::Op::Transact, kSense, ChannelError::HidReceiveTimeout);
    EXPECT_FALSE(hidLoader->RequestSense(-1, nullptr, nullptr));
    EXPECT_EQ(hidRig.Log().Count(kSense), 1);
}

TEST_F(CommandCore, SenseFieldsAreParsedApart) {
    rig.device.ReplyWith(kSense, "\x1b!e1004015C");
    uint16_t loaderSense = 0, printerSense = 0;
    EXPECT_TRUE(loader->RequestSense(-1, &loaderSense, &printerSense));
    EXPECT_EQ(loaderSense, 4);
    EXPECT_EQ(printerSense, 15);

    rig.device.ReplyWith(kSense, "\x1b!e1 7x 21C");
    EXPECT_TRUE(loader->RequestSense(-1, &loaderSense, &printerSense));
    EXPECT_EQ(loaderSense, 7);
    EXPECT_EQ(printerSense, 21);
}

TEST_F(CommandCore, SeriallyControlledTolvaneUsesItsOwnSense) {
    loader->m_printerKindSerialTolvane = true;
    rig.device.SetSense(6, 3);
    uint16_t loaderSense = 77, printerSense = 77;
    EXPECT_TRUE(loader->RequestSense(-1, &loaderSense, &printerSense));
    auto exchanges = rig.Log().Exchanges();
    ASSERT_EQ(exchanges.size(), 1u);
    EXPECT_EQ(exchanges[0].bytes, "\x1b!f0C");
    EXPECT_EQ(exchanges[0].replyLength, 6);
    EXPECT_EQ(loader->m_loaderSense, 6);
    EXPECT_EQ(loader->m_printerSense, 0);
    EXPECT_EQ(loaderSense, 77) << "the caller's codes are not written";
    EXPECT_EQ(printerSense, 77);
}

TEST(EscCommand, FixedWidthFormats) {
    EXPECT_EQ(EscCommand::Format("\x1b!f9000C%-8.8s", "AB"), "\x1b!f9000CAB      ");
    EXPECT_EQ(EscCommand::Format("\x1b!f9000C%-8.8s", "ABCDEFGHIJ"), "\x1b!f9000CABCDEFGH");
    EXPECT_EQ(EscCommand::Format("\x1b!f6%03dC", 7), "\x1b!f6007C");
    EXPECT_EQ(EscCommand::Format("\x1b!f6%03dC", -7), "\x1b!f6-07C");
    EXPECT_EQ(EscCommand::Format("\x1b!g0%luC", 65534ul), "\x1b!g065534C");
}

}  // namespace
