// The program's start with no device anywhere (no COM port in the prefix, no HID device of
// the maker): the scans report it, and a second copy of the program is turned away.

#include "AppProfile.h"
#include "TavrixUnderTest.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using T = TavrixUnderTest;

// Every port from HID to COM256, each missing one failing at once.
const DWORD kScanMs = 90000;

// Starts the program and waits for the start-up scan's report that nothing was found.
UiWindow StartWithoutDevice(TavrixUnderTest& app) {
    EXPECT_TRUE(app.Start()) << "CreateProcess failed: " << app.Process().StartError();
    UiWindow box = app.MessageBox(kScanMs);
    EXPECT_TRUE(box.Exists()) << app.Describe();
    return box;
}

TEST(Startup, ScansFindNoDeviceAndCloseRemembersTheScan) {
    AppProfile::Clear();
    TavrixUnderTest app;
    ULONGLONG start = GetTickCount64();
    UiWindow box = StartWithoutDevice(app);
    ASSERT_TRUE(box.Exists());
    std::printf("start-up scan with no device: %.1f s\n", (GetTickCount64() - start) / 1000.0);
    EXPECT_EQ(L"Unable to communicate with a transporter", box.MessageText());
    ASSERT_TRUE(T::Answer(box, IDOK));

    UiWindow main = app.MainWindow(10000);
    ASSERT_TRUE(main.Exists()) << app.Describe();
    for (int id : {T::kUpdateFirmware, T::kUpdateSn, T::kCalibrate, T::kPrintGrid, T::kLoaderSn,
                   T::kPrinterSn, T::kOverrideName, T::kOverrideFlag, T::kApplySettings, T::kBeeps,
                   T::kBeepsSpin})
        EXPECT_FALSE(main.Enabled(id)) << "control " << id << " enabled\n" << app.Describe();
    for (int id : {T::kExit, T::kAbout, T::kPort, T::kNoCompatCheck})
        EXPECT_TRUE(main.Enabled(id)) << "control " << id << " disabled";
    EXPECT_EQ(L"", main.Text(T::kInquiry));

    // "HID" in the port list searches every port again, from HID up to COM256.
    main.SelectCombo(T::kPort, 0);
    box = app.MessageBox(kScanMs);
    ASSERT_TRUE(box.Exists()) << app.Describe();
    EXPECT_EQ(L"Unable to find a transporter", box.MessageText());
    ASSERT_TRUE(T::Answer(box, IDOK));
    EXPECT_TRUE(main.Exists());

    // The failed full scan leaves port index 1; the rate is the default one the serial
    // attempts started from.
    ASSERT_TRUE(app.CloseAndWait(10000)) << app.Describe();
    EXPECT_EQ(1, AppProfile::Read(L"Last Good", L"First Port", -99));
    // A port that opened (COM1 mapped to the host's serial device, say) would leave
    // another rate here.
    EXPECT_EQ(9600, AppProfile::Read(L"Last Good", L"Baud Rate", -99));
}

TEST(Startup, SecondCopyIsTurnedAwayWhileTheFirstRuns) {
    AppProfile::Clear();
    TavrixUnderTest first;
    UiWindow firstBox = StartWithoutDevice(first);
    ASSERT_TRUE(firstBox.Exists());

    TavrixUnderTest second;
    ASSERT_TRUE(second.Start());
    UiWindow refusal = second.MessageBox(30000);
    ASSERT_TRUE(refusal.Exists()) << second.Describe();
    EXPECT_EQ(L"Tavrix.exe is already running", refusal.MessageText());
    ASSERT_TRUE(T::Answer(refusal, IDOK));
    EXPECT_TRUE(second.Process().WaitExit(10000)) << second.Describe();
    EXPECT_TRUE(first.Process().Running());
    EXPECT_TRUE(firstBox.Exists());

    // Once the first has ended, the program starts again.
    ASSERT_TRUE(T::Answer(firstBox, IDOK));
    ASSERT_TRUE(first.CloseAndWait(10000)) << first.Describe();
    TavrixUnderTest third;
    UiWindow box = StartWithoutDevice(third);
    ASSERT_TRUE(box.Exists());
    EXPECT_EQ(L"Unable to communicate with a transporter", box.MessageText());
    ASSERT_TRUE(T::Answer(box, IDOK));
    EXPECT_TRUE(third.CloseAndWait(10000)) << third.Describe();
}

}  // namespace
