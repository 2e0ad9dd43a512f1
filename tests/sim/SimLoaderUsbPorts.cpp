#include "SimLoaderUsbPorts.h"

int SimLoaderUsbPorts::AddPort(bool leadsToLoaderPrinter, bool opens) {
    m_leadsToPrinter.push_back(leadsToLoaderPrinter);
    return SimUsbPrinters::AddPort(nullptr, opens);
}

HANDLE SimLoaderUsbPorts::Open(const std::wstring& devicePath) {
    HANDLE handle = SimUsbPrinters::Open(devicePath);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    for (size_t port = 0; port < m_leadsToPrinter.size(); ++port)
        if (Path(static_cast<int>(port)) == devicePath)
            m_portOfHandle[handle] = static_cast<int>(port);
    return handle;
}

BOOL SimLoaderUsbPorts::Write(HANDLE file, const void* data, DWORD length,
                              OVERLAPPED* overlapped) {
    const BOOL written = SimUsbPrinters::Write(file, data, length, overlapped);
    const DWORD error = GetLastError();  // the port reads it after a failed write
    auto found = m_portOfHandle.find(file);
    if (found == m_portOfHandle.end()) return written;
    const std::string bytes(static_cast<const char*>(data), length);
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Write;
    entry.bytes = bytes;
    entry.note = "usb" + std::to_string(found->second);
    entry.ok = written != FALSE;
    m_device.Log().Add(entry);
    if (written && m_leadsToPrinter[static_cast<size_t>(found->second)])
        m_device.Printer().PortData(bytes);
    SetLastError(error);
    return written;
}
