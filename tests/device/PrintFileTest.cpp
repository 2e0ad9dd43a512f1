// Printing on the autoloader's printer: the print file chosen by printer family and colour
// mode from a folder of the test's own, sent whole over the channel or a USB printer port,
// and CPrint's run through the device with its outcomes.

#include "SimAutoloaderRig.h"
#include "VardenStateProbe.h"
#include "device/CPrint.h"
#include "device/SenseTexts.h"
#include "framework/AppBase.h"
#include "links/UsbPrinterPort.h"
#include "links/UsbPrinterSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Rig = SimAutoloaderRig;
using Probe = VardenStateProbe;
using Strings = std::vector<std::string>;

// A folder of print files that stands for the program's directory while it lives.
class PrintFolder {
public:
    PrintFolder() : m_previous(AppBase::Current().GetExeDir()) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"tavrix-print-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++s_count) + L"\\";
        CreateDirectoryW(m_dir.c_str(), nullptr);
        AppBase::Current().SetExeDir(m_dir);
    }
    ~PrintFolder() {
        for (const std::wstring& name : m_files) DeleteFileW((m_dir + name).c_str());
        RemoveDirectoryW(m_dir.c_str());
        AppBase::Current().SetExeDir(m_previous);
    }
    std::wstring Path(const std::string& name) const {
        return m_dir + std::wstring(name.begin(), name.end());
    }
    void Write(const std::string& name, const std::string& bytes) {
        HANDLE file = CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        m_files.push_back(std::wstring(name.begin(), name.end()));
    }

private:
    static int s_count;
    std::wstring m_previous;
    std::wstring m_dir;
    std::vector<std::wstring> m_files;
};
int PrintFolder::s_count = 0;

// Print data: no escape frames in it, so that the simulated device takes it as data.
std::string PrintData(size_t size) {
    std::string data(size, 'P');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>('A' + i % 26);
    return data;
}

std::string Read(Transporter& device, int pattern) {
    const uint8_t* data = nullptr;
    uint32_t size = device.GetPrintGridFile(pattern, &data);
    if (size == 0) return data ? "(size 0, data)" : "";
    return std::string(reinterpret_cast<const char*>(data), size);
}

