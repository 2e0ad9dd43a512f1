#include "links/SerialPort.h"

#include "SerialFakeComm.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kPath[] = "\\\\.\\COM4";

std::string Pattern(size_t length) {
    std::string data(length, '\0');
    for (size_t i = 0; i < length; ++i) data[i] = static_cast<char>(i * 7);
    return data;
}

TEST(SerialPort, OpensForOverlappedIoWithItsTimeoutsAndLineState) {
    FakeCommApi api;
    SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);

    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(0, port.GetErrorCode());
    EXPECT_EQ(kPath, api.openedPath);
    EXPECT_EQ(DWORD(GENERIC_READ | GENERIC_WRITE), api.openAccess);
    EXPECT_EQ(0u, api.openShare);
    EXPECT_EQ(DWORD(OPEN_EXISTING), api.openDisposition);
    EXPECT_EQ(DWORD(FILE_FLAG_OVERLAPPED), api.openFlags);
    EXPECT_EQ(512u, api.queueIn);
    EXPECT_EQ(512u, api.queueOut);

    ASSERT_EQ(1u, api.timeoutsSet.size());
    const COMMTIMEOUTS& t = api.timeoutsSet[0];
    EXPECT_EQ(500u, t.ReadIntervalTimeout);
    EXPECT_EQ(500u, t.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(5000u, t.ReadTotalTimeoutConstant);
    EXPECT_EQ(500u, t.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(2000u, t.WriteTotalTimeoutConstant);

    ASSERT_EQ(1u, api.statesSet.size());
    const DCB& dcb = api.statesSet[0];
    EXPECT_EQ(9600u, dcb.BaudRate);
    EXPECT_EQ(8, dcb.ByteSize);
    EXPECT_EQ(NOPARITY, dcb.Parity);
    EXPECT_EQ(ONESTOPBIT, dcb.StopBits);
    EXPECT_EQ(0x11, dcb.XonChar);
    EXPECT_EQ(0x13, dcb.XoffChar);
    // fBinary, fTXContinueOnXoff, fOutX, fInX set; the rest of the flags as read
    // (fErrorChar and fAbortOnError on in the fake's state).
    EXPECT_EQ(0x4781u, DcbFlagWord(dcb));
    EXPECT_EQ(2048, dcb.XonLim);
    EXPECT_EQ(0x1a, dcb.EofChar);
}

TEST(SerialPort, OneAndAHalfStopBitsBecomeTwoAboveFiveDataBits) {
    struct Case {
        int byteSize, stopBits, expected;
    } cases[] = {{8, ONE5STOPBITS, TWOSTOPBITS},
                 {6, ONE5STOPBITS, TWOSTOPBITS},
                 {5, ONE5STOPBITS, ONE5STOPBITS},
                 {8, TWOSTOPBITS, TWOSTOPBITS}};
    for (const Case& c : cases) {
        FakeCommApi api;
        SerialPort port(kPath, 9600, c.byteSize, NOPARITY, c.stopBits);
        ASSERT_EQ(1u, api.statesSet.size());
        EXPECT_EQ(c.expected, api.statesSet[0].StopBits) << c.byteSize << " data bits";
    }
}

TEST(SerialPort, PortThatNeverOpenedAnswersEveryTransferWith100) {
    FakeCommApi api;
    api.Fail("CreateFileA", ERROR_FILE_NOT_FOUND);
    {
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(100, port.GetErrorCode());
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), port.GetSystemError());
        EXPECT_STREQ("Failed to open COM port - 2l", port.GetErrorText());
        EXPECT_EQ(0, api.Count("SetupComm"));

        char buffer[4] = {};
        EXPECT_FALSE(port.Write("abc", 3));
        EXPECT_EQ(100, port.GetErrorCode());
        EXPECT_EQ(0u, port.GetSystemError());
        EXPECT_FALSE(port.Read(buffer, 0));
        EXPECT_EQ(100, port.GetErrorCode());
        EXPECT_STREQ("Failed to open COM port - 0l", port.GetErrorText());
    }
    EXPECT_EQ(0, api.Count("CloseHandle"));
    EXPECT_TRUE(api.escapes.empty());
}

TEST(SerialPort, SetupFailureStopsTheSetupButLeavesThePortOpen) {
    struct Case {
        const char* call;
        int code;
        const char* text;
        const char* notReached;
    } cases[] = {
        {"SetCommTimeouts", 109, "SetCommTimeouts failed - 31l", "GetCommState"},
        {"GetCommState", 101, "GetCommState failed - 31l", "SetCommState"},
        {"SetCommState", 102, "SetCommState failed - 31l", nullptr},
    };
    for (const Case& c : cases) {
        FakeCommApi api;
        api.Fail(c.call, ERROR_GEN_FAILURE);
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        EXPECT_TRUE(port.IsOpen()) << c.call;
        EXPECT_EQ(c.code, port.GetErrorCode()) << c.call;
        EXPECT_EQ(DWORD(ERROR_GEN_FAILURE), port.GetSystemError());
        EXPECT_STREQ(c.text, port.GetErrorText());
        if (c.notReached) {
            EXPECT_EQ(0, api.Count(c.notReached)) << c.call;
        }
        EXPECT_TRUE(port.Write("a", 1)) << c.call;
    }
}

