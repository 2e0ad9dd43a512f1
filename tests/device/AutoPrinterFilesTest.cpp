// The stand-alone printer's files: firmware file checks and the download, print-grid files
// chosen by colour from the program's directory, and print data over the bound USB printer
// port or the channel, with the print status a refusing port leaves.

#include "AutoPrinterProbe.h"
#include "device/CPrint.h"
#include "framework/AppBase.h"
#include "links/SystemUtil.h"
#include "links/UsbPrinterPort.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {

// --- firmware files ---

struct Header {
    uint8_t bytes[16384] = {};
    Header& Put(int offset, const char* text) {
        std::memcpy(bytes + offset, text, std::strlen(text));
        return *this;
    }
};

Header OlderImage(const char* family) {
    Header header;
    header.Put(160, "CD-R AutoPrinterVERSION").Put(193, family);
    return header;
}

bool Check(const char* version, const Header& header, uint32_t size) {
    SimAutoPrinterRig rig;
    rig.printer.SetVersion(version);
    auto printer = rig.Connect<AutoPrinterProbe>();
    printer->m_printerFirmwareFile = true;
    bool belowMinimum = true;
    bool valid = printer->IsFirmwareFileValid(header.bytes, size, &belowMinimum);
    EXPECT_FALSE(printer->m_printerFirmwareFile) << "this device never sets it";
    EXPECT_TRUE(belowMinimum) << "not written";
    EXPECT_TRUE(rig.Log().Empty()) << "the check sends nothing";
    return valid;
}

TEST(PrinterFirmwareCheck, Version6ImagesNeedTheirTextAndExactly64000Bytes) {
    Header v6;
    v6.Put(256, "cd-r autoprinterversion 6.");  // case does not count here
    EXPECT_TRUE(Check("VERSION 6.100", v6, 64000));
    EXPECT_FALSE(Check("VERSION 6.100", v6, 64001));
    EXPECT_FALSE(Check("VERSION 6.100", v6, 63999));
    EXPECT_FALSE(Check("VERSION 5.900", v6, 64000)) << "only for printers at 6000 and up";
    Header wrong;
    wrong.Put(256, "CD-R AutoPrinterVERSION 5.");
    EXPECT_FALSE(Check("VERSION 6.100", wrong, 64000));
}

TEST(PrinterFirmwareCheck, OlderImagesNeedTheFamilyOfTheFirmwareRange) {
    EXPECT_TRUE(Check("VERSION 5.000", OlderImage("AutoPrinter1"), 65536));
    EXPECT_TRUE(Check("VERSION 6.100", OlderImage("AutoPrinter1"), 65536)) << "also at 6000 up";
    EXPECT_FALSE(Check("VERSION 5.210", OlderImage("AutoPrinter "), 65536));
    EXPECT_TRUE(Check("VERSION 4.900", OlderImage("AutoPrinter "), 65536));
    EXPECT_FALSE(Check("VERSION 4.900", OlderImage("AutoPrinter1"), 65536));
    EXPECT_FALSE(Check("VERSION 5.210", OlderImage("autoprinter1"), 65536)) << "family is exact";
    EXPECT_FALSE(Check("VERSION 5.210", OlderImage("AutoPrinter1"), 65535));
    Header lower;
    lower.Put(160, "cd-r AUTOPRINTERversion").Put(193, "AutoPrinter1");
    EXPECT_TRUE(Check("VERSION 5.210", lower, 65536)) << "the text at 160 ignores case";
}

TEST(PrinterFirmwareDownload, StartAndBlocksReachThePrinter) {
    SimAutoPrinterRig rig;
    auto printer = rig.Connect<AutoPrinterProbe>();
    ASSERT_TRUE(printer->BeginFlash(8));
    ASSERT_TRUE(printer->SendFlashData(reinterpret_cast<const uint8_t*>("ABCD"), 4));
    ASSERT_TRUE(printer->SendFlashData(reinterpret_cast<const uint8_t*>("EFGH"), 4));
    EXPECT_EQ(rig.printer.FlashImage(), "ABCDEFGH");
    EXPECT_EQ(rig.Log().Exchanges().back().timeoutSeconds, 60);

    rig.channel->Fail(SimChannel::Op::Transact, "", ChannelError::ComWriteError);
    EXPECT_FALSE(printer->SendFlashData(reinterpret_cast<const uint8_t*>("IJ"), 2));
    EXPECT_EQ(printer->m_lastError, "Error sending flash data - Error writing to COM port - 5l");

    rig.printer.Refuse("\x1b!g0", 1, -1, 16);
    EXPECT_FALSE(printer->BeginFlash(8));
    EXPECT_EQ(printer->m_lastError, "AutoPrinter: Prog Flash Failure");
}

TEST(PrinterFirmwareDownload, NoHeaderOrBlockIsRefusedWithoutSending) {
    SimAutoPrinterRig rig;
    auto printer = rig.Connect<AutoPrinterProbe>();
    bool belowMinimum = false;
    EXPECT_FALSE(printer->IsFirmwareFileValid(nullptr, 65536, &belowMinimum));
    const uint8_t byte = 0;
    for (uint32_t length : {10u, 0x80000000u}) {
        printer->m_lastError.clear();
        EXPECT_FALSE(printer->SendFlashData(length == 10 ? nullptr : &byte, length)) << length;
        EXPECT_EQ(printer->m_lastError, "Error sending flash data - invalid block");
    }
    EXPECT_TRUE(rig.Log().Empty());
}

// --- print-grid files ---

