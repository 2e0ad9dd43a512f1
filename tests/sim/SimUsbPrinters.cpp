#include "SimUsbPrinters.h"

#include <cwchar>

namespace {

// Numbers the ports of every object in the process, so that no two share a path.
int g_nextPortId = 1;

// Fake handles: a recognisable range that no system handle of the test takes.
constexpr intptr_t kHandleBase = 0x5A000000;

}  // namespace

SimUsbPrinters::SimUsbPrinters() : m_firstId(g_nextPortId) { UsbPrinterSystem::Install(this); }

SimUsbPrinters::~SimUsbPrinters() { UsbPrinterSystem::Install(nullptr); }

int SimUsbPrinters::AddPort(SimAutoPrinter* printer, bool opens) {
    wchar_t path[96];
    std::swprintf(path, 96, L"\\\\?\\usb#vid_047e&pid_1001#sim%d#{28d78fad}", g_nextPortId++);
    m_ports.push_back(Port{path, printer, opens, false, -1, {}});
    return static_cast<int>(m_ports.size()) - 1;
}

std::vector<std::wstring> SimUsbPrinters::ListInterfacePaths() {
    std::vector<std::wstring> paths;
    for (const Port& port : m_ports) paths.push_back(port.path);
    return paths;
}

HANDLE SimUsbPrinters::Open(const std::wstring& devicePath) {
    for (size_t i = 0; i < m_ports.size(); ++i) {
        if (m_ports[i].path != devicePath || !m_ports[i].opens) continue;
        if (m_ports[i].open) {
            SetLastError(ERROR_ACCESS_DENIED);  // opened unshared by someone else
            return INVALID_HANDLE_VALUE;
        }
        m_ports[i].open = true;
        return reinterpret_cast<HANDLE>(kHandleBase + m_firstId + static_cast<intptr_t>(i));
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

SimUsbPrinters::Port* SimUsbPrinters::PortOf(HANDLE file) {
    intptr_t index = reinterpret_cast<intptr_t>(file) - kHandleBase - m_firstId;
    if (index < 0 || index >= static_cast<intptr_t>(m_ports.size())) return nullptr;
    return &m_ports[static_cast<size_t>(index)];
}

BOOL SimUsbPrinters::Close(HANDLE file) {
    if (Port* port = PortOf(file)) port->open = false;
    return TRUE;
}

BOOL SimUsbPrinters::Write(HANDLE file, const void* data, DWORD length, OVERLAPPED*) {
    Port* port = PortOf(file);
    if (!port || port->writesLeft == 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    if (port->writesLeft > 0) --port->writesLeft;
    std::string bytes(static_cast<const char*>(data), length);
    port->writes.push_back(bytes);
    if (port->printer) port->printer->UsbWrite(bytes);
    m_lastLength = length;
    return TRUE;
}

BOOL SimUsbPrinters::GetResult(HANDLE, OVERLAPPED*, DWORD* transferred, BOOL) {
    *transferred = m_lastLength;
    return TRUE;
}
