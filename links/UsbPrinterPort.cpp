#include "links/UsbPrinterPort.h"

#include "links/RegKey.h"
#include "links/ScopedEvent.h"
#include "links/SystemUtil.h"
#include "links/UsbPrinterSystem.h"

#include <cwchar>

std::wstring UsbPrinterPortKeyPath(const std::wstring& devicePath) {
    return L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
           L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\##?#" +
           (devicePath.size() > 4 ? devicePath.substr(4) : std::wstring()) +
           L"\\#\\Device Parameters";
}

UsbPrinterPort::UsbPrinterPort(const std::wstring& devicePath, int index)
    : m_devicePath(devicePath) {
    RegKey key(UsbPrinterSystem::Current().RegistryRoot(), UsbPrinterPortKeyPath(devicePath),
               RegKey::ReadOnly);
    const DWORD portNumber = key.ReadDword(L"Port Number", static_cast<DWORD>(-1));
    wchar_t name[16] = {};
    if (key.IsOpen() && portNumber != static_cast<DWORD>(-1)) {
        swprintf(name, 16, L"USB%.3u", static_cast<unsigned>(portNumber));
    } else {
        swprintf(name, 16, L"USBPRINT-%d", index);
    }
    m_portName = name;
    OpenHandle();
}

UsbPrinterPort::~UsbPrinterPort() { Close(); }

void UsbPrinterPort::KeepError(DWORD code) {
    m_lastError = code;
    m_lastErrorText = GetSystemErrorText(code);
}

void UsbPrinterPort::KeepShortWrite(DWORD written, DWORD requested) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"WriteFile error: %u bytes written of %u requested",
             static_cast<unsigned>(written), static_cast<unsigned>(requested));
    m_lastError = ERROR_WRITE_FAULT;
    m_lastErrorText = text;
}

bool UsbPrinterPort::OpenHandle() {
    // Overlapped, so that a write can be given up after its time limit.
    m_handle = UsbPrinterSystem::Current().Open(m_devicePath);
    if (m_handle == INVALID_HANDLE_VALUE) {
        KeepError(::GetLastError());
        return false;
    }
    m_open = true;
    return true;
}

bool UsbPrinterPort::Open() {
    if (m_open && !Close()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_HANDLE) {
            // A handle the system will not close stays the port's: a second one would leak it.
            KeepError(error);
            return false;
        }
        // The handle was dead already (its device went away): nothing is left to keep.
        m_open = false;
        m_handle = INVALID_HANDLE_VALUE;
    }
    return OpenHandle();
}

bool UsbPrinterPort::Close() {
    if (!m_open) return true;
    if (!UsbPrinterSystem::Current().Close(m_handle)) return false;
    m_open = false;
    m_handle = INVALID_HANDLE_VALUE;
    return true;
}

bool UsbPrinterPort::Write(const void* data, DWORD length) {
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (!m_open || (data == nullptr && length != 0)) {
        KeepError(m_open ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return false;
    }
    ScopedEvent event(true, false);
    if (!event.IsValid()) {
        KeepError(::GetLastError());
        return false;
    }
    UsbPrinterSystem& io = UsbPrinterSystem::Current();
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event.Get();
    const BOOL issued = io.Write(m_handle, data, length, &overlapped);
    if (!issued && ::GetLastError() == 0) {
        // A failure without a reason: the driver is given time and the data taken as sent.
        m_lastError = 0;
        io.Sleep(500);
        return true;
    }
    DWORD written = 0;
    switch (CompleteOverlapped(io, m_handle, overlapped, issued, kWriteTimeoutMs, written)) {
    case IoOutcome::TimedOut:
        m_lastErrorText = GetSystemErrorText(ERROR_IO_PENDING);
        m_lastError = ERROR_OPERATION_ABORTED;
        return false;
    case IoOutcome::Failed:
        KeepError(::GetLastError());
        return false;
    case IoOutcome::Done:
        break;
    }
    if (written == length) return true;
    KeepShortWrite(written, length);
    return false;
}
