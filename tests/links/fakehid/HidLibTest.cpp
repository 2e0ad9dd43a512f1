// The HID library loaded at run time, against fake libraries beside this program: the
// load rules, the entry points, and the typed calls with their fixed buffers.

#include "links/HidLib.h"
#include "links/SystemUtil.h"

#include <gtest/gtest.h>

namespace {

enum { kAttributes, kSerial, kManufacturer, kProduct, kPreparsed, kFree, kCaps };

HANDLE Device(int which) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(which)); }

LONG Calls(int kind) {
    using CountFn = LONG (*)(int);
    auto count = reinterpret_cast<CountFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"hid.dll"), "FakeHid_CallCount")));
    return count != nullptr ? count(kind) : -1;
}

TEST(HidLib, LoadsByItsPathAndWrapsTheQueries) {
    HidLib lib(L".\\hid.dll");
    EXPECT_FALSE(lib.IsLoaded());
    ASSERT_TRUE(lib.Load()) << NarrowString(lib.GetErrorText());
    EXPECT_TRUE(lib.Load());
    EXPECT_FALSE(lib.LoadFailed());

    HIDD_ATTRIBUTES attributes = {};
    ASSERT_TRUE(lib.GetAttributes(Device(1), &attributes));
    EXPECT_EQ(12u, attributes.Size);
    EXPECT_EQ(0x0CC3, attributes.VendorID);
    EXPECT_EQ(0x000D, attributes.ProductID);
    EXPECT_EQ(65, lib.GetInputReportSize(Device(1)));
    EXPECT_EQ(L"SN-1", lib.GetSerialNumberString(Device(1)));
    EXPECT_EQ(L"Maker", lib.GetManufacturerString(Device(1)));
    EXPECT_EQ(L"Loader", lib.GetProductString(Device(1)));
}

TEST(HidLib, FailingQueriesGiveNothing) {
    HidLib lib(L".\\hid.dll");
    ASSERT_TRUE(lib.Load());
    HIDD_ATTRIBUTES attributes = {};
    EXPECT_FALSE(lib.GetAttributes(Device(2), &attributes));
    EXPECT_EQ(L"", lib.GetSerialNumberString(Device(2)));
    EXPECT_EQ(L"", lib.GetProductString(Device(2)));

    const LONG caps = Calls(kCaps), frees = Calls(kFree);
    EXPECT_EQ(0, lib.GetInputReportSize(Device(2)));  // no preparsed data: no capability query
    EXPECT_EQ(caps, Calls(kCaps));
    EXPECT_EQ(0, lib.GetInputReportSize(Device(3)));  // the query fails: freed all the same
    EXPECT_EQ(caps + 1, Calls(kCaps));
    EXPECT_EQ(frees + 1, Calls(kFree));
}

TEST(HidLib, StringWithoutTerminatorStaysInItsBuffer) {
    HidLib lib(L".\\hid.dll");
    ASSERT_TRUE(lib.Load());
    const std::wstring serial = lib.GetSerialNumberString(Device(4));
    EXPECT_EQ(512u, serial.size());
    EXPECT_EQ(std::wstring::npos, serial.find_first_not_of(L'x'));
}

TEST(HidLib, LibraryWithoutAllEntryPointsIsNotLoaded) {
    HidLib lib(L".\\hidnocaps.dll");
    EXPECT_FALSE(lib.Load());
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_TRUE(lib.LoadFailed());
    EXPECT_FALSE(lib.Load());
}

TEST(HidLib, FailedLoadIsTriedAgain) {
    const std::wstring later = GetModuleDirectory() + L"\\hidlater.dll";
    DeleteFileW(later.c_str());
    {
        HidLib lib(L".\\hidlater.dll");
        EXPECT_FALSE(lib.Load());
        EXPECT_TRUE(lib.LoadFailed());
        EXPECT_FALSE(lib.GetErrorText().empty());
        ASSERT_TRUE(CopyFileW((GetModuleDirectory() + L"\\hid.dll").c_str(), later.c_str(), FALSE));
        EXPECT_TRUE(lib.Load());
        EXPECT_TRUE(lib.IsLoaded());
        EXPECT_TRUE(lib.LoadFailed());  // kept for diagnosis
    }
    DeleteFileW(later.c_str());
}

TEST(HidLib, BareNameIsLookedForInTheProgramsDirectoryFirst) {
    // With the system's library of that name loaded already, the system's search for the
    // bare name would hand back that one; only the program's own folder gives the fake.
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    HMODULE systemHid = LoadLibraryW((std::wstring(system) + L"\\hid.dll").c_str());
    ASSERT_NE(nullptr, systemHid);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    ASSERT_TRUE(SetCurrentDirectoryW(temp));
    {
        HidLib lib(L"hid.dll");
        const bool loaded = lib.Load();
        SetCurrentDirectoryW(previous);
        ASSERT_TRUE(loaded);
        HIDD_ATTRIBUTES attributes = {};
        EXPECT_TRUE(lib.GetAttributes(Device(1), &attributes));  // only the fake knows handle 1
        EXPECT_EQ(0x0CC3, attributes.VendorID);
    }
    FreeLibrary(systemHid);
}

}  // namespace
