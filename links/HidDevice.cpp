#include "links/HidDevice.h"

#include "links/HidSystem.h"
#include "links/ScopedHandle.h"
#include "links/SystemUtil.h"

#include <algorithm>
#include <cstring>

void HidDevice::CaptureError(const char* apiName) {
    m_lastError = ::GetLastError();
    m_errorText = WidenString(apiName) + L": " + GetSystemErrorText(m_lastError);
}

void HidDevice::Close() {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    HidSystem::Current().Close(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

int HidDevice::Write(const void* data, DWORD length) {
    m_lastError = 0;
    // An event of the write's own, so that its wait can be bounded.
    ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr);
    if (!event.IsValid()) {
        CaptureError("CreateEvent");
        return Failed;
    }
    HidSystem& io = HidSystem::Current();
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event.Get();
    BOOL issued = io.Write(m_handle, data, length, &overlapped);
    DWORD written = 0;
    if (CompleteOverlapped(io, m_handle, overlapped, issued, kWriteTimeoutMs, written) !=
        IoOutcome::Done) {
        CaptureError("WriteFile");
        return Failed;
    }
    return Ok;
}

int HidDevice::Read(void* buffer, DWORD count) {
    if (buffer == nullptr) return Failed;
    ScopedHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr), nullptr);
    if (!event.IsValid()) return Failed;
    count = std::min(count, static_cast<DWORD>(std::max(m_inputReportSize, 0)));
    m_lastError = 0;
    HidSystem& io = HidSystem::Current();
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event.Get();
    BOOL issued = io.Read(m_handle, buffer, count, &overlapped);
    DWORD got = 0;
    switch (CompleteOverlapped(io, m_handle, overlapped, issued,
                               static_cast<DWORD>(std::max(m_readTimeoutMs, 0)), got)) {
    case IoOutcome::TimedOut:
        return TimedOut;
    case IoOutcome::Failed:
        CaptureError("ReadFile");
        return Failed;
    case IoOutcome::Done:
        break;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    got = std::min(got, count);
    if (got >= 1 && bytes[0] == 0) std::memmove(bytes, bytes + 1, got - 1);
    return Ok;
}
