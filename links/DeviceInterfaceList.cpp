#include "links/DeviceInterfaceList.h"

#include <setupapi.h>

#include <cstddef>

namespace {
constexpr size_t kPropertyChars = 256;

// One string property of a device, bounded by its buffer even when the system leaves the
// terminator out; empty when absent. A multi-string gives its first string.
std::wstring ReadProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[kPropertyChars] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                           reinterpret_cast<BYTE*>(buffer),
                                           sizeof(buffer) - sizeof(wchar_t), nullptr)) {
        return std::wstring();
    }
    size_t length = 0;
    while (length < kPropertyChars && buffer[length] != L'\0') ++length;
    return std::wstring(buffer, length);
}

// The device path of one interface, or "" when its detail cannot be read.
std::wstring ReadDevicePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& item,
                            SP_DEVINFO_DATA& device) {
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &required, nullptr);
    const size_t fixed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    if (required <= fixed) return std::wstring();
    // Zeroed, with room for a terminator past what the system fills.
    std::vector<BYTE> storage(required + sizeof(wchar_t), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    device.cbSize = sizeof(SP_DEVINFO_DATA);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &item, detail, required, nullptr, &device)) {
        return std::wstring();
    }
    const size_t maxChars = (required - fixed) / sizeof(wchar_t);
    size_t length = 0;
    while (length < maxChars && detail->DevicePath[length] != L'\0') ++length;
    return std::wstring(detail->DevicePath, length);
}
}  // namespace

int DeviceInterfaceList::Enumerate() {
    HDEVINFO set = SetupDiGetClassDevsW(&m_classGuid, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return GetCount();
    SP_DEVICE_INTERFACE_DATA item = {};
    item.cbSize = sizeof(item);
    for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &m_classGuid, index, &item);
         ++index) {
        SP_DEVINFO_DATA device = {};
        DeviceInterfaceEntry entry;
        entry.devicePath = ReadDevicePath(set, item, device);
        if (entry.devicePath.empty()) continue;
        entry.name = ReadProperty(set, device, SPDRP_FRIENDLYNAME);
        if (entry.name.empty()) entry.name = ReadProperty(set, device, SPDRP_DEVICEDESC);
        if (entry.name.empty()) entry.name = entry.devicePath.substr(0, 255);
        entry.hardwareId = ReadProperty(set, device, SPDRP_HARDWAREID);
        m_entries.push_back(entry);
    }
    SetupDiDestroyDeviceInfoList(set);
    return GetCount();
}
