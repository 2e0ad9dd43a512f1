// The serial channel on a real line: a pseudo-terminal that Wine maps as a COM port, with
// a peer (serial_peer.py) answering escape commands on the other end. Run through
// tests/tools/pty-run, which gives the port's number in TAVRIX_COM_PORT.

#include "links/CTransporterSerial.h"
#include "links/SerialPort.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace {

std::string PortPath() {
    char number[16] = {};
    DWORD n = GetEnvironmentVariableA("TAVRIX_COM_PORT", number, sizeof number);
    return n > 0 && n < sizeof number ? std::string("\\\\.\\COM") + number : std::string();
}

std::string Text(const byte* bytes, size_t length) {
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

const byte* Bytes(const char* text) {
    return reinterpret_cast<const byte*>(text);
}

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override {
        path = PortPath();
        ASSERT_FALSE(path.empty()) << "run through tests/tools/pty-run (no TAVRIX_COM_PORT)";
        channel.reset(new CTransporterSerial(path.c_str(), 115200));
        ASSERT_TRUE(channel->IsOpen()) << channel->GetLastErrorText();
    }
    // Milliseconds that fn takes.
    template <typename Fn>
    DWORD Timed(Fn fn) {
        ULONGLONG start = GetTickCount64();
        fn();
        return static_cast<DWORD>(GetTickCount64() - start);
    }
    // The line settings as the peer sees them on its side of the pty.
    std::string LineSeenByPeer() {
        byte reply[15] = {};
        EXPECT_TRUE(channel->Transact(Bytes("\x1b!t0C"), 5, reply, 15, 2))
            << channel->GetLastErrorText();
        return Text(reply + 5, 10);
    }
    // A raw command to the peer and its 5-byte acknowledgement.
    void TellPeer(const char* command) {
        byte ack[5] = {};
        ASSERT_TRUE(channel->SetReadTimeout(2000));
        ASSERT_TRUE(channel->Write(Bytes(command), 5)) << channel->GetLastErrorText();
        ASSERT_TRUE(channel->Read(ack, 5)) << channel->GetLastErrorText();
        EXPECT_EQ(std::string(command, 4) + "1", Text(ack, 5));
    }

    std::string path;
    std::unique_ptr<CTransporterSerial> channel;
};

TEST_F(SerialPty, OpensWithTheDevicesLineSettings) {
    EXPECT_EQ(0, channel->GetLastErrorCode()) << channel->GetLastErrorText();
    EXPECT_EQ(path.substr(4), channel->GetPortName());
    EXPECT_EQ("1152008N1H", LineSeenByPeer());

    ASSERT_TRUE(channel->SetBaudRate(38400)) << channel->GetLastErrorText();
    EXPECT_EQ(38400, channel->GetBaudRate());
    EXPECT_EQ("0384008N1H", LineSeenByPeer());
}

TEST_F(SerialPty, CommandGetsItsFixedLengthReplyWithinTheTimeout) {
    byte reply[11] = {};
    ASSERT_TRUE(channel->Transact(Bytes("\x1b!e1C"), 5, reply, 11, 2))
        << channel->GetLastErrorText();
    EXPECT_EQ("\x1b!e11234567", Text(reply, 11));

    // A reply that comes in two pieces is read whole.
    DWORD ms = Timed([&] {
        ASSERT_TRUE(channel->Transact(Bytes("\x1b!s0C"), 5, reply, 6, 2))
            << channel->GetLastErrorText();
    });
    EXPECT_EQ("\x1b!s010", Text(reply, 6));
    EXPECT_GE(ms, 250u);
    EXPECT_LT(ms, 1500u);
}

TEST_F(SerialPty, ShortOrMissingReplyIsAReceiveTimeout) {
    byte reply[6] = {};
    DWORD ms = Timed([&] { EXPECT_FALSE(channel->Transact(Bytes("\x1b!h0C"), 5, reply, 6, 1)); });
    EXPECT_EQ(107, channel->GetLastErrorCode());
    EXPECT_STREQ("Receive timeout", channel->GetLastErrorText());
    EXPECT_EQ("\x1b!h", Text(reply, 3));
    EXPECT_GE(ms, 900u);
    EXPECT_LT(ms, 3000u);

    // Nothing at all: Wine ends this read with ERROR_TIMEOUT, still a receive time-out.
    ms = Timed([&] { EXPECT_FALSE(channel->Transact(Bytes("\x1b!z0C"), 5, reply, 6, 1)); });
    EXPECT_EQ(107, channel->GetLastErrorCode());
    EXPECT_STREQ("Receive timeout", channel->GetLastErrorText());
    EXPECT_GE(ms, 900u);
    EXPECT_LT(ms, 3000u);
}

TEST_F(SerialPty, StaleInputBeforeACommandIsDiscarded) {
    // 300 bytes wait on the line, more than one drain read takes.
    ASSERT_TRUE(channel->Transact(Bytes("\x1b!j0C"), 5, nullptr, 0, 1));
    Sleep(300);
    byte reply[11] = {};
    ASSERT_TRUE(channel->Transact(Bytes("\x1b!e1C"), 5, reply, 11, 2))
        << channel->GetLastErrorText();
    EXPECT_EQ("\x1b!e11234567", Text(reply, 11));
}

TEST_F(SerialPty, CtsOffFailsTheExchangeWith111) {
    TellPeer("\x1b!c0C");
    channel->SetCtsTimeout(1);
    byte reply[11] = {};
    DWORD ms = Timed([&] { EXPECT_FALSE(channel->Transact(Bytes("\x1b!e1C"), 5, reply, 11, 2)); });
    EXPECT_EQ(111, channel->GetLastErrorCode());
    EXPECT_STREQ("CTS signal is off", channel->GetLastErrorText());
    EXPECT_GE(ms, 900u);
    EXPECT_LT(ms, 3000u);
    EXPECT_FALSE(channel->WaitForCts(0));

    TellPeer("\x1b!c1C");
    EXPECT_TRUE(channel->WaitForCts(0));
    ASSERT_TRUE(channel->Transact(Bytes("\x1b!e1C"), 5, reply, 11, 2))
        << channel->GetLastErrorText();
    EXPECT_EQ("\x1b!e11234567", Text(reply, 11));
    EXPECT_EQ(111, channel->GetLastErrorCode());  // no success clears it
}

TEST(SerialPtyMissing, PortThatIsNotThereFailsToOpenWith100) {
    SerialPort port("\\\\.\\COM249", 9600, 8, NOPARITY, ONESTOPBIT);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(100, port.GetErrorCode());
    EXPECT_NE(0u, port.GetSystemError());

    CTransporterSerial channel("\\\\.\\COM249", 9600);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(0, channel.GetLastErrorCode());
    EXPECT_EQ(0, std::string(channel.GetLastErrorText()).find("Failed to open COM port - "));
    byte data[1] = {0};
    EXPECT_FALSE(channel.Write(data, 1));
    EXPECT_STREQ("Failed to open COM port - 0l", channel.GetLastErrorText());
}

}  // namespace
