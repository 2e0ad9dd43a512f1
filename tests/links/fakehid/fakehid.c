/* A stand-in for the system HID library, answering by the handle's value:
 *   1  a transporter: ids 0cc3/000d, strings, input reports of 65 bytes
 *   2  every query fails
 *   3  preparsed data, but the capability query fails
 *   4  strings that fill the whole buffer without a terminator
 * Built once more without HidP_GetCaps (FAKEHID_WITHOUT_CAPS) as a library that lacks an
 * entry point. FakeHid_CallCount tells how often each entry point ran. */

#include <windows.h>

#define FAKEHID_EXPORT __declspec(dllexport)

typedef struct {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
} FakeAttributes;

typedef struct {
    USHORT Usage;
    USHORT UsagePage;
    USHORT InputReportByteLength;
    USHORT OutputReportByteLength;
    USHORT FeatureReportByteLength;
    USHORT Reserved[17];
    USHORT Counts[10];
} FakeCaps;

enum { kAttributes, kSerial, kManufacturer, kProduct, kPreparsed, kFree, kCaps, kCallKinds };
static LONG g_calls[kCallKinds];
static int g_preparsed;

FAKEHID_EXPORT LONG FakeHid_CallCount(int kind) {
    return kind >= 0 && kind < kCallKinds ? g_calls[kind] : -1;
}

static int Which(HANDLE device) { return (int)(INT_PTR)device; }

FAKEHID_EXPORT BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, FakeAttributes* attributes) {
    ++g_calls[kAttributes];
    if (Which(device) == 2 || attributes->Size != sizeof(FakeAttributes)) return FALSE;
    attributes->VendorID = 0x0CC3;
    attributes->ProductID = 0x000D;
    attributes->VersionNumber = 0x0100;
    return TRUE;
}

static BOOLEAN GetString(HANDLE device, PVOID buffer, ULONG length, const WCHAR* text) {
    WCHAR* out = (WCHAR*)buffer;
    ULONG chars = length / sizeof(WCHAR), i;
    if (Which(device) == 2) return FALSE;
    if (Which(device) == 4) {
        for (i = 0; i < chars; ++i) out[i] = L'x';
        return TRUE;
    }
    for (i = 0; i + 1 < chars && text[i] != 0; ++i) out[i] = text[i];
    out[i] = 0;
    return TRUE;
}

FAKEHID_EXPORT BOOLEAN NTAPI HidD_GetSerialNumberString(HANDLE device, PVOID buffer, ULONG length) {
    ++g_calls[kSerial];
    return GetString(device, buffer, length, L"SN-1");
}

FAKEHID_EXPORT BOOLEAN NTAPI HidD_GetManufacturerString(HANDLE device, PVOID buffer, ULONG length) {
    ++g_calls[kManufacturer];
    return GetString(device, buffer, length, L"Maker");
}

FAKEHID_EXPORT BOOLEAN NTAPI HidD_GetProductString(HANDLE device, PVOID buffer, ULONG length) {
    ++g_calls[kProduct];
    return GetString(device, buffer, length, L"Loader");
}

FAKEHID_EXPORT BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, void** preparsed) {
    ++g_calls[kPreparsed];
    if (Which(device) == 2) return FALSE;
    *preparsed = Which(device) == 3 ? (void*)&g_calls : (void*)&g_preparsed;
    return TRUE;
}

FAKEHID_EXPORT BOOLEAN NTAPI HidD_FreePreparsedData(void* preparsed) {
    (void)preparsed;
    ++g_calls[kFree];
    return TRUE;
}

#ifndef FAKEHID_WITHOUT_CAPS
FAKEHID_EXPORT LONG NTAPI HidP_GetCaps(void* preparsed, FakeCaps* caps) {
    ++g_calls[kCaps];
    if (preparsed != (void*)&g_preparsed) return (LONG)0xC0110001; /* invalid preparsed data */
    caps->InputReportByteLength = 65;
    caps->OutputReportByteLength = 65;
    return 0x00110000;
}
#endif