TEST(SerialPort, ClosingClearsDtrPurgesBothDirectionsAndClosesTheHandle) {
    FakeCommApi api;
    { SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT); }
    EXPECT_EQ(std::vector<DWORD>{CLRDTR}, api.escapes);
    EXPECT_EQ(std::vector<DWORD>{PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR},
              api.purges);
    EXPECT_TRUE(api.portClosed);
}

TEST(SerialPort, WritesInChunksOfAtMost512Bytes) {
    for (bool pending : {false, true}) {
        FakeCommApi api;
        api.pending = pending;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        const std::string data = Pattern(1300);

        EXPECT_TRUE(port.Write(data.data(), 1300));
        ASSERT_EQ(3u, api.written.size());
        EXPECT_EQ(512u, api.written[0].size());
        EXPECT_EQ(512u, api.written[1].size());
        EXPECT_EQ(276u, api.written[2].size());
        EXPECT_EQ(data, api.AllWritten());
        EXPECT_EQ(1, api.Count("CreateEventW"));
        EXPECT_EQ(0, api.eventsOpen);
        EXPECT_EQ(0, port.GetErrorCode());
        EXPECT_EQ(0u, port.GetSystemError());
    }
}

TEST(SerialPort, WritingNothingSucceedsWithoutTouchingTheLine) {
    FakeCommApi api;
    SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
    EXPECT_TRUE(port.Write("abc", 0));
    EXPECT_TRUE(port.Write(nullptr, 5));
    EXPECT_EQ(0, api.Count("CreateEventW"));
    EXPECT_EQ(0, api.Count("WriteFile"));
}

