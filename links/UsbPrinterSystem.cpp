#include "links/UsbPrinterSystem.h"

#include "links/DeviceInterfaceList.h"

namespace {
// GUID_DEVINTERFACE_USBPRINT {28d78fad-5a12-11d1-ae5b-0000f803a8c2}
constexpr GUID kUsbPrintInterfaceClass = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

UsbPrinterSystem* g_installed = nullptr;
}  // namespace

std::vector<std::wstring> UsbPrinterSystem::ListInterfacePaths() {
    DeviceInterfaceList list(kUsbPrintInterfaceClass);
    std::vector<std::wstring> paths;
    for (int i = 0, n = list.Enumerate(); i < n; ++i) paths.push_back(list.GetEntry(i).devicePath);
    return paths;
}

HANDLE UsbPrinterSystem::Open(const std::wstring& devicePath) {
    return CreateFileW(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

HKEY UsbPrinterSystem::RegistryRoot() { return HKEY_LOCAL_MACHINE; }

UsbPrinterSystem& UsbPrinterSystem::Current() {
    static UsbPrinterSystem systemCalls;
    return g_installed != nullptr ? *g_installed : systemCalls;
}

void UsbPrinterSystem::Install(UsbPrinterSystem* system) { g_installed = system; }
