// A firmware update on the simulated autoloader (a VARDEN 7340, which switches to its boot
// loader for the download): a crafted image reaches the device byte for byte through the
// program's file dialog, the device buttons clicked meanwhile change nothing, and the
// program finds the device again afterwards.

#include "AppProfile.h"
#include "FirmwareImage.h"
#include "SimDeviceFiles.h"
#include "TavrixUnderTest.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using T = TavrixUnderTest;

TEST(Firmware, CraftedImageReachesTheDeviceAndTheProgramReconnects) {
    int port = TestEnvironment::ComPort();
    ASSERT_GT(port, 0) << "run through tests/e2e/e2e-run with a simulated device";
    const std::string image = FirmwareImage::Craft(6000);
    const std::wstring path = TestEnvironment::WorkFolder() + L"\\corlane-3215.bin";
    ASSERT_TRUE(FirmwareImage::Save(path, image));

    AppProfile::Write(L"Last Good", L"First Port", port);
    AppProfile::Write(L"Last Good", L"Baud Rate", 115200);
    TavrixUnderTest app;
    ASSERT_TRUE(app.Start());
    UiWindow main = app.MainWindow(60000);
    ASSERT_TRUE(main.Exists()) << app.Describe();
    ASSERT_TRUE(main.Enabled(T::kUpdateFirmware)) << app.Describe();

    main.Press(T::kUpdateFirmware);
    ASSERT_TRUE(app.ChooseFile(L"Select file to load flash from", path, 20000)) << app.Describe();
    // While the update runs (its message pump dispatches them) another port is chosen
    // without telling the window, and every device button is clicked: the program reads
    // none of it and sends nothing for it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main.Control(T::kPort), CB_SETCURSEL, port == 1 ? 2 : 1, 0,
                        SMTO_ABORTIFHUNG, UiWindow::kReplyMs, &ignored);
    main.SetChecked(T::kNoCompatCheck, true);
    for (int id : {T::kApplySettings, T::kUpdateSn, T::kUpdateFirmware, T::kPrintGrid,
                   T::kCalibrate})
        main.Press(id);
    // The boot switch, the download and the restarts take about 40 s on the line.
    ASSERT_TRUE(T::WaitText(main, T::kStatus, L"Flash update succeeded", 150000))
        << app.Describe();
    Sleep(10000);
    EXPECT_EQ(L"Flash update succeeded", main.Text(T::kStatus));
    EXPECT_EQ(0, SimDeviceFiles::Received("<ESC>!g1C"));
    EXPECT_EQ(0, SimDeviceFiles::Received("<ESC>!f9"));
    EXPECT_FALSE(app.MessageBox(0).Exists()) << app.Describe();

    std::string received = SimDeviceFiles::Image();
    EXPECT_EQ(image.size(), received.size());
    EXPECT_TRUE(received == image) << "the image that reached the device differs";
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!b38400C"));
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!g5C"));
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!g06000C"));

    EXPECT_EQ("1", SimDeviceFiles::State("flash.completed"));
    EXPECT_EQ("6000", SimDeviceFiles::State("flash.bytes"));

    // Found again on the same port, at the rate of the download, and filled anew: the
    // device now runs the image's version.
    EXPECT_EQ(L"VARDEN 7340     VERSION 3.215A  ", main.Text(T::kInquiry));
    EXPECT_EQ(L"AL734001", main.Text(T::kLoaderSn));
    EXPECT_FALSE(main.Checked(T::kNoCompatCheck));
    EXPECT_EQ("38400", SimDeviceFiles::State("baud"));
    ASSERT_TRUE(app.CloseAndWait(10000)) << app.Describe();
    EXPECT_EQ(38400, AppProfile::Read(L"Last Good", L"Baud Rate", -99));
}

}  // namespace
