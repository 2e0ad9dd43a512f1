#pragma once
// The process-wide pool of USB printer ports: the system's USB printer interfaces whose
// path starts with one of the known prefixes and that can be opened, lent out one at a time.

#include "links/UsbPrinterPort.h"

#include <memory>
#include <string>
#include <vector>

constexpr int kUsbPrinterPrefixCount = 9;
extern const wchar_t* const kUsbPrinterPrefixes[kUsbPrinterPrefixCount];

// Whether devicePath begins with one of kUsbPrinterPrefixes (case counts).
bool HasUsbPrinterPrefix(const std::wstring& devicePath);

class UsbPrinterPool {
public:
    UsbPrinterPool() = default;
    UsbPrinterPool(const UsbPrinterPool&) = delete;
    UsbPrinterPool& operator=(const UsbPrinterPool&) = delete;

    // The one pool of the process, made empty on first use, after the system's USB printer
    // calls (UsbPrinterSystem::Current), which thus outlive it.
    static UsbPrinterPool& Instance();

    // Appends every listed interface with a known prefix whose test-open succeeds (left
    // closed); earlier ports and their lent marks stay. Returns the number of ports held.
    int Initialize();
    int GetPortCount() const { return static_cast<int>(m_ports.size()); }
    // index -1: the first free port; otherwise that port when it exists and is free. The
    // port is marked lent; the pool keeps it. Null when there is none.
    UsbPrinterPort* AcquirePort(int index);
    // Closes the port when open and marks it free; a port not in the pool is ignored.
    void ReleasePort(UsbPrinterPort* port);

private:
    std::vector<std::unique_ptr<UsbPrinterPort>> m_ports;
    std::vector<int> m_inUse;
};
