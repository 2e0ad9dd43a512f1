// The program against the simulated autoloader with its printer (a VARDEN 7340 loader, a
// CD-R AutoPrinter printer; tests/e2e/simdevice/AutoloaderHost.cpp holds what it keeps):
// the window fills from the device, Apply Settings changes what the device stores, the
// close remembers the port and rate that worked, and a close while the blank-name question
// is up waits for the answer.

#include "AppProfile.h"
#include "SimDeviceFiles.h"
#include "TavrixUnderTest.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using T = TavrixUnderTest;

const DWORD kConnectMs = 90000;

class Autoloader : public ::testing::Test {
protected:
    void SetUp() override {
        port = TestEnvironment::ComPort();
        ASSERT_GT(port, 0) << "run through tests/e2e/e2e-run with a simulated device";
    }
    // Starts the program with the device's port and rate remembered, so that it connects
    // at once, and waits for its window.
    UiWindow StartOnTheDevicesPort() {
        AppProfile::Write(L"Last Good", L"First Port", port);
        AppProfile::Write(L"Last Good", L"Baud Rate", 115200);
        return StartAndConnect();
    }
    // Starts the program and waits for its window (shown once it has connected and filled).
    UiWindow StartAndConnect() {
        EXPECT_TRUE(app.Start()) << "CreateProcess failed: " << app.Process().StartError();
        UiWindow main = app.MainWindow(kConnectMs);
        EXPECT_TRUE(main.Exists()) << app.Describe();
        return main;
    }

    int port = 0;
    TavrixUnderTest app;
};

TEST_F(Autoloader, WindowFillsFromTheDeviceAndCloseRemembersPortAndRate) {
    // Nothing remembered: the scan runs from HID up to the device's port and finds the
    // device at its rate after the two others.
    AppProfile::Clear();
    ASSERT_EQ(-99, AppProfile::Read(L"Last Good", L"Baud Rate", -99));
    UiWindow main = StartAndConnect();
    ASSERT_TRUE(main.Exists());

    EXPECT_EQ(L"VARDEN 7340     VERSION 3.214A  ", main.Text(T::kInquiry));
    EXPECT_EQ(L"", main.Text(T::kStatus));
    EXPECT_EQ(L"AL734001", main.Text(T::kLoaderSn));
    EXPECT_EQ(L"PR621302", main.Text(T::kPrinterSn));
    EXPECT_EQ(L"Corlane Lab 7340", main.Text(T::kOverrideName));
    EXPECT_TRUE(main.Checked(T::kOverrideFlag));
    EXPECT_EQ(L"3", main.Text(T::kBeeps));
    EXPECT_EQ(L"12345", main.Text(T::kPrintCount));
    EXPECT_EQ(L"678", main.Text(T::kRibbonCount));
    EXPECT_EQ(L"4321", main.Text(T::kImageCount));
    EXPECT_EQ(L"98765", main.Text(T::kDiscsPicked));
    EXPECT_EQ(L"ITS Count", main.Text(T::kImageCountCaption));
    EXPECT_EQ(L"&Calibrate Rotator", main.Text(T::kCalibrate));

    // What the device allows: settings and firmware, serial numbers only in manufacturing
    // mode, no calibration on this loader.
    for (int id : {T::kUpdateFirmware, T::kUpdateSn, T::kOverrideName, T::kOverrideFlag,
                   T::kBeeps, T::kApplySettings})
        EXPECT_TRUE(main.Enabled(id)) << "control " << id << " disabled";
    for (int id : {T::kLoaderSn, T::kPrinterSn, T::kCalibrate})
        EXPECT_FALSE(main.Enabled(id)) << "control " << id << " enabled";

    // The first attempts ran at 9600 and 38400 baud, which the device does not hear.
    std::vector<int> rates;
    for (const SimDeviceFiles::LogLine& line : SimDeviceFiles::Log()) {
        if (line.kind == "rx") break;
        if (line.kind == "garbled" && (rates.empty() || rates.back() != line.baud))
            rates.push_back(line.baud);
    }
    EXPECT_EQ((std::vector<int>{9600, 38400}), rates);

    ASSERT_TRUE(app.CloseAndWait(10000)) << app.Describe();
    EXPECT_EQ(port, AppProfile::Read(L"Last Good", L"First Port", -99));
    EXPECT_EQ(115200, AppProfile::Read(L"Last Good", L"Baud Rate", -99));
}

