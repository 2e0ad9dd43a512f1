// The program against the simulated stand-alone printer (a CD-R AutoPrinter at firmware
// 6.120; tests/e2e/simdevice/PrinterHost.cpp holds what it keeps): the window fills from
// the printer with the controls a printer on its own allows.

#include "AppProfile.h"
#include "SimDeviceFiles.h"
#include "TavrixUnderTest.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using T = TavrixUnderTest;

TEST(Printer, WindowFillsFromThePrinter) {
    int port = TestEnvironment::ComPort();
    ASSERT_GT(port, 0) << "run through tests/e2e/e2e-run with a simulated device";
    AppProfile::Clear();
    AppProfile::Write(L"Last Good", L"First Port", port);
    AppProfile::Write(L"Last Good", L"Baud Rate", 115200);
    TavrixUnderTest app;
    ASSERT_TRUE(app.Start());
    UiWindow main = app.MainWindow(90000);
    ASSERT_TRUE(main.Exists()) << app.Describe();

    EXPECT_EQ(L"CD-R AutoPrinterVERSION 6.120   ", main.Text(T::kInquiry));
    EXPECT_EQ(L"", main.Text(T::kStatus)) << app.Describe();
    EXPECT_EQ(L"", main.Text(T::kLoaderSn));
    EXPECT_EQ(L"AP612001", main.Text(T::kPrinterSn));
    // Printer firmware 6000 and above: the print count from key 5, the others from 2 and 3.
    EXPECT_EQ(L"2345", main.Text(T::kPrintCount));
    EXPECT_EQ(L"189", main.Text(T::kRibbonCount));
    EXPECT_EQ(L"2101", main.Text(T::kImageCount));
    EXPECT_EQ(L"Image Count", main.Text(T::kImageCountCaption));
    EXPECT_EQ(L"", main.Text(T::kDiscsPicked));

    // No display settings on a printer of its own.
    EXPECT_TRUE(main.Enabled(T::kUpdateFirmware));
    for (int id : {T::kOverrideName, T::kOverrideFlag, T::kBeeps, T::kApplySettings})
        EXPECT_FALSE(main.Enabled(id)) << "control " << id << " enabled\n" << app.Describe();
    ASSERT_TRUE(app.CloseAndWait(10000)) << app.Describe();
}

}  // namespace
