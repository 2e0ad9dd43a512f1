// The simulated autoloader and its channel: what the device tests rely on.

#include "SimAutoloaderRig.h"

#include <gtest/gtest.h>

namespace {

std::string Transact(SimChannel& channel, const std::string& command, int replyLength,
                     bool* ok = nullptr) {
    std::string reply(static_cast<size_t>(replyLength), '\0');
    bool result = channel.Transact(reinterpret_cast<const byte*>(command.data()),
                                   static_cast<int>(command.size()),
                                   reinterpret_cast<byte*>(&reply[0]), replyLength, 5);
    if (ok) *ok = result;
    return reply;
}

TEST(SimAutoloader, ParametersTextsAndSense) {
    SimAutoloaderRig rig;
    EXPECT_EQ(Transact(rig.channel, "\x1b!f12604C", 6), "\x1b!f11C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!f22601C", 6), "\x1b!f21C");
    rig.device.SetParameter(270, 1, 6);
    EXPECT_EQ(Transact(rig.channel, "\x1b!f0260C", 12), "\x1b!f0140000" "0C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!f0270C", 12), "\x1b!f01100006C");
    EXPECT_TRUE(rig.device.GetParameter(260).flag);
    EXPECT_EQ(Transact(rig.channel, "\x1b!f9100CNAME", 6), std::string(6, '\0'))
        << "a malformed text write gets no answer";
    EXPECT_EQ(Transact(rig.channel, "\x1b!f9100CNAME    ", 6), "\x1b!f91C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!f:100C", 14), "\x1b!f:10NAME    ");
    rig.device.QueueSense(0, 2);
    rig.device.QueueSense(0, 0);
    EXPECT_EQ(Transact(rig.channel, "\x1b!e1C", 11), "\x1b!e1000002C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!e1C", 11), "\x1b!e1000000C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!e1C", 11), "\x1b!e1000000C");
}

TEST(SimAutoloader, InjectionsTakeTheirCount) {
    SimAutoloaderRig rig;
    rig.device.Refuse("\x1b!f1", 2, 0, 15);
    rig.device.Silence("\x1b!f6", 1);
    EXPECT_EQ(Transact(rig.channel, "\x1b!f12601C", 6), "\x1b!f10C");
    EXPECT_EQ(rig.device.PrinterSense(), 15u);
    EXPECT_EQ(rig.device.GetParameter(260).digit, 0) << "a refused write changes nothing";
    EXPECT_EQ(Transact(rig.channel, "\x1b!f12601C", 6), "\x1b!f10C");
    EXPECT_EQ(Transact(rig.channel, "\x1b!f12601C", 6), "\x1b!f11C");
    bool ok = true;
    Transact(rig.channel, "\x1b!f6100C", 6, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Transact(rig.channel, "\x1b!f6100C", 6), "\x1b!f61C");
}

TEST(SimChannel, ShortLongAndStaleReplies) {
    SimAutoloaderRig rig;
    rig.device.SetPrinter("VEXIL", "VERSION 5.210");
    bool ok = false;
    Transact(rig.channel, "\x1b!e0C", 39, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(rig.channel.Pending().size(), 32u) << "the rest of the record waits";
    byte rest[32];
    rig.channel.SetReadTimeout(500);
    EXPECT_TRUE(rig.channel.Read(rest, 32));
    EXPECT_FALSE(rig.channel.Read(rest, 1));
    EXPECT_EQ(rig.channel.GetLastErrorCode(), 0) << "a plain serial read keeps the code";

    Transact(rig.channel, "\x1b!e0C", 39);
    Transact(rig.channel, "\x1b!f6100C", 6, &ok);
    EXPECT_TRUE(ok) << "stale bytes are dropped before the next command";

    rig.device.ReplyWith("\x1b!f6", "\x1b!f6");
    uint64_t before = rig.device.Now();
    std::string partial = Transact(rig.channel, "\x1b!f6100C", 6, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(partial.substr(0, 4), "\x1b!f6");
    EXPECT_EQ(rig.channel.GetLastErrorCode(), ChannelError::ReceiveTimeout);
    EXPECT_EQ(rig.device.Now() - before, 5000u);
}

TEST(SimChannel, BaudRatesMustAgree) {
    SimAutoloaderRig rig;
    bool ok = false;
    EXPECT_EQ(Transact(rig.channel, "\x1b!b38400C", 5), "\x1b!b1C");
    EXPECT_EQ(rig.device.BaudRate(), 38400);
    Transact(rig.channel, "\x1b!e1C", 11, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(rig.Log().Entries().back().errorCode, ChannelError::ReceiveTimeout);
    rig.channel.SetBaudRate(38400);
    Transact(rig.channel, "\x1b!e1C", 11, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Transact(rig.channel, "\x1b!b11520C", 5), "\x1b!b1C");
    EXPECT_EQ(rig.device.BaudRate(), 115200);
    EXPECT_EQ(Transact(rig.channel, "\x1b!b1234C", 5), std::string(5, '\0'))
        << "the device is at 115200 now, the channel still at 38400";
}

TEST(SimChannel, HidChannelIgnoresRatesAndClosesForReal) {
    SimAutoloaderRig rig(SimChannel::Kind::Hid);
    EXPECT_STREQ(rig.channel.GetPortName(), "HID-3");
    EXPECT_TRUE(rig.channel.SetBaudRate(38400));
    EXPECT_EQ(rig.channel.GetBaudRate(), 9600);
    bool ok = false;
    rig.channel.Close();
    Transact(rig.channel, "\x1b!e1C", 11, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(rig.channel.GetLastErrorCode(), ChannelError::HidNoDevice);
    rig.channel.Fail(SimChannel::Op::Reopen, "", ChannelError::HidNoDevice, 2);
    EXPECT_FALSE(rig.channel.Reopen());
    EXPECT_FALSE(rig.channel.Reopen());
    EXPECT_TRUE(rig.channel.Reopen());
    Transact(rig.channel, "\x1b!e1C", 11, &ok);
    EXPECT_TRUE(ok);
}

TEST(SimChannel, InjectedFailuresAndRawWrites) {
    SimAutoloaderRig rig;
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1", ChannelError::ReceiveTimeout, 1, true);
    bool ok = true;
    Transact(rig.channel, "\x1b!e1C", 11, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 1) << "delivered, its answer lost";
    EXPECT_STREQ(rig.channel.GetLastErrorText(), "Receive timeout");

    const char raw[] = "\x1b!t0C\x1b!s500C";
    EXPECT_TRUE(rig.channel.Write(reinterpret_cast<const byte*>(raw), 12));
    rig.channel.Fail(SimChannel::Op::Write, "", ChannelError::ComWriteError);
    EXPECT_FALSE(rig.channel.Write(reinterpret_cast<const byte*>(raw), 12));
    EXPECT_EQ(rig.channel.GetLastErrorCode(), ChannelError::ReceiveTimeout)
        << "a plain serial write keeps the code";
    EXPECT_STREQ(rig.channel.GetLastErrorText(), "Error writing to COM port - 5l");
    auto writes = rig.Log().Entries();
    EXPECT_EQ(writes[1].kind, SimLog::Kind::Write);
    EXPECT_EQ(writes[1].bytes, raw);
    EXPECT_FALSE(writes[2].ok);
    EXPECT_EQ(rig.channel.LockDepth(), 0);
}

}  // namespace