TEST(PrintFile, NameByFamilyAndColourMode) {
    const Strings names = {
        "AlignDisc_Vexil_CMY.prn", "AlignDisc_Vexil_Mono.prn", "Marks_Vexil_CMY.prn",
        "Marks_Vexil_Mono.prn",    "AlignDisc_T750_CMY.prn",   "Marks_T750_CMY.prn",
        "AlignDisc_T3_CMY.prn",    "AlignDisc_T3_Mono.prn",    "Marks_T3_CMY.prn",
        "Marks_T3_Mono.prn",       "AlignDisc_T2_CMY.prn",     "AlignDisc_T2_Mono.prn",
        "Marks_T2_CMY.prn",        "Marks_T2_Mono.prn",        "AlignDisc_T1_CMY.prn",
        "AlignDisc_T1_Mono.prn",   "Marks_T1_CMY.prn",         "Marks_T1_Mono.prn",
    };
    PrintFolder folder;
    for (const std::string& name : names) folder.Write(name, name);  // each holds its name

    struct {
        const char* printer;
        const char* version;
        bool colour;       // m_colorPrinter (not a Tolvane printer)
        unsigned value270; // parameter 270's value (a Tolvane printer)
        int pattern;
        const char* file;  // "" = none
    } cases[] = {
        {"VEXIL", "VERSION 6.100", true, 0, 2, "AlignDisc_Vexil_CMY.prn"},
        {"VEXIL", "VERSION 6.100", false, 0, 2, "AlignDisc_Vexil_Mono.prn"},
        {"VEXIL", "VERSION 6.100", true, 0, 3, "Marks_Vexil_CMY.prn"},
        {"VEXIL", "VERSION 6.100", false, 0, 3, "Marks_Vexil_Mono.prn"},
        {"VEXIL", "VERSION 6.100", false, 0, 4, ""},
        {"TOLVANE", "XJQN23", false, 1001, 2, "AlignDisc_T750_CMY.prn"},
        {"TOLVANE", "XJQN23", false, 2, 3, "Marks_T750_CMY.prn"},  // mono gets colour
        {"TOLVANE", "XJQN22", false, 6, 2, "AlignDisc_T3_CMY.prn"},
        {"TOLVANE", "XJQN22", false, 12, 3, "Marks_T3_Mono.prn"},
        {"TOLVANE", "XJQN21", false, 10, 3, "Marks_T2_CMY.prn"},
        {"TOLVANE", "XJQN21", false, 2, 2, "AlignDisc_T2_Mono.prn"},
        {"TOLVANE", "XJQN99", true, 32, 3, "Marks_T1_Mono.prn"},  // the flag is not asked
        {"TOLVANE", "XJQN99", false, 1, 2, "AlignDisc_T1_CMY.prn"},
        {"TOLVANE", "XJQN22", false, 7, 3, ""},
        {"TOLVANE", "XJQN22", false, 3, 2, ""},
        {"TOLVANE", "XJQN22", false, 1, 4, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + std::to_string(c.value270) + " " +
                     std::to_string(c.pattern));
        Rig rig;
        rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.214A");
        rig.device.SetPrinter(c.printer, c.version);
        rig.device.SetParameter(270, 1, c.value270);
        auto loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        loader->m_colorPrinter = c.colour;
        EXPECT_EQ(Read(*loader, c.pattern), c.file);
        const bool tolvane = std::string(c.printer) == "TOLVANE";
        EXPECT_EQ(rig.Log().Commands(), tolvane ? Strings{"\x1b!f0270C"} : Strings{})
            << "only a Tolvane printer's colour mode is read, and nothing else is sent";
    }
}

TEST(PrintFile, UnreadableColourModeMissingOrEmptyFileIsNone) {
    PrintFolder folder;
    folder.Write("Marks_T3_CMY.prn", PrintData(100));
    folder.Write("Marks_Vexil_Mono.prn", "");
    {
        Rig rig;
        rig.device.SetPrinter("TOLVANE", "XJQN22");
        auto loader = rig.Connect<Probe>();
        rig.device.Refuse("\x1b!f0270C");
        EXPECT_EQ(Read(*loader, 3), "");
    }
    Rig rig;
    rig.device.SetPrinter("VEXIL", "VERSION 6.100");
    auto loader = rig.Connect<Probe>();
    EXPECT_EQ(Read(*loader, 2), "") << "no file";
    EXPECT_EQ(Read(*loader, 3), "") << "empty file";

    folder.Write("AlignDisc_Vexil_Mono.prn", PrintData(5000));
    EXPECT_TRUE(Read(*loader, 2) == PrintData(5000));
    EXPECT_EQ(Read(*loader, 3), "") << "a failed read frees the earlier file";
    EXPECT_TRUE(loader->m_printGridBuffer.empty());
}

// CPrint over the simulated autoloader with a VEXIL printer, printing the marks.
class PrintRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("Marks_Vexil_Mono.prn", file);
        rig.device.SetLoader("CD-R TRANSPORTER", "VERSION 3.214A");
        rig.device.SetPrinter("VEXIL", "VERSION 6.100");
        loader = rig.Connect<Probe>();
        ASSERT_TRUE(loader);
        loader->m_lastError = "earlier";
    }
    bool Print() { return CPrint(loader.get()).PrintFile(CPrint::kCalibrationMarks); }
    std::string PrintError() {
        CPrint print(loader.get());
        EXPECT_FALSE(print.PrintFile(CPrint::kCalibrationMarks));
        return print.GetErrorText();
    }
    std::vector<size_t> Writes() {
        std::vector<size_t> sizes;
        for (const SimLog::Entry& e : rig.Log().Entries())
            if (e.kind == SimLog::Kind::Write) sizes.push_back(e.bytes.size());
        return sizes;
    }
    // The commands sent, but the print job's start (the load state's flag cleared).
    Strings Commands() {
        Strings commands;
        for (const std::string& c : rig.Log().Commands())
            if (c.compare(0, 7, "\x1b!f2260") != 0) commands.push_back(c);
        return commands;
    }
    std::string PrinterText(unsigned code) {
        return SenseTexts::Describe(
            SenseTexts::PrinterText(code, SenseTexts::kAutoloaderPrinterCodes), code);
    }

    const std::string file = PrintData(200);
    PrintFolder folder;
    Rig rig;
    std::unique_ptr<Probe> loader;
};

