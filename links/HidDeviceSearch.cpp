#include "links/HidDeviceSearch.h"

#include "links/HidSystem.h"
#include "links/ScopedHandle.h"

#include <mutex>

// Serialises the walks over the HID interfaces.
std::mutex g_hidEnumMutex;

namespace {
BOOL WINAPI CloseHidHandle(HANDLE handle) { return HidSystem::Current().Close(handle); }
}  // namespace

std::vector<HidDeviceInfo> EnumerateHidDevices(uint16_t vendorId, uint16_t productId) {
    std::vector<HidDeviceInfo> devices;
    HidSystem& system = HidSystem::Current();
    if (!system.LoadHidLibrary()) return devices;
    std::lock_guard<std::mutex> lock(g_hidEnumMutex);
    const bool anyIds = vendorId == 0 && productId == 0;
    for (const std::string& path : system.ListInterfacePaths()) {
        ScopedHandle handle(system.Open(path), INVALID_HANDLE_VALUE, CloseHidHandle);
        if (!handle.IsValid()) continue;
        HIDD_ATTRIBUTES attributes = {};
        if (!system.GetAttributes(handle.Get(), &attributes)) continue;
        if (!anyIds && (attributes.VendorID != vendorId || attributes.ProductID != productId)) {
            continue;
        }
        HidDeviceInfo info;
        info.serialNumber = system.GetSerialNumberString(handle.Get());
        if (info.serialNumber.empty()) continue;
        info.manufacturer = system.GetManufacturerString(handle.Get());
        if (info.manufacturer.empty()) continue;
        info.product = system.GetProductString(handle.Get());
        if (info.product.empty()) continue;
        info.devicePath = path;
        info.vendorId = attributes.VendorID;
        info.productId = attributes.ProductID;
        devices.push_back(info);
    }
    return devices;
}

std::unique_ptr<HidDevice> OpenHidDevice(uint16_t vendorId, uint16_t productId,
                                         const std::wstring& serialNumber) {
    for (const HidDeviceInfo& info : EnumerateHidDevices(vendorId, productId)) {
        if (info.vendorId != vendorId || info.productId != productId) continue;
        if (!serialNumber.empty() && info.serialNumber != serialNumber) continue;
        return OpenHidDeviceByPath(info.devicePath);
    }
    return nullptr;
}

std::unique_ptr<HidDevice> OpenHidDeviceByPath(const std::string& devicePath) {
    HidSystem& system = HidSystem::Current();
    if (!system.LoadHidLibrary()) return nullptr;
    std::unique_ptr<HidDevice> device(new HidDevice());
    device->m_handle = system.Open(devicePath);
    if (device->m_handle == INVALID_HANDLE_VALUE) {
        device->CaptureError("CreateFile");
        return nullptr;
    }
    device->m_inputReportSize = system.GetInputReportSize(device->m_handle);
    if (device->m_inputReportSize == 0) device->CaptureError("GetInputReportSize");
    return device;
}
