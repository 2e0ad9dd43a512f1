#pragma once
// USB printer ports around a simulated autoloader, for tests of its USB printer-port
// probe: SimUsbPrinters whose ports may lead to the autoloader's own printer (the drawer
// commands written there move that printer's drawer, see SimLoaderPrinter.h). Every write
// on any port lands in the autoloader's log as a Write entry whose note names the port
// ("usb0", "usb1", ...), so that it stands in order with the exchanges and waits.
//
//     SimLoaderUsbPorts usb(rig.device);
//     usb.AddPort(false);             // another printer
//     usb.AddPort(true);              // the autoloader's printer
//     usb.AddPort(false, false);      // listed, but does not open

#include "SimAutoloader.h"
#include "SimUsbPrinters.h"

#include <map>
#include <string>
#include <vector>

// <windows.h> makes SetPrinter a macro (the print spooler's); the simulated autoloader's own
// SetPrinter keeps its name in every file that includes this one.
#ifdef SetPrinter
#undef SetPrinter
#endif

class SimLoaderUsbPorts : public SimUsbPrinters {
public:
    explicit SimLoaderUsbPorts(SimAutoloader& device) : m_device(device) {}

    // Returns the port's number (0, 1, ...).
    int AddPort(bool leadsToLoaderPrinter, bool opens = true);

    HANDLE Open(const std::wstring& devicePath) override;
    BOOL Write(HANDLE file, const void* data, DWORD length, OVERLAPPED* overlapped) override;

private:
    SimAutoloader& m_device;
    std::vector<bool> m_leadsToPrinter;
    std::map<HANDLE, int> m_portOfHandle;
};
