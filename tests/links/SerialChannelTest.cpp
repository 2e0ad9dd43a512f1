#include "links/CTransporterSerial.h"

#include "SerialFakeComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

const byte kCommand[] = "\x1b!e1C";
const std::string kReply = "\x1b!e110";  // 6 bytes

std::string Text(const byte* bytes, size_t length) {
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

// A channel on the fake line, whose device answers kCommand with kReply.
class SerialChannel : public ::testing::Test {
protected:
    void SetUp() override {
        api.onWrite = [this](const std::string& bytes) {
            if (bytes == Text(kCommand, 5)) api.Send(kReply);
        };
        channel.reset(new CTransporterSerial("\\\\.\\COM3", 115200));
    }
    size_t CallIndex(const std::string& name) const {
        return std::find(api.calls.begin(), api.calls.end(), name) - api.calls.begin();
    }

    FakeCommApi api;
    std::unique_ptr<CTransporterSerial> channel;
    byte reply[16] = {};
};

TEST_F(SerialChannel, SetsTheDevicesLineStateOverThePorts) {
    EXPECT_TRUE(channel->IsOpen());
    EXPECT_EQ(0, channel->GetLastErrorCode());
    EXPECT_STREQ("COM3", channel->GetPortName());
    EXPECT_EQ(115200, channel->GetBaudRate());
    EXPECT_EQ(0, channel->IsHid());

    ASSERT_EQ(2u, api.statesSet.size());
    const DCB& dcb = api.statesSet[1];
    EXPECT_EQ(115200u, dcb.BaudRate);
    EXPECT_EQ(8, dcb.ByteSize);
    EXPECT_EQ(NOPARITY, dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, dcb.StopBits);
    EXPECT_EQ(0x2804u, DcbFlagWord(dcb));
    EXPECT_EQ(0, dcb.XonLim);
    EXPECT_EQ(0, dcb.XoffLim);
    EXPECT_EQ(0, dcb.ErrorChar);
    EXPECT_EQ(0, dcb.EofChar);
    EXPECT_EQ(0, dcb.EvtChar);
    EXPECT_EQ(0, dcb.wReserved1);
    EXPECT_EQ(0x11, dcb.XonChar);  // the port's, kept
    EXPECT_EQ(0x13, dcb.XoffChar);
}

TEST_F(SerialChannel, PortNameIsThePathLessItsDevicePrefix) {
    CTransporterSerial plain("COM7", 9600);
    EXPECT_STREQ("COM7", plain.GetPortName());

    api.Fail("CreateFileA", ERROR_FILE_NOT_FOUND);
    CTransporterSerial missing("\\\\.\\COM9", 9600);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(0, missing.GetLastErrorCode());
    EXPECT_STREQ("Failed to open COM port - 2l", missing.GetLastErrorText());
    EXPECT_STREQ("\\\\.\\COM9", missing.GetPortName());
}

TEST_F(SerialChannel, FailedLineSetupRecords102AndKeepsThePortOpen) {
    for (const char* call : {"GetCommState", "SetCommState"}) {
        FakeCommApi line;
        line.Fail(call, ERROR_ACCESS_DENIED, 2);  // the port's own call succeeds
        CTransporterSerial failed("\\\\.\\COM3", 38400);
        EXPECT_TRUE(failed.IsOpen()) << call;
        EXPECT_EQ(102, failed.GetLastErrorCode()) << call;
        EXPECT_STREQ("SetCommState failed - 5l", failed.GetLastErrorText()) << call;
    }
}

TEST_F(SerialChannel, CtsWaitReadsTheStatusEvery10msForTheWholeWait) {
    api.ctsOnFromPoll = 0;
    ICtsWaiter* waiter = channel.get();

    EXPECT_FALSE(waiter->WaitForCts(3));
    EXPECT_EQ(301, api.modemPolls);
    EXPECT_EQ(3010u, api.slept);
    EXPECT_EQ(111, channel->GetLastErrorCode());
    EXPECT_STREQ("CTS signal is off", channel->GetLastErrorText());

    for (int seconds : {0, -4}) {
        api.modemPolls = 0;
        EXPECT_FALSE(channel->WaitForCts(seconds));
        EXPECT_EQ(1, api.modemPolls) << seconds;
    }

    api.modemPolls = 0;
    api.ctsOnFromPoll = 5;
    EXPECT_TRUE(channel->WaitForCts(3));
    EXPECT_EQ(5, api.modemPolls);
}

TEST_F(SerialChannel, UnreadableModemStatusRecords110AndClearsTheLineError) {
    api.Fail("GetCommModemStatus", ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 5));
    EXPECT_EQ(110, channel->GetLastErrorCode());
    EXPECT_STREQ("GetCommModemStatus failed - 50l", channel->GetLastErrorText());
    EXPECT_EQ(1, api.Count("ClearCommError"));
    EXPECT_EQ(0, api.Count("WriteFile"));
}

