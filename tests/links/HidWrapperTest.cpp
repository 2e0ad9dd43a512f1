// The HID channel over a scripted device: report framing, the flush before a command,
// replies spread over reports, and every failure code.

#include "HidFakeSystem.h"
#include "links/HidWrapper.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Sequence(int n, int first = 1) {
    Bytes bytes(static_cast<size_t>(n));
    std::iota(bytes.begin(), bytes.end(), static_cast<unsigned char>(first));
    return bytes;
}

class HidWrapperTest : public ::testing::Test {
protected:
    HidFakeSystem fake;
    FakeHidDevice& device = fake.Add("\\\\?\\hid#vid_0cc3&pid_000d#1");

    void TearDown() override {
        for (const std::string& fault : fake.faults) ADD_FAILURE() << fault;
    }

    std::unique_ptr<HidWrapper> Connected(const std::wstring& serial = L"") {
        auto channel = std::make_unique<HidWrapper>(0x000D, serial, 0);
        EXPECT_TRUE(channel->Connect());
        return channel;
    }
};

TEST_F(HidWrapperTest, WritesDataInCountedReportsOf58Bytes) {
    auto channel = Connected();
    EXPECT_TRUE(channel->Write(Sequence(1).data(), 0));
    EXPECT_TRUE(device.written.empty());

    EXPECT_TRUE(channel->Write(Sequence(58).data(), 58));
    ASSERT_EQ(1u, device.written.size());
    Bytes expected = {2, 58};
    Bytes data = Sequence(58);
    expected.insert(expected.end(), data.begin(), data.end());
    expected.push_back(0);
    EXPECT_EQ(expected, device.written[0]);

    device.written.clear();
    const Bytes data59 = Sequence(59, 100);
    EXPECT_TRUE(channel->Write(data59.data(), 59));
    ASSERT_EQ(2u, device.written.size());
    const Bytes& first = device.written[0];
    const Bytes& second = device.written[1];
    ASSERT_EQ(61u, second.size());
    EXPECT_EQ(58, first[1]);
    EXPECT_EQ(2, second[0]);
    EXPECT_EQ(1, second[1]);
    EXPECT_EQ(data59[58], second[2]);
    // The padding of a later report carries what the report before it left there.
    EXPECT_EQ(Bytes(first.begin() + 3, first.begin() + 60), Bytes(second.begin() + 3, second.begin() + 60));
    EXPECT_EQ(0, first[60]);
    EXPECT_EQ(0, second[60]);

    device.written.clear();
    EXPECT_TRUE(channel->Write(Sequence(120).data(), 120));
    ASSERT_EQ(3u, device.written.size());
    EXPECT_EQ(58, device.written[0][1]);
    EXPECT_EQ(58, device.written[1][1]);
    EXPECT_EQ(4, device.written[2][1]);
    EXPECT_EQ(117, device.written[2][2]);
    EXPECT_EQ(120, device.written[2][5]);
}

TEST_F(HidWrapperTest, FailedReportEndsTheWriteWith204AndItsText) {
    auto channel = Connected();
    device.writeResults = {FakeHidDevice::WriteOk, FakeHidDevice::WriteFails};
    EXPECT_FALSE(channel->Write(Sequence(120).data(), 120));
    EXPECT_EQ(2u, device.written.size());  // the first report stays sent, nothing retried
    EXPECT_EQ(ChannelError::HidWriteFailed, channel->GetLastErrorCode());
    EXPECT_STREQ("SetOutputReport_Interrupt status = 2", channel->GetLastErrorText());
}

TEST_F(HidWrapperTest, WriteTheDeviceNeverTakesIsCancelledAfterItsBound) {
    auto channel = Connected();
    device.writeResults = {FakeHidDevice::WriteHangs};
    EXPECT_FALSE(channel->Write(Sequence(5).data(), 5));
    EXPECT_EQ(ChannelError::HidWriteFailed, channel->GetLastErrorCode());
    ASSERT_FALSE(fake.waits.empty());
    EXPECT_EQ(HidDevice::kWriteTimeoutMs, fake.waits.back());
}

TEST_F(HidWrapperTest, ReadCollectsReportsAndDropsWhatIsNotNeeded) {
    auto channel = Connected();
    device.inbox = {FakeInput::Data({'a', 'b', 'c'}), FakeInput::Data({}),
                    FakeInput::Data({'d', 'e', 'f', 'g', 'h'})};
    byte reply[6] = {};
    ASSERT_TRUE(channel->Read(reply, 6));
    EXPECT_EQ(0, std::memcmp("abcdef", reply, 6));
    EXPECT_TRUE(device.inbox.empty());  // 'g', 'h' went with their report

    byte none[1];
    EXPECT_FALSE(channel->Read(none, 0));
    EXPECT_EQ(3u, device.readLengths.size());
    EXPECT_EQ(64u, device.readLengths[0]);
}

