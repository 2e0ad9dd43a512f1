// The HID device search and the HID device against the virtual HID devices that Wine
// itself provides (vendor 845e, a mouse and a keyboard); skipped where they are absent.
// They take no output report and send input only on real input.

#include "links/DeviceInterfaceList.h"
#include "links/HidDeviceSearch.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kWineVendorId = 0x845E;

std::vector<HidDeviceInfo> WineDevices() {
    std::vector<HidDeviceInfo> wine;
    for (const HidDeviceInfo& info : EnumerateHidDevices(0, 0)) {
        if (info.vendorId == kWineVendorId) wine.push_back(info);
    }
    return wine;
}

TEST(HidWineDevices, AreListedWithTheirIdsAndStrings) {
    const auto wine = WineDevices();
    if (wine.empty()) GTEST_SKIP() << "no virtual HID devices";
    for (const HidDeviceInfo& info : wine) {
        EXPECT_FALSE(info.devicePath.empty());
        EXPECT_FALSE(info.serialNumber.empty());
        const auto same = EnumerateHidDevices(info.vendorId, info.productId);
        bool found = false;
        for (const auto& other : same) {
            EXPECT_EQ(info.productId, other.productId);
            found = found || other.devicePath == info.devicePath;
        }
        EXPECT_TRUE(found) << info.devicePath;
    }
    EXPECT_TRUE(EnumerateHidDevices(kHidVendorId, 0x000D).empty());
    EXPECT_FALSE(OpenHidDevice(kHidVendorId, 0x000D, L""));

    // The general interface walk sees the same paths.
    const GUID hidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
    DeviceInterfaceList list(hidClass);
    ASSERT_GE(list.Enumerate(), static_cast<int>(wine.size()));
    for (int i = 0; i < list.GetCount(); ++i) {
        EXPECT_FALSE(list.GetEntry(i).name.empty());
    }
}

TEST(HidWineDevices, OpenWithReportSizeRefuseWritesAndTimeOutReads) {
    const auto wine = WineDevices();
    if (wine.empty()) GTEST_SKIP() << "no virtual HID devices";
    auto device = OpenHidDevice(wine[0].vendorId, wine[0].productId, wine[0].serialNumber);
    ASSERT_TRUE(device);
    EXPECT_GT(device->GetInputReportSize(), 0);

    unsigned char report[65] = {};
    EXPECT_EQ(HidDevice::Failed, device->Write(report, sizeof(report)));
    EXPECT_NE(0u, device->GetLastError());
    EXPECT_EQ(0u, device->GetErrorText().find(L"WriteFile: "));

    device->SetReadTimeout(200);
    for (int i = 0; i < 2; ++i) {  // the cancelled read leaves the handle usable
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(HidDevice::TimedOut, device->Read(report, sizeof(report)));
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_GE(took, 150u);
        EXPECT_LT(took, 5000u);
    }
    device->Close();

    EXPECT_FALSE(OpenHidDeviceByPath("\\\\?\\hid#no_such_device"));
}

}  // namespace
