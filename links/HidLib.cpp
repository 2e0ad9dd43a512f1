#include "links/HidLib.h"

HidLib g_hidLib(L".\\hid.dll");

namespace {
// HIDP_STATUS_SUCCESS: what HidP_GetCaps returns on success.
constexpr NTSTATUS kHidpStatusSuccess = 0x00110000;
// Bytes handed to the string queries.
constexpr ULONG kStringBufferBytes = 1024;

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& function) {
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}
}  // namespace

HidLib::HidLib(const std::wstring& path) : DllWrapper(path), m_successStatus(kHidpStatusSuccess) {}

HidLib::~HidLib() = default;

bool HidLib::ResolveEntryPoints() {
    HMODULE module = Module();
    bool all = Resolve(module, "HidD_GetAttributes", m_getAttributes);
    all = Resolve(module, "HidD_GetSerialNumberString", m_getSerialNumberString) && all;
    all = Resolve(module, "HidD_GetManufacturerString", m_getManufacturerString) && all;
    all = Resolve(module, "HidD_GetProductString", m_getProductString) && all;
    all = Resolve(module, "HidD_GetPreparsedData", m_getPreparsedData) && all;
    all = Resolve(module, "HidD_FreePreparsedData", m_freePreparsedData) && all;
    all = Resolve(module, "HidP_GetCaps", m_getCaps) && all;
    return all;
}

bool HidLib::GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) {
    attributes->Size = sizeof(HIDD_ATTRIBUTES);
    return m_getAttributes(device, attributes) != FALSE;
}

USHORT HidLib::GetInputReportSize(HANDLE device) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!m_getPreparsedData(device, &preparsed)) return 0;
    HIDP_CAPS caps = {};
    NTSTATUS status = m_getCaps(preparsed, &caps);
    m_freePreparsedData(preparsed);
    return status == m_successStatus ? caps.InputReportByteLength : 0;
}

std::wstring HidLib::GetString(GetStringFn function, HANDLE device) {
    wchar_t buffer[kStringBufferBytes / sizeof(wchar_t)] = {};
    if (!function(device, buffer, kStringBufferBytes)) return std::wstring();
    // A string that fills the buffer may come without its terminator.
    size_t length = 0;
    while (length < kStringBufferBytes / sizeof(wchar_t) && buffer[length] != L'\0') ++length;
    return std::wstring(buffer, length);
}

std::wstring HidLib::GetSerialNumberString(HANDLE device) {
    return GetString(m_getSerialNumberString, device);
}

std::wstring HidLib::GetManufacturerString(HANDLE device) {
    return GetString(m_getManufacturerString, device);
}

std::wstring HidLib::GetProductString(HANDLE device) {
    return GetString(m_getProductString, device);
}