TEST_F(PrintRun, DataGoesWholeInPiecesOf64ThenTheTrayIsPresented) {
    rig.device.PrintJob().Arm({2, 2, 0});
    ASSERT_TRUE(Print());
    EXPECT_EQ(rig.device.PrintJob().Data(), file);
    EXPECT_EQ(Writes(), (std::vector<size_t>{64, 64, 64, 8, 5}));
    EXPECT_EQ(rig.Log().Entries().back().bytes, "\x1b!d0C");
    EXPECT_EQ(rig.Log().Settings("SetWriteTimeoutConstant")[0].value, 10000);
    EXPECT_EQ(rig.Log().Settings("SetWriteTimeoutPerByte")[0].value, 100);
    ASSERT_EQ(rig.Log().Count("\x1b!e1C"), 3);
    EXPECT_EQ(rig.Log().Exchanges("\x1b!e1C")[0].timeoutSeconds, 60);
    EXPECT_EQ(rig.Log().Sleeps(), (std::vector<long>{100, 100}));
    EXPECT_TRUE(loader->m_printGridBuffer.empty()) << "released";
}

TEST_F(PrintRun, PrinterNeverSeenBusyGetsThreeSeconds) {
    rig.device.PrintJob().Arm({0});
    ASSERT_TRUE(Print());
    EXPECT_EQ(rig.Log().Sleeps(), std::vector<long>{3000});
}

TEST_F(PrintRun, PrinterFaultNamesItsSenseAndPresentsNoTray) {
    rig.device.PrintJob().Arm({2, 5});
    EXPECT_EQ(PrintError(), "Print failed - " + PrinterText(5));
    EXPECT_EQ(Writes().back(), 8u) << "no tray command";
    EXPECT_TRUE(loader->m_printGridBuffer.empty()) << "released all the same";
}

TEST_F(PrintRun, BusyForSixHundredPollsTimesOut) {
    rig.device.PrintJob().Arm({2});
    EXPECT_EQ(PrintError(), "Timed out waiting for print completion");
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 600);
    EXPECT_EQ(rig.Log().Sleeps(), std::vector<long>(600, 100));
}

TEST_F(PrintRun, SilentPrinterIsToldInATextOfItsOwn) {
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", ChannelError::CtsOff, -1);
    EXPECT_EQ(PrintError(), "Print failed - no answer from the printer");
}

TEST_F(PrintRun, UnsentDataStopsAfterOneSenseRequest) {
    rig.channel.Fail(SimChannel::Op::Write, "", ChannelError::ComWriteError);
    EXPECT_EQ(PrintError(), SimChannel::ErrorText(ChannelError::ComWriteError));
    EXPECT_EQ(Commands(), Strings{"\x1b!e1C"});
    EXPECT_EQ(rig.Log().Exchanges("\x1b!e1C")[0].timeoutSeconds, 3);
    EXPECT_FALSE(loader->m_printGridBuffer.empty()) << "kept until released";
}

TEST_F(PrintRun, TrayNotPresentedFails) {
    rig.device.PrintJob().Arm({0});
    rig.channel.Fail(SimChannel::Op::Write, "\x1b!d0C", ChannelError::ComWriteError);
    EXPECT_EQ(PrintError(), SimChannel::ErrorText(ChannelError::ComWriteError));
}