TEST(SerialPort, WriteFailures) {
    const std::string data = Pattern(1300);
    {   // refused at once
        FakeCommApi api;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Fail("WriteFile", ERROR_DEVICE_NOT_CONNECTED, 2);
        EXPECT_FALSE(port.Write(data.data(), 1300));
        EXPECT_EQ(104, port.GetErrorCode());
        EXPECT_EQ(DWORD(ERROR_DEVICE_NOT_CONNECTED), port.GetSystemError());
        EXPECT_STREQ("Error writing to COM port - 1167l", port.GetErrorText());
        EXPECT_EQ(1u, api.written.size());
        EXPECT_EQ(1, api.Count("ClearCommError"));
        EXPECT_EQ(0, api.eventsOpen);
    }
    {   // failed while pending
        FakeCommApi api;
        api.pending = true;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Fail("GetOverlappedResult", ERROR_OPERATION_ABORTED);
        EXPECT_FALSE(port.Write(data.data(), 10));
        EXPECT_EQ(104, port.GetErrorCode());
        EXPECT_EQ(DWORD(ERROR_OPERATION_ABORTED), port.GetSystemError());
        EXPECT_EQ(1, api.Count("ClearCommError"));
        EXPECT_EQ(0, api.eventsOpen);
    }
    {   // completed short: transmit time-out, line error left alone
        FakeCommApi api;
        api.writeShortBy = 1;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        EXPECT_FALSE(port.Write(data.data(), 1300));
        EXPECT_EQ(105, port.GetErrorCode());
        EXPECT_EQ(0u, port.GetSystemError());
        EXPECT_STREQ("Transmit timeout", port.GetErrorText());
        EXPECT_EQ(1u, api.written.size());
        EXPECT_EQ(0, api.Count("ClearCommError"));
        EXPECT_EQ(0, api.eventsOpen);
    }
    {   // no event
        FakeCommApi api;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Fail("CreateEventW", ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_FALSE(port.Write(data.data(), 10));
        EXPECT_EQ(103, port.GetErrorCode());
        EXPECT_STREQ("CreateEvent failed - 8l", port.GetErrorText());
        EXPECT_EQ(0, api.Count("WriteFile"));
    }
}

TEST(SerialPort, ReadsExactlyTheLengthAsked) {
    for (bool pending : {false, true}) {
        FakeCommApi api;
        api.pending = pending;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Send("\x1b!e1CXYZ");
        char buffer[6] = {};
        EXPECT_TRUE(port.Read(buffer, 5));
        EXPECT_EQ("\x1b!e1C", std::string(buffer, 5));
        EXPECT_EQ(3u, api.input.size());
        EXPECT_EQ(0, api.eventsOpen);
        EXPECT_STREQ("COM error, major 0l, minor 0l", port.GetErrorText());
    }
}

TEST(SerialPort, ShortReadIsAReceiveTimeoutAndKeepsTheBytes) {
    for (bool wine : {false, true}) {
        FakeCommApi api;
        api.wineTimeout = wine;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        if (!wine) api.Send("abc");  // Wine's ERROR_TIMEOUT comes when nothing arrived
        char buffer[6] = {};
        EXPECT_FALSE(port.Read(buffer, 6));
        EXPECT_EQ(107, port.GetErrorCode());
        EXPECT_EQ(0u, port.GetSystemError());
        EXPECT_STREQ("Receive timeout", port.GetErrorText());
        EXPECT_EQ(wine ? "" : "abc", std::string(buffer));
        EXPECT_EQ(1, api.Count("ClearCommError"));
        EXPECT_EQ(0, api.eventsOpen);
    }
}

TEST(SerialPort, ReadFailures) {
    char buffer[6];
    {
        FakeCommApi api;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        EXPECT_FALSE(port.Read(buffer, 0));
        EXPECT_FALSE(port.Read(nullptr, 6));
        EXPECT_EQ(0, port.GetErrorCode());
        EXPECT_EQ(0, api.Count("ReadFile"));

        api.Fail("ReadFile", ERROR_GEN_FAILURE);
        EXPECT_FALSE(port.Read(buffer, 6));
        EXPECT_EQ(106, port.GetErrorCode());
        EXPECT_EQ(DWORD(ERROR_GEN_FAILURE), port.GetSystemError());
        EXPECT_STREQ("Error reading from COM port - 31l", port.GetErrorText());
        EXPECT_EQ(1, api.Count("ClearCommError"));
    }
    {
        FakeCommApi api;
        api.pending = true;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Fail("GetOverlappedResult", ERROR_OPERATION_ABORTED);
        EXPECT_FALSE(port.Read(buffer, 6));
        EXPECT_EQ(106, port.GetErrorCode());
        EXPECT_EQ(DWORD(ERROR_OPERATION_ABORTED), port.GetSystemError());
        EXPECT_EQ(0, api.eventsOpen);
    }
    {
        FakeCommApi api;
        SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
        api.Fail("CreateEventW", ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_FALSE(port.Read(buffer, 6));
        EXPECT_EQ(103, port.GetErrorCode());
        EXPECT_EQ(0, api.Count("ReadFile"));
    }
}

TEST(SerialPort, TransfersClearTheCodesButTimeoutSettersKeepThem) {
    FakeCommApi api;
    SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);
    char buffer[6];
    EXPECT_FALSE(port.Read(buffer, 6));
    EXPECT_TRUE(port.SetReadTimeout(750));
    EXPECT_TRUE(port.SetWriteTimeouts(10000, 100));
    EXPECT_EQ(107, port.GetErrorCode());
    EXPECT_TRUE(port.Write("a", 1));
    EXPECT_EQ(0, port.GetErrorCode());
    EXPECT_EQ(0u, port.GetSystemError());
}

TEST(SerialPort, TimeoutSettersChangeOnlyTheirHalf) {
    FakeCommApi api;
    SerialPort port(kPath, 9600, 8, NOPARITY, ONESTOPBIT);

    EXPECT_TRUE(port.SetReadTimeout(750));
    EXPECT_EQ(0u, api.timeouts.ReadIntervalTimeout);
    EXPECT_EQ(0u, api.timeouts.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(750u, api.timeouts.ReadTotalTimeoutConstant);
    EXPECT_EQ(500u, api.timeouts.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(2000u, api.timeouts.WriteTotalTimeoutConstant);

    EXPECT_TRUE(port.SetWriteTimeouts(180000, 100));
    EXPECT_EQ(100u, api.timeouts.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(180000u, api.timeouts.WriteTotalTimeoutConstant);
    EXPECT_EQ(750u, api.timeouts.ReadTotalTimeoutConstant);

    // All read time-outs 0 would mean no limit at all.
    EXPECT_TRUE(port.SetReadTimeout(0));
    EXPECT_EQ(1u, api.timeouts.ReadTotalTimeoutConstant);
    EXPECT_TRUE(port.SetReadTimeout(-20));
    EXPECT_EQ(1u, api.timeouts.ReadTotalTimeoutConstant);

    api.Fail("GetCommTimeouts", ERROR_INVALID_HANDLE);
    EXPECT_FALSE(port.SetReadTimeout(500));
    EXPECT_EQ(108, port.GetErrorCode());
    EXPECT_STREQ("GetCommTimeouts failed - 6l", port.GetErrorText());
    EXPECT_FALSE(port.SetWriteTimeouts(1, 1));
    EXPECT_EQ(108, port.GetErrorCode());

    api.Heal("GetCommTimeouts");
    api.Fail("SetCommTimeouts", ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(port.SetWriteTimeouts(1, 1));
    EXPECT_EQ(109, port.GetErrorCode());
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), port.GetSystemError());
}

}  // namespace
