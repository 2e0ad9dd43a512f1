// A firmware update on the simulated autoloader (a VARDEN 7340, which switches to its boot
// loader for the download): a crafted image reaches the device byte for byte through the
// program's file dialog, and the program finds the device again afterwards.

#include "AppProfile.h"
#include "SimDeviceFiles.h"
#include "TavrixUnderTest.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using T = TavrixUnderTest;

// An image for the VARDEN 7340: its identification at 256 (major digit '3' at 280, as the
// device's own version), every byte value in the rest. No minimum-version byte at 15423
// (the file is shorter), so the device's version bytes allow it.
std::string CraftImage(size_t size) {
    std::string image(size, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<char>(i < 512 ? i % 256 : (state >> 16) & 0xFF);
    }
    image.replace(256, 32, "VARDEN 7340     VERSION 3.215A  ");
    return image;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

TEST(Firmware, CraftedImageReachesTheDeviceAndTheProgramReconnects) {
    int port = TestEnvironment::ComPort();
    ASSERT_GT(port, 0) << "run through tests/e2e/e2e-run with a simulated device";
    const std::string image = CraftImage(6000);
    const std::wstring path = TestEnvironment::WorkFolder() + L"\\corlane-3215.bin";
    ASSERT_TRUE(WriteFileBytes(path, image));

    AppProfile::Write(L"Last Good", L"First Port", port);
    AppProfile::Write(L"Last Good", L"Baud Rate", 115200);
    TavrixUnderTest app;
    ASSERT_TRUE(app.Start());
    UiWindow main = app.MainWindow(60000);
    ASSERT_TRUE(main.Exists()) << app.Describe();
    ASSERT_TRUE(main.Enabled(T::kUpdateFirmware)) << app.Describe();

    main.Press(T::kUpdateFirmware);
    ASSERT_TRUE(app.ChooseFile(L"Select file to load flash from", path, 20000)) << app.Describe();
    // The boot switch, the download and the restarts take about 40 s on the line.
    ASSERT_TRUE(T::WaitText(main, T::kStatus, L"Flash update succeeded", 150000))
        << app.Describe();

    std::string received = SimDeviceFiles::Image();
    EXPECT_EQ(image.size(), received.size());
    EXPECT_TRUE(received == image) << "the image that reached the device differs";
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!b38400C"));
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!g5C"));
    EXPECT_EQ(1, SimDeviceFiles::Received("<ESC>!g06000C"));

    // Found again on the same port, at the rate of the download, and filled anew.
    EXPECT_EQ(L"VARDEN 7340", main.Text(T::kInquiry).substr(0, 11));
    EXPECT_EQ(L"AL734001", main.Text(T::kLoaderSn));
    EXPECT_FALSE(main.Checked(T::kNoCompatCheck));
    EXPECT_EQ("38400", SimDeviceFiles::State("baud"));
    ASSERT_TRUE(app.CloseAndWait(10000)) << app.Describe();
    EXPECT_EQ(38400, AppProfile::Read(L"Last Good", L"Baud Rate", -99));
}

}  // namespace