TEST_F(HidWrapperTest, ReportWithoutReportIdIsShiftedDown) {
    auto channel = Connected();
    device.inbox = {FakeInput::Raw({0, 1, 2, 'o', 'k'})};
    byte reply[2] = {};
    ASSERT_TRUE(channel->Read(reply, 2));
    EXPECT_EQ('o', reply[0]);
    EXPECT_EQ('k', reply[1]);
}

TEST_F(HidWrapperTest, CountLargerThanTheReportIsClampedToIt) {
    device.inputReportSize = 8;
    auto channel = Connected();
    device.inbox = {FakeInput::Data(Sequence(6), 1, 200), FakeInput::Data({'z'})};
    byte reply[7] = {};
    ASSERT_TRUE(channel->Read(reply, 7));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 'z'}), Bytes(reply, reply + 7));
}

TEST_F(HidWrapperTest, ReadFailuresGiveTheirCodes) {
    auto channel = Connected();
    byte reply[4];
    device.inbox = {FakeInput::Data({'x'}, 2)};
    EXPECT_FALSE(channel->Read(reply, 4));
    EXPECT_EQ(ChannelError::HidReadError, channel->GetLastErrorCode());

    device.inbox = {FakeInput::Failure()};
    EXPECT_FALSE(channel->Read(reply, 4));
    EXPECT_EQ(ChannelError::HidReadError, channel->GetLastErrorCode());

    EXPECT_FALSE(channel->Read(reply, 4));  // nothing comes: cancelled and waited for
    EXPECT_EQ(ChannelError::HidReceiveTimeout, channel->GetLastErrorCode());
    EXPECT_EQ(15000u, fake.waits.back());
}

TEST_F(HidWrapperTest, EndlessEmptyReportsEndAtTheTimeOut) {
    auto channel = Connected();
    device.endless = FakeInput::Data({});
    fake.ticksPerRead = 10;
    byte reply[4];
    EXPECT_FALSE(channel->Transact(Sequence(3).data(), 3, reply, 4, 1));
    EXPECT_EQ(ChannelError::HidReceiveTimeout, channel->GetLastErrorCode());
    EXPECT_GE(fake.now, 1000u);
    EXPECT_LT(fake.now, 1200u);
}

TEST_F(HidWrapperTest, TransactFlushesStaleReportsThenTakesTheAnswer) {
    auto channel = Connected();
    device.inbox = {FakeInput::Data({'o', 'l', 'd'}), FakeInput::Data({'x'})};
    device.answers = {{FakeInput::Data({'\x1b', '!', 'a', 'b', '1', 'C'})}};
    const byte command[] = "\x1b!abC";
    byte reply[6] = {};
    ASSERT_TRUE(channel->Transact(command, 5, reply, 6, 5));
    EXPECT_EQ(0, std::memcmp("\x1b!ab1C", reply, 6));
    // Two stale reports, one empty wait of the flush, then the answer under 5 seconds.
    EXPECT_EQ((std::vector<DWORD>{100, 100, 100, HidDevice::kWriteTimeoutMs, 5000}), fake.waits);
    EXPECT_EQ(ChannelError::None, channel->GetLastErrorCode());  // a flush time-out is no error
}

TEST_F(HidWrapperTest, FlushIsBoundedAndItsReadErrorIsKept) {
    auto channel = Connected();
    device.endless = FakeInput::Data({'s'});
    EXPECT_TRUE(channel->Transact(Sequence(2).data(), 2, nullptr, 0, 1));
    EXPECT_TRUE(device.readLengths.empty());  // no reply wanted: no flush, no read

    byte reply[1];
    EXPECT_TRUE(channel->Transact(Sequence(2).data(), 2, reply, 1, 1));
    EXPECT_EQ(12u, device.readLengths.size());  // eleven flushed, one taken

    device.endless.reset();
    device.inbox = {FakeInput::Failure()};
    device.answers = {{FakeInput::Data({'y'})}};
    EXPECT_TRUE(channel->Transact(Sequence(2).data(), 2, reply, 1, 1));
    EXPECT_EQ('y', reply[0]);
    EXPECT_EQ(ChannelError::HidReadError, channel->GetLastErrorCode());
}

TEST_F(HidWrapperTest, TransactWithNullReplyFlushesAndWritesOnly) {
    auto channel = Connected();
    device.inbox = {FakeInput::Data({'o'})};
    device.answers = {{FakeInput::Data({'n'})}};
    EXPECT_TRUE(channel->Transact(Sequence(2).data(), 2, nullptr, 6, 1));
    EXPECT_EQ(1u, device.written.size());
    EXPECT_EQ(1u, device.inbox.size());  // the answer is left for later
}

TEST_F(HidWrapperTest, CodesAreKeptAcrossLaterSuccess) {
    auto channel = Connected();
    byte reply[1];
    EXPECT_FALSE(channel->Transact(Sequence(2).data(), 2, reply, 1, 2));
    EXPECT_EQ(ChannelError::HidReceiveTimeout, channel->GetLastErrorCode());
    device.answers = {{FakeInput::Data({'k'})}};
    EXPECT_TRUE(channel->Transact(Sequence(2).data(), 2, reply, 1, 2));
    EXPECT_EQ(ChannelError::HidReceiveTimeout, channel->GetLastErrorCode());
}

