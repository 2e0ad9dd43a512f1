#pragma once
// Finding the HID interfaces of the attached transporters and opening one of them.

#include "links/HidDevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Every HID channel opens devices of this vendor.
constexpr uint16_t kHidVendorId = 0x0CC3;
// The transporters' product ids, in the order the port scan tries them.
constexpr uint16_t kHidProductIds[] = {0x000D, 0x0011};

struct HidDeviceInfo {
    std::string devicePath;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::wstring serialNumber;
    std::wstring manufacturer;
    std::wstring product;
};

// The present HID interfaces with these ids (both 0: every interface whose attributes can
// be read), in the system's order. An interface whose serial-number, manufacturer or
// product string reads empty is left out. Empty when the HID library can't be loaded.
std::vector<HidDeviceInfo> EnumerateHidDevices(uint16_t vendorId, uint16_t productId);

// The first listed device with these ids and, unless serialNumber is empty, exactly this
// serial number (case counts), opened; null when there is none or it can't be opened.
std::unique_ptr<HidDevice> OpenHidDevice(uint16_t vendorId, uint16_t productId,
                                         const std::wstring& serialNumber);

// The interface at devicePath opened for overlapped I/O, with its input report size (a
// device whose size can't be read is returned with size 0); null when it can't be opened.
std::unique_ptr<HidDevice> OpenHidDeviceByPath(const std::string& devicePath);
