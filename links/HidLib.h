#pragma once
// The system HID library, loaded at run time, with the seven entry points that the HID
// device search needs wrapped in small typed calls. g_hidLib serves the whole process.

#include "links/DllWrapper.h"

#include <windows.h>

#include <hidsdi.h>

#include <string>

class HidLib : public DllWrapper {
public:
    explicit HidLib(const std::wstring& path);
    ~HidLib() override;

    // The wrappers assume a loaded library (Load succeeded).
    bool GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes);
    // The input report length from the device's capabilities; 0 when it cannot be had.
    USHORT GetInputReportSize(HANDLE device);
    // The device's strings; empty when the query fails.
    std::wstring GetSerialNumberString(HANDLE device);
    std::wstring GetManufacturerString(HANDLE device);
    std::wstring GetProductString(HANDLE device);

protected:
    bool ResolveEntryPoints() override;

private:
    using GetAttributesFn = BOOLEAN(NTAPI*)(HANDLE, PHIDD_ATTRIBUTES);
    using GetStringFn = BOOLEAN(NTAPI*)(HANDLE, PVOID, ULONG);
    using GetPreparsedDataFn = BOOLEAN(NTAPI*)(HANDLE, PHIDP_PREPARSED_DATA*);
    using FreePreparsedDataFn = BOOLEAN(NTAPI*)(PHIDP_PREPARSED_DATA);
    using GetCapsFn = NTSTATUS(NTAPI*)(PHIDP_PREPARSED_DATA, PHIDP_CAPS);

    std::wstring GetString(GetStringFn function, HANDLE device);

    GetAttributesFn m_getAttributes = nullptr;
    GetStringFn m_getSerialNumberString = nullptr;
    GetStringFn m_getManufacturerString = nullptr;
    GetStringFn m_getProductString = nullptr;
    GetPreparsedDataFn m_getPreparsedData = nullptr;
    FreePreparsedDataFn m_freePreparsedData = nullptr;
    GetCapsFn m_getCaps = nullptr;
    NTSTATUS m_successStatus;
};

extern HidLib g_hidLib;
