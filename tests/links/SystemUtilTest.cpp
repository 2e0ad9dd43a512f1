// The system helpers: message texts on one line, insert formatting, text conversion, the
// program's directory, the message pump and the handle guard.

#include "links/ScopedHandle.h"
#include "links/SystemUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemUtil, MessageTextsComeOnOneLine) {
    EXPECT_EQ(L"a  b", OneLineMessageText(L"a\r\nb\r\n"));
    EXPECT_EQ(L"a", OneLineMessageText(L"a\n"));
    EXPECT_EQ(L"a ", OneLineMessageText(L"a\n\n"));  // only one closing line feed goes
    EXPECT_EQ(L"", OneLineMessageText(L"\r\n"));
    EXPECT_EQ(L"", OneLineMessageText(L""));

    EXPECT_EQ(L"", GetSystemErrorText(0));
    EXPECT_EQ(L"", GetSystemErrorText(0x2000FFFFu));  // no such system message
    const std::wstring denied = GetSystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(denied.empty());
    EXPECT_EQ(std::wstring::npos, denied.find_first_of(L"\r\n"));
    // A system text with an insert is read without arguments, the insert left as written.
    EXPECT_NE(std::wstring::npos, GetSystemErrorText(ERROR_BAD_EXE_FORMAT).find(L"%1"));
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(denied, GetLastSystemErrorText());
}

TEST(SystemUtil, FormatsInserts) {
    EXPECT_EQ(L"SetOutputReport_Interrupt status = 2",
              FormatMessageText(L"SetOutputReport_Interrupt status = %1!d!", 2));
    EXPECT_EQ(L"-7 and x", FormatMessageText(L"%1!d! and %2", -7, L"x"));
    EXPECT_EQ(L"", FormatMessageText(nullptr));
    EXPECT_EQ(L"", FormatMessageText(L""));
}

TEST(SystemUtil, ConvertsText) {
    EXPECT_EQ(L"", WidenString(nullptr));
    EXPECT_EQ(std::wstring(1, L'\u00e9'), WidenString("\xE9"));
    EXPECT_EQ(L"COM3 \u00ff", WidenString("COM3 \xFF"));
    EXPECT_EQ("", NarrowString(std::wstring()));
    EXPECT_EQ("", NarrowString(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ("HID-0 ok", NarrowString(L"HID-0 ok"));
    if (GetACP() == 1252) {
        EXPECT_EQ("\xE9", NarrowString(L"\u00e9"));
        EXPECT_EQ("?", NarrowString(L"\u4e00"));  // no form in the code page
    }
}

TEST(SystemUtil, FindsTheProgramsDirectory) {
    EXPECT_EQ(L"C:\\Tools", CutAtLastBackslash(L"C:\\Tools\\prog.exe"));
    EXPECT_EQ(L"prog.exe", CutAtLastBackslash(L"prog.exe"));
    const std::wstring dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(L'\\', dir.back());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir + L"\\links_tests.exe").c_str()));
}

int g_messages = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP) ++g_messages;
    return DefWindowProcW(window, message, w, l);
}

TEST(SystemUtil, PumpHandlesWaitingMessagesAndReturns) {
    PumpMessages();  // empty queue: returns at once
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavrixPumpTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"TavrixPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    g_messages = 0;
    for (int i = 0; i < 3; ++i) PostMessageW(window, WM_APP, 0, 0);
    PumpMessages();
    EXPECT_EQ(3, g_messages);

    int filtered = 0;
    SetPumpMessageFilter([&](MSG& msg) { return msg.message == WM_APP && ++filtered > 0; });
    PostMessageW(window, WM_APP, 0, 0);
    PumpMessages();
    SetPumpMessageFilter(nullptr);
    EXPECT_EQ(1, filtered);
    EXPECT_EQ(3, g_messages);
    DestroyWindow(window);
}

int g_closed = 0;
BOOL WINAPI CountClose(HANDLE) {
    ++g_closed;
    return TRUE;
}

TEST(ScopedHandle, ClosesAValidHandleOnce) {
    g_closed = 0;
    {
        ScopedHandle handle(reinterpret_cast<HANDLE>(5), INVALID_HANDLE_VALUE, CountClose);
        EXPECT_TRUE(handle.IsValid());
        handle.Release();
        EXPECT_EQ(1, g_closed);
        handle.Release();
        EXPECT_EQ(1, g_closed);
    }
    EXPECT_EQ(1, g_closed);
    { ScopedHandle none(INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, CountClose); }
    { ScopedHandle noEvent(nullptr, nullptr, CountClose); }
    EXPECT_EQ(1, g_closed);
    { ScopedHandle event(reinterpret_cast<HANDLE>(7), nullptr, CountClose); }
    EXPECT_EQ(2, g_closed);
}

}  // namespace
