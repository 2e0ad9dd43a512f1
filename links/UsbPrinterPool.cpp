#include "links/UsbPrinterPool.h"

#include "links/UsbPrinterSystem.h"

#include <cwchar>

const wchar_t* const kUsbPrinterPrefixes[kUsbPrinterPrefixCount] = {
    L"\\\\?\\usb#vid_047e&pid_1001", L"\\\\?\\usb#vid_0cc3&pid_000c",
    L"\\\\?\\usb#vid_044e&pid_200a", L"\\\\?\\usb#vid_044e&pid_1301",
    L"\\\\?\\usb#vid_044e&pid_130a", L"\\\\?\\usb#vid_044e&pid_130c",
    L"\\\\?\\usb#vid_044e&pid_1311", L"\\\\?\\usb#vid_0f25&pid_0033",
    L"\\\\?\\usb#vid_0f25&pid_0036",
};

bool HasUsbPrinterPrefix(const std::wstring& devicePath) {
    for (const wchar_t* prefix : kUsbPrinterPrefixes) {
        if (devicePath.compare(0, std::wcslen(prefix), prefix) == 0) return true;
    }
    return false;
}

UsbPrinterPool& UsbPrinterPool::Instance() {
    // The pool's ports close through the system calls when the pool goes at exit. Those
    // are made here first, so that they are destroyed after the pool.
    UsbPrinterSystem::Current();
    static UsbPrinterPool pool;
    return pool;
}

int UsbPrinterPool::Initialize() {
    for (const std::wstring& path : UsbPrinterSystem::Current().ListInterfacePaths()) {
        if (!HasUsbPrinterPrefix(path)) continue;
        auto port = std::make_unique<UsbPrinterPort>(path, GetPortCount());
        if (!port->IsOpen()) continue;
        port->Close();
        m_ports.push_back(std::move(port));
        m_inUse.push_back(0);
    }
    return GetPortCount();
}

UsbPrinterPort* UsbPrinterPool::AcquirePort(int index) {
    for (int i = 0; i < GetPortCount(); ++i) {
        if (m_inUse[i] != 0 || (index != -1 && index != i)) continue;
        m_inUse[i] = 1;
        return m_ports[i].get();
    }
    return nullptr;
}

void UsbPrinterPool::ReleasePort(UsbPrinterPort* port) {
    for (int i = 0; i < GetPortCount(); ++i) {
        if (m_ports[i].get() != port) continue;
        if (port->IsOpen()) port->Close();
        m_inUse[i] = 0;
        return;
    }
}