TEST_F(Autoloader, ApplySettingsStoresTheNameInTheDevice) {
    UiWindow main = StartOnTheDevicesPort();
    ASSERT_TRUE(main.Exists());
    ASSERT_TRUE(main.Enabled(T::kApplySettings)) << app.Describe();

    ASSERT_TRUE(main.SetText(T::kOverrideName, L"Night Shift 42"));
    ASSERT_TRUE(main.SetText(T::kBeeps, L"5"));
    int stores = SimDeviceFiles::Received("<ESC>!g1C");
    main.Press(T::kApplySettings);
    ASSERT_TRUE(T::WaitText(main, T::kStatus, L"Parameter update succeeded", 60000))
        << app.Describe();

    EXPECT_EQ("Night Sh", SimDeviceFiles::State("text.100"));
    EXPECT_EQ("ift 42  ", SimDeviceFiles::State("text.101"));
    // First flag 0, the name shown (twice), 5 beeps, the fifth flag as it was, "000".
    EXPECT_EQ("01151000", SimDeviceFiles::State("text.099"));
    EXPECT_EQ(stores + 1, SimDeviceFiles::Received("<ESC>!g1C"));
    // The store ran at 38400 baud and the line is back at 115200.
    EXPECT_EQ("115200", SimDeviceFiles::State("baud"));

    // Read back from the device: the name as it holds it, blank-padded to 16.
    EXPECT_EQ(L"Night Shift 42  ", main.Text(T::kOverrideName));
    EXPECT_EQ(L"5", main.Text(T::kBeeps));
    EXPECT_TRUE(main.Checked(T::kOverrideFlag));
    EXPECT_TRUE(app.CloseAndWait(10000)) << app.Describe();
    // The button read the window, whose port list has no item for this port: the port stays.
    EXPECT_EQ(port, AppProfile::Read(L"Last Good", L"First Port", -99));
}

TEST_F(Autoloader, CloseWhileTheBlankNameQuestionIsUpWaitsForTheAnswer) {
    UiWindow main = StartOnTheDevicesPort();
    ASSERT_TRUE(main.Exists());
    ASSERT_TRUE(main.Checked(T::kOverrideFlag)) << app.Describe();

    ASSERT_TRUE(main.SetText(T::kOverrideName, L"   "));
    int stores = SimDeviceFiles::Received("<ESC>!g1C");
    main.Press(T::kApplySettings);
    UiWindow box = app.MessageBox(20000);
    ASSERT_TRUE(box.Exists()) << app.Describe();
    EXPECT_EQ(L"The Override Name flag is cleared when the name is blank. Proceed anyway?",
              box.MessageText());
    // The close reaches the window through the box's own loop.
    main.Close();
    Sleep(1000);
    ASSERT_TRUE(T::Answer(box, IDYES)) << app.Describe();

    // The answer is carried out on the device, then the program ends on its own.
    ASSERT_TRUE(app.Process().WaitExit(90000)) << app.Describe();
    EXPECT_EQ(0u, app.Process().ExitCode());
    EXPECT_EQ(stores + 1, SimDeviceFiles::Received("<ESC>!g1C"));
    EXPECT_EQ("00", SimDeviceFiles::State("text.099").substr(1, 2));
    EXPECT_EQ(port, AppProfile::Read(L"Last Good", L"First Port", -99));
}

}  // namespace
