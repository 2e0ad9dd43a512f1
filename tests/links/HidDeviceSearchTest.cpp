// The HID device search over scripted interfaces: matching, order, serial numbers, the
// interfaces left out, and the handles it opens.

#include "HidFakeSystem.h"
#include "links/HidDeviceSearch.h"

#include <gtest/gtest.h>

namespace {

class HidDeviceSearchTest : public ::testing::Test {
protected:
    HidFakeSystem fake;

    void TearDown() override {
        for (const std::string& fault : fake.faults) ADD_FAILURE() << fault;
        EXPECT_EQ(0, fake.OpenHandles());
    }

    static std::vector<std::string> Paths(const std::vector<HidDeviceInfo>& list) {
        std::vector<std::string> paths;
        for (const auto& info : list) paths.push_back(info.devicePath);
        return paths;
    }
};

TEST_F(HidDeviceSearchTest, ListsMatchingDevicesInSystemOrder) {
    fake.Add("a").serial = L"abc";
    fake.Add("other").productId = 0x0011;
    FakeHidDevice& b = fake.Add("b");
    b.serial = L"ABC";
    b.manufacturer = L"M2";
    b.product = L"P2";

    auto list = EnumerateHidDevices(kHidVendorId, 0x000D);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Paths(list));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(0x0CC3, list[1].vendorId);
    EXPECT_EQ(0x000D, list[1].productId);
    EXPECT_EQ(L"ABC", list[1].serialNumber);
    EXPECT_EQ(L"M2", list[1].manufacturer);
    EXPECT_EQ(L"P2", list[1].product);

    EXPECT_EQ((std::vector<std::string>{"a", "other", "b"}), Paths(EnumerateHidDevices(0, 0)));
}

TEST_F(HidDeviceSearchTest, OpensTheFirstOrTheExactSerialNumber) {
    fake.Add("a").serial = L"abc";
    fake.Add("b").serial = L"ABC";

    auto any = OpenHidDevice(kHidVendorId, 0x000D, L"");
    ASSERT_TRUE(any);
    EXPECT_EQ(64, any->GetInputReportSize());
    EXPECT_EQ(15000, any->GetReadTimeout());
    any->Close();
    const int opensBefore = fake.opens;
    auto exact = OpenHidDevice(kHidVendorId, 0x000D, L"ABC");
    ASSERT_TRUE(exact);
    exact->Close();
    // The walk opened both, then "b" was opened for use (the 3rd open).
    EXPECT_EQ(opensBefore + 3, fake.opens);
    EXPECT_FALSE(OpenHidDevice(kHidVendorId, 0x000D, L"Abc"));
    EXPECT_FALSE(OpenHidDevice(kHidVendorId, 0x0011, L""));
}

TEST_F(HidDeviceSearchTest, UnreadableInterfacesHideOnlyThemselves) {
    fake.Add("no-open").openFails = true;
    fake.Add("no-attributes").attributesFail = true;
    fake.Add("no-serial").serial.clear();
    fake.Add("no-maker").manufacturer.clear();
    fake.Add("no-product").product.clear();
    fake.Add("good");
    EXPECT_EQ((std::vector<std::string>{"good"}), Paths(EnumerateHidDevices(kHidVendorId, 0x000D)));
}

TEST_F(HidDeviceSearchTest, NothingWithoutTheLibraryOrDevices) {
    EXPECT_TRUE(EnumerateHidDevices(kHidVendorId, 0x000D).empty());
    EXPECT_FALSE(OpenHidDevice(kHidVendorId, 0x000D, L""));
    fake.Add("a");
    fake.libraryLoads = false;
    EXPECT_TRUE(EnumerateHidDevices(0, 0).empty());
    EXPECT_FALSE(OpenHidDeviceByPath("a"));
    EXPECT_EQ(0, fake.opens);
}

TEST_F(HidDeviceSearchTest, DeviceWithoutReportSizeOpensWithItsError) {
    fake.Add("a").inputReportSize = 0;
    auto device = OpenHidDeviceByPath("a");
    ASSERT_TRUE(device);
    EXPECT_EQ(0, device->GetInputReportSize());
    EXPECT_EQ(0u, std::wstring(device->GetErrorText()).find(L"GetInputReportSize: "));
    device->Close();
    EXPECT_FALSE(OpenHidDeviceByPath("missing"));
}

TEST_F(HidDeviceSearchTest, ReadTakesAtMostOneReportAndNeedsABuffer) {
    FakeHidDevice& a = fake.Add("a");
    a.inputReportSize = 8;
    auto device = OpenHidDeviceByPath("a");
    ASSERT_TRUE(device);
    a.inbox = {FakeInput::Raw({1, 6, 'a', 'b'})};
    unsigned char buffer[32] = {};
    EXPECT_EQ(HidDevice::Ok, device->Read(buffer, sizeof(buffer)));
    EXPECT_EQ(8u, a.readLengths.back());
    EXPECT_EQ('a', buffer[2]);
    EXPECT_EQ(HidDevice::Failed, device->Read(nullptr, 8));
    device->SetReadTimeout(250);
    EXPECT_EQ(HidDevice::TimedOut, device->Read(buffer, 8));
    EXPECT_EQ(250u, fake.waits.back());
    a.inbox = {FakeInput::Failure()};
    EXPECT_EQ(HidDevice::Failed, device->Read(buffer, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), device->GetLastError());
    device->Close();
}

}  // namespace