TEST_F(SerialChannel, ExchangeDiscardsAllStaleInputThenWritesAndReadsTheReply) {
    api.Send(std::string(200, 'x'));  // more than one drain read holds
    api.calls.clear();

    ASSERT_TRUE(channel->Transact(kCommand, 5, reply, 6, 5));
    EXPECT_EQ(kReply, Text(reply, 6));
    EXPECT_TRUE(api.input.empty());
    // CTS first, then the drain, then the command.
    EXPECT_LT(CallIndex("GetCommModemStatus"), CallIndex("ReadFile"));
    EXPECT_LT(CallIndex("ReadFile"), CallIndex("WriteFile"));
    // Four drain reads of 64 bytes under 50 ms (the last one short), then the reply.
    EXPECT_EQ((std::vector<DWORD>{64, 64, 64, 64, 6}), api.readLengths);
    EXPECT_EQ((std::vector<DWORD>{50, 50, 50, 50, 5000}), api.readTimeouts);
    EXPECT_EQ(0, channel->GetLastErrorCode());
}

TEST_F(SerialChannel, DrainOfALineThatNeverFallsQuietIsBounded) {
    api.onRead = [this] { api.Send(std::string(64, 'x')); };
    channel->Transact(kCommand, 5, reply, 6, 5);
    EXPECT_EQ(CTransporterSerial::kMaxDrainReads + 1, api.Count("ReadFile"));
    EXPECT_EQ(1, api.Count("WriteFile"));
}

TEST_F(SerialChannel, ExchangeWithoutAReplyOnlySends) {
    EXPECT_TRUE(channel->Transact(kCommand, 5, reply, 0, 5));
    EXPECT_EQ(0, api.Count("ReadFile"));
    EXPECT_EQ(Text(kCommand, 5), api.AllWritten());

    // A null reply buffer sends too, after the drain.
    EXPECT_TRUE(channel->Transact(kCommand, 5, nullptr, 6, 5));
    EXPECT_EQ(std::vector<DWORD>{64}, api.readLengths);
    EXPECT_EQ(2u, api.written.size());
}

TEST_F(SerialChannel, CtsOffFailsTheExchangeWithoutSendingAndTheNumberStays) {
    api.ctsOnFromPoll = 0;
    channel->SetCtsTimeout(1);
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 5));
    EXPECT_EQ(111, channel->GetLastErrorCode());
    EXPECT_EQ(101, api.modemPolls);
    EXPECT_TRUE(api.written.empty());
    EXPECT_EQ(0, api.Count("ReadFile"));

    channel->SetCtsTimeout(-1);  // counts as 0: one look
    api.modemPolls = 0;
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 5));
    EXPECT_EQ(1, api.modemPolls);

    api.ctsOnFromPoll = 1;
    EXPECT_TRUE(channel->Transact(kCommand, 5, reply, 6, 5));
    EXPECT_EQ(111, channel->GetLastErrorCode());
}