TEST_F(HidWrapperTest, NegativeLengthsFailWithTheirCodeWithoutTouchingTheDevice) {
    auto channel = Connected();
    byte reply[4];
    EXPECT_FALSE(channel->Read(reply, 4));
    ASSERT_EQ(ChannelError::HidReceiveTimeout, channel->GetLastErrorCode());
    const size_t reads = device.readLengths.size();
    const struct {
        std::function<bool(HidWrapper&)> call;
        int code;
    } cases[] = {
        {[&](HidWrapper& c) { return c.Transact(Sequence(2).data(), -1, reply, 4, 1); },
         ChannelError::HidWriteFailed},
        {[&](HidWrapper& c) { return c.Transact(Sequence(2).data(), 2, reply, -4, 1); },
         ChannelError::HidReadError},
        {[&](HidWrapper& c) { return c.Write(Sequence(2).data(), -2); }, ChannelError::HidWriteFailed},
        {[&](HidWrapper& c) { return c.Read(reply, -4); }, ChannelError::HidReadError},
    };
    for (const auto& row : cases) {
        channel->Read(reply, 4);  // an older code of another kind
        EXPECT_FALSE(row.call(*channel));
        EXPECT_EQ(row.code, channel->GetLastErrorCode());
        EXPECT_NE(std::string(), channel->GetLastErrorText());
    }
    EXPECT_TRUE(device.written.empty());
    EXPECT_EQ(reads + 4, device.readLengths.size());  // only the reads made for older codes
}

TEST_F(HidWrapperTest, FixedAnswersOfTheChannel) {
    HidWrapper first(0x000D, L"", 0), twelfth(0x0011, L"", 12);
    EXPECT_STREQ("HID-0", first.GetPortName());
    EXPECT_STREQ("HID-12", twelfth.GetPortName());
    EXPECT_TRUE(first.SetBaudRate(115200));
    EXPECT_EQ(9600, first.GetBaudRate());
}

TEST_F(HidWrapperTest, ConnectRefusesMissingDevicesAndReportsTooShort) {
    HidWrapper wrongProduct(0x0011, L"", 0);
    EXPECT_FALSE(wrongProduct.Connect());
    EXPECT_EQ(ChannelError::HidNoDevice, wrongProduct.GetLastErrorCode());

    HidWrapper otherSerial(0x000D, L"SN2", 0);
    EXPECT_FALSE(otherSerial.Connect());

    device.inputReportSize = 2;
    HidWrapper tooShort(0x000D, L"SN1", 0);
    EXPECT_FALSE(tooShort.Connect());
    EXPECT_EQ(ChannelError::HidNoDevice, tooShort.GetLastErrorCode());
    EXPECT_EQ(0, fake.OpenHandles());
    byte reply[1];
    EXPECT_FALSE(tooShort.Transact(Sequence(1).data(), 1, reply, 1, 1));
    EXPECT_TRUE(device.written.empty());
}

TEST_F(HidWrapperTest, CloseReopenAndDestructionHandleTheDevice) {
    auto channel = Connected(L"SN1");
    EXPECT_EQ(1, fake.OpenHandles());
    channel->Close();
    EXPECT_EQ(0, fake.OpenHandles());
    channel->Close();  // a second close closes nothing
    EXPECT_FALSE(channel->Write(Sequence(1).data(), 1));
    EXPECT_EQ(ChannelError::HidNoDevice, channel->GetLastErrorCode());

    device.inputReportSize = 16;  // the restarted device may report another size
    ASSERT_TRUE(channel->Reopen());
    ASSERT_TRUE(channel->Reopen());  // the handle still open is closed first
    EXPECT_EQ(1, fake.OpenHandles());
    ASSERT_TRUE(channel->Connect());  // so too by a second connect
    EXPECT_EQ(1, fake.OpenHandles());
    device.inbox = {FakeInput::Data(Sequence(20), 1, 20)};
    byte reply[15];
    ASSERT_TRUE(channel->Read(reply, 14));
    EXPECT_EQ(16u, device.readLengths.back());

    device.openFails = true;
    EXPECT_FALSE(channel->Connect());
    EXPECT_EQ(0, fake.OpenHandles());
    EXPECT_FALSE(channel->Reopen());
    EXPECT_EQ(ChannelError::HidNoDevice, channel->GetLastErrorCode());
    EXPECT_EQ(0, fake.OpenHandles());
    EXPECT_FALSE(channel->Transact(Sequence(1).data(), 1, reply, 1, 1));
    EXPECT_EQ(ChannelError::HidNoDevice, channel->GetLastErrorCode());

    device.openFails = false;
    EXPECT_TRUE(channel->Reopen());  // a later try may still find it
    channel.reset();
    EXPECT_EQ(0, fake.OpenHandles());
}

}  // namespace