TEST_F(PrintRun, NoFileSendsNothing) {
    CPrint print(loader.get());
    EXPECT_FALSE(print.PrintFile(CPrint::kAlignmentGrid));
    EXPECT_STREQ(print.GetErrorText(), "Print file not found");
    EXPECT_TRUE(rig.Log().Empty());
}

// USB printer ports that lead nowhere but to the test: writes are kept (and handed to
// the simulated printer), opens and writes fail on demand.
class FakeUsbPrinters : public UsbPrinterSystem {
public:
    explicit FakeUsbPrinters(std::function<void(const std::string&)> onData)
        : m_onData(onData) {
        UsbPrinterSystem::Install(this);
    }
    ~FakeUsbPrinters() override { UsbPrinterSystem::Install(nullptr); }

    bool openFails = false;
    bool writeFails = false;
    std::vector<size_t> writes;
    int closes = 0;

    HKEY RegistryRoot() override { return nullptr; }
    HANDLE Open(const std::wstring&) override {
        if (!openFails) return reinterpret_cast<HANDLE>(0x4711);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    BOOL Close(HANDLE) override {
        ++closes;
        return TRUE;
    }
    BOOL Write(HANDLE, const void* data, DWORD length, OVERLAPPED*) override {
        if (writeFails) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return FALSE;
        }
        writes.push_back(length);
        m_onData(std::string(static_cast<const char*>(data), length));
        m_last = length;
        return TRUE;
    }
    BOOL GetResult(HANDLE, OVERLAPPED*, DWORD* transferred, BOOL) override {
        *transferred = m_last;
        return TRUE;
    }

private:
    std::function<void(const std::string&)> m_onData;
    DWORD m_last = 0;
};

class UsbPrintRun : public PrintRun {
protected:
    void SetUp() override {
        PrintRun::SetUp();
        folder.Write("Marks_Vexil_Mono.prn", bigFile);
        port.reset(new UsbPrinterPort(L"\\\\?\\usb#vid_0f25&pid_0036#test", 0));
        port->Close();
        loader->m_boundUsbPort = port.get();
    }
    const std::string bigFile = PrintData(70000);
    FakeUsbPrinters usb{[this](const std::string& data) {
        rig.device.PrintJob().Receive(rig.device, data);
    }};
    std::unique_ptr<UsbPrinterPort> port;
};

TEST_F(UsbPrintRun, DataGoesToThePortInPiecesOf64KiB) {
    rig.device.PrintJob().Arm({2, 0});
    ASSERT_TRUE(Print());
    EXPECT_EQ(usb.writes, (std::vector<size_t>{65536, 4464}));
    EXPECT_EQ(rig.device.PrintJob().Data(), bigFile);
    EXPECT_EQ(Writes(), std::vector<size_t>{5}) << "only the tray goes over the channel";
    EXPECT_FALSE(port->IsOpen()) << "the completion wait closes the port";
}

TEST_F(UsbPrintRun, PortThatCannotOpenOrWriteLeavesItsOwnText) {
    for (bool openFails : {true, false}) {
        SCOPED_TRACE(openFails ? "open" : "write");
        usb.openFails = openFails;
        usb.writeFails = !openFails;
        rig.Log().Clear();
        loader->m_lastError = "earlier";
        const std::string error = PrintError();
        EXPECT_EQ(error.compare(0, 15, "Print failed - "), 0) << error;
        EXPECT_GT(error.size(), 15u);
        EXPECT_TRUE(Writes().empty());
        EXPECT_EQ(Commands(), Strings{"\x1b!e1C"});
    }
}

TEST_F(UsbPrintRun, VersionSixLoaderWithoutAPortSendsNothing) {
    loader->m_boundUsbPort = nullptr;
    loader->m_isAutoPrinterV6 = true;
    EXPECT_EQ(PrintError(), "Print failed - no USB printer port for the printer");
    EXPECT_TRUE(Writes().empty());
}

}  // namespace
