#pragma once
// USB printer interfaces for in-process tests of the USB printer-port pool's users: the
// system calls under UsbPrinterPort (UsbPrinterSystem), installed for the object's life.
// Each port gets a device path with a known prefix that no earlier object used, so the
// process-wide pool, which keeps every port it ever listed, finds only this object's ports
// usable (earlier ones no longer open).
//
//     SimUsbPrinters usb;
//     usb.AddPort(&printer);      // leads to the simulated printer
//     usb.AddPort(nullptr);       // another printer: takes the bytes, never drops CTS
//     usb.AddPort(nullptr, false) // listed, but does not open
//
// A port opens for one client at a time, as the system's do. Writes complete at once and
// whole, unless FailWrites was set for the port.

#include "SimAutoPrinter.h"
#include "links/UsbPrinterSystem.h"

#include <string>
#include <vector>

class SimUsbPrinters : public UsbPrinterSystem {
public:
    SimUsbPrinters();
    ~SimUsbPrinters() override;
    SimUsbPrinters(const SimUsbPrinters&) = delete;
    SimUsbPrinters& operator=(const SimUsbPrinters&) = delete;

    // Returns the port's number in this object (0, 1, ...).
    int AddPort(SimAutoPrinter* printer, bool opens = true);
    const std::wstring& Path(int port) const { return m_ports[port].path; }
    // Everything written to the port, one string per write.
    const std::vector<std::string>& Writes(int port) const { return m_ports[port].writes; }
    // The port's writes fail from the next one on (after `after` more that succeed).
    void FailWrites(int port, int after = 0) { m_ports[port].writesLeft = after; }
    void SetOpens(int port, bool opens) { m_ports[port].opens = opens; }

    // --- UsbPrinterSystem ---
    std::vector<std::wstring> ListInterfacePaths() override;
    HANDLE Open(const std::wstring& devicePath) override;
    BOOL Close(HANDLE file) override;
    BOOL Write(HANDLE file, const void* data, DWORD length, OVERLAPPED* overlapped) override;
    BOOL GetResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override;

private:
    struct Port {
        std::wstring path;
        SimAutoPrinter* printer;
        bool opens;
        bool open;       // a port opens for one client at a time
        int writesLeft;  // -1: no limit
        std::vector<std::string> writes;
    };
    // The port a fake handle stands for, or null.
    Port* PortOf(HANDLE file);

    std::vector<Port> m_ports;
    int m_firstId;
    DWORD m_lastLength = 0;
};
