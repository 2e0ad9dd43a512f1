#include "links/HidSystem.h"

#include "links/DeviceInterfaceList.h"
#include "links/HidLib.h"
#include "links/SystemUtil.h"

namespace {
// GUID_DEVINTERFACE_HID {4D1E55B2-F16F-11CF-88CB-001111000030}
constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

HidSystem* g_installed = nullptr;
}  // namespace

bool HidSystem::LoadHidLibrary() { return g_hidLib.Load(); }

std::vector<std::string> HidSystem::ListInterfacePaths() {
    DeviceInterfaceList list(kHidInterfaceClass);
    std::vector<std::string> paths;
    for (int i = 0, n = list.Enumerate(); i < n; ++i) {
        paths.push_back(NarrowString(list.GetEntry(i).devicePath));
    }
    return paths;
}

HANDLE HidSystem::Open(const std::string& devicePath) {
    return CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

bool HidSystem::GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) {
    return g_hidLib.GetAttributes(device, attributes);
}

USHORT HidSystem::GetInputReportSize(HANDLE device) { return g_hidLib.GetInputReportSize(device); }

std::wstring HidSystem::GetSerialNumberString(HANDLE device) {
    return g_hidLib.GetSerialNumberString(device);
}

std::wstring HidSystem::GetManufacturerString(HANDLE device) {
    return g_hidLib.GetManufacturerString(device);
}

std::wstring HidSystem::GetProductString(HANDLE device) { return g_hidLib.GetProductString(device); }

HidSystem& HidSystem::Current() {
    static HidSystem systemCalls;
    return g_installed != nullptr ? *g_installed : systemCalls;
}

void HidSystem::Install(HidSystem* system) { g_installed = system; }