TEST_F(SerialChannel, ExchangeFailuresInThePortAreCopiedWithTheirText) {
    api.onWrite = [this](const std::string&) { api.Send("\x1b!e"); };  // half a reply
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 2));
    EXPECT_EQ(107, channel->GetLastErrorCode());
    EXPECT_STREQ("Receive timeout", channel->GetLastErrorText());
    EXPECT_EQ("\x1b!e", Text(reply, 3));
    EXPECT_EQ(2000u, api.readTimeouts.back());

    api.Fail("WriteFile", ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 2));
    EXPECT_EQ(104, channel->GetLastErrorCode());
    EXPECT_STREQ("Error writing to COM port - 1167l", channel->GetLastErrorText());

    // A port failure after a failure of the channel's own shows the port's text again.
    api.Heal("WriteFile");
    api.ctsOnFromPoll = 0;
    channel->SetCtsTimeout(0);
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 2));
    EXPECT_STREQ("CTS signal is off", channel->GetLastErrorText());
    api.ctsOnFromPoll = 1;
    api.onWrite = nullptr;
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 2));
    EXPECT_EQ(107, channel->GetLastErrorCode());
    EXPECT_STREQ("Receive timeout", channel->GetLastErrorText());
}

TEST_F(SerialChannel, ReplyTimeoutIsBoundedWhateverTheCallerGives) {
    EXPECT_FALSE(channel->Transact(kCommand, 1, reply, 6, -3));
    EXPECT_EQ(1u, api.readTimeouts.back());
    EXPECT_FALSE(channel->Transact(kCommand, 1, reply, 6, 0x7fffffff));
    EXPECT_EQ(2147483000u, api.readTimeouts.back());
}

TEST_F(SerialChannel, NegativeLengthsFailWithoutTouchingTheLine) {
    api.calls.clear();
    EXPECT_FALSE(channel->Transact(kCommand, -1, reply, 6, 5));
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, -6, 5));
    EXPECT_FALSE(channel->Write(kCommand, -5));
    EXPECT_FALSE(channel->Read(reply, -1));
    EXPECT_TRUE(api.calls.empty());
    EXPECT_EQ(0, channel->GetLastErrorCode());
}

TEST_F(SerialChannel, PlainTransfersAndSettersFailInThePortOnly) {
    api.ctsOnFromPoll = 0;
    channel->SetCtsTimeout(0);
    EXPECT_FALSE(channel->Transact(kCommand, 5, reply, 6, 5));
    ASSERT_EQ(111, channel->GetLastErrorCode());
    api.modemPolls = 0;

    api.Fail("WriteFile", ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_FALSE(channel->Write(kCommand, 5));
    EXPECT_EQ(111, channel->GetLastErrorCode());
    EXPECT_STREQ("Error writing to COM port - 1167l", channel->GetLastErrorText());

    EXPECT_FALSE(channel->Read(reply, 6));
    EXPECT_STREQ("Receive timeout", channel->GetLastErrorText());

    api.Fail("GetCommTimeouts", ERROR_INVALID_HANDLE);
    EXPECT_FALSE(channel->SetReadTimeout(1000));
    EXPECT_FALSE(channel->SetWriteTimeouts(10000, 100));
    EXPECT_STREQ("GetCommTimeouts failed - 6l", channel->GetLastErrorText());
    EXPECT_EQ(111, channel->GetLastErrorCode());
    EXPECT_EQ(0, api.modemPolls);  // no CTS wait outside an exchange
}

TEST_F(SerialChannel, BaudChange) {
    EXPECT_TRUE(channel->SetBaudRate(38400));
    EXPECT_EQ(38400, channel->GetBaudRate());
    EXPECT_EQ(38400u, api.statesSet.back().BaudRate);
    EXPECT_EQ(0x2804u, DcbFlagWord(api.statesSet.back()));

    api.Fail("GetCommState", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(channel->SetBaudRate(9600));
    EXPECT_EQ(101, channel->GetLastErrorCode());
    EXPECT_STREQ("GetCommState failed - 5l", channel->GetLastErrorText());

    api.Heal("GetCommState");
    api.Fail("SetCommState", ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(channel->SetBaudRate(9600));
    EXPECT_EQ(102, channel->GetLastErrorCode());
    EXPECT_STREQ("SetCommState failed - 87l", channel->GetLastErrorText());
    EXPECT_EQ(38400, channel->GetBaudRate());
}

TEST_F(SerialChannel, DestructionClosesThePort) {
    channel.reset();
    EXPECT_EQ(std::vector<DWORD>{CLRDTR}, api.escapes);
    EXPECT_EQ(1u, api.purges.size());
    EXPECT_TRUE(api.portClosed);
}

}  // namespace