class PrintGridFiles : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"tavrix-printer-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_dir += L"\\";
        m_previousDir = AppBase::Current().GetExeDir();
        AppBase::Current().SetExeDir(m_dir);
        printer = rig.Connect<AutoPrinterProbe>();
    }
    void TearDown() override {
        AppBase::Current().SetExeDir(m_previousDir);
        for (const wchar_t* name : {L"AlignGrid_Vexil_CMY.prn", L"AlignGrid_Vexil_Mono.prn",
                                    L"Marks_Vexil_CMY.prn", L"Marks_Vexil_Mono.prn"})
            DeleteFileW((m_dir + name).c_str());
        RemoveDirectoryW(m_dir.c_str());
    }
    void Put(const wchar_t* name, const std::string& content) {
        HANDLE file = CreateFileW((m_dir + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Read(int pattern) {
        const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
        uint32_t size = printer->GetPrintGridFile(pattern, &data);
        if (size == 0) {
            EXPECT_EQ(data, nullptr);
            return "<none>";
        }
        return std::string(reinterpret_cast<const char*>(data), size);
    }

    std::wstring m_dir;
    std::wstring m_previousDir;
    SimAutoPrinterRig rig;
    std::unique_ptr<AutoPrinterProbe> printer;
};

TEST_F(PrintGridFiles, ChosenByPatternAndColour) {
    Put(L"AlignGrid_Vexil_CMY.prn", "grid colour");
    Put(L"AlignGrid_Vexil_Mono.prn", "grid mono");
    Put(L"Marks_Vexil_CMY.prn", "marks colour");
    Put(L"Marks_Vexil_Mono.prn", "marks mono");
    printer->m_colorPrinter = true;
    EXPECT_EQ(Read(2), "grid colour");
    EXPECT_EQ(Read(3), "marks colour");
    printer->m_colorPrinter = false;
    EXPECT_EQ(Read(2), "grid mono");
    EXPECT_EQ(Read(3), "marks mono");
    EXPECT_EQ(Read(4), "<none>");
    EXPECT_EQ(Read(1), "<none>");
    printer->ReleasePrintGridFile();
    EXPECT_TRUE(rig.Log().Empty()) << "files are not the device's business";
}

TEST_F(PrintGridFiles, MissingOrEmptyFileGivesNone) {
    EXPECT_EQ(Read(2), "<none>");
    Put(L"Marks_Vexil_Mono.prn", "");
    EXPECT_EQ(Read(3), "<none>");
}

TEST_F(PrintGridFiles, PortThatRefusesThePrintDataGivesItsOwnReason) {
    Put(L"AlignGrid_Vexil_Mono.prn", "grid");
    rig.printer.SetVersion("VERSION 6.100");
    rig.printer.SetParameter(280, 2);
    int own = rig.usb.AddPort(&rig.printer);
    printer = rig.Connect<AutoPrinterProbe>();
    printer->Initialize();
    ASSERT_NE(printer->m_boundUsbPort, nullptr);
    printer->m_lastError = "AutoPrinter: Ribbon Out";  // left by an earlier command
    rig.usb.FailWrites(own);
    CPrint print(printer.get());
    EXPECT_FALSE(print.PrintFile(2));
    const std::string reason = NarrowString(printer->m_boundUsbPort->GetLastErrorText());
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(print.GetErrorText(), "Print failed - " + reason);
}

// --- print data ---

TEST(PrinterPrintData, ChannelTakesPiecesOf64) {
    SimAutoPrinterRig rig;
    auto printer = rig.Connect<AutoPrinterProbe>();
    std::string data(65, 'p');
    ASSERT_TRUE(printer->WritePrintData(reinterpret_cast<const uint8_t*>(data.data()), 65));
    EXPECT_EQ(PrinterTrace(rig.Log()),
              (std::vector<std::string>{"SetWriteTimeoutConstant=180000",
                                        "SetWriteTimeoutPerByte=100", "write " + data.substr(0, 64),
                                        "write p"}));
    EXPECT_EQ(rig.printer.PrintData(), data);

    rig.Log().Clear();
    EXPECT_TRUE(printer->WritePrintData(nullptr, 0));
    EXPECT_EQ(rig.Log().Settings("SetWriteTimeoutConstant").size(), 1u) << "set all the same";

    rig.channel->Fail(SimChannel::Op::Write, "", ChannelError::ComWriteError);
    EXPECT_FALSE(printer->WritePrintData(reinterpret_cast<const uint8_t*>("x"), 1));
    EXPECT_EQ(printer->m_lastError, "Error writing to COM port - 5l");
}

TEST(PrinterPrintData, BoundPortTakesPiecesOf1024) {
    SimAutoPrinterRig rig;
    rig.printer.SetVersion("VERSION 6.100");
    rig.printer.SetParameter(280, 2);
    int own = rig.usb.AddPort(&rig.printer);
    auto printer = rig.Connect<AutoPrinterProbe>();
    printer->Initialize();
    ASSERT_NE(printer->m_boundUsbPort, nullptr);
    rig.Log().Clear();
    std::string data(1025, 'q');
    ASSERT_TRUE(printer->WritePrintData(reinterpret_cast<const uint8_t*>(data.data()), 1025));
    const auto& writes = rig.usb.Writes(own);
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[writes.size() - 2].size(), 1024u);
    EXPECT_EQ(writes.back().size(), 1u);
    EXPECT_EQ(rig.printer.UsbData(), data);
    EXPECT_TRUE(rig.Log().Empty()) << "nothing on the channel";
}

}  // namespace
