#pragma once
// Small system helpers shared by the device links and the windows: system error texts,
// message-insert formatting, narrow/wide text conversion, the program's directory and the
// message pump that keeps the windows alive during long device operations.

#include <windows.h>

#include <functional>
#include <string>

// The system's message text for an error code on one line; empty for 0 or an unknown code.
std::wstring GetSystemErrorText(DWORD code);
// GetSystemErrorText of the calling thread's last error; call it right after the failure.
std::wstring GetLastSystemErrorText();
// A system message text on one line: one closing line feed and then one closing carriage
// return are dropped, every other carriage return or line feed becomes a blank.
std::wstring OneLineMessageText(std::wstring text);

// Fills the message inserts of format ("%1!d!" is the first argument as a signed decimal)
// from the arguments; empty for a null or empty format or a format the system rejects.
std::wstring FormatMessageText(const wchar_t* format, ...);

// Each byte becomes the wide character of the same value (0 to 255); null gives "".
std::wstring WidenString(const char* text);
// Wide to narrow through the system's ANSI code page; characters it lacks become its
// default character. Null or empty gives "".
std::string NarrowString(const wchar_t* text);
std::string NarrowString(const std::wstring& text);

// The directory of the running program's file, without a trailing backslash; "" when the
// path cannot be had or does not fit MAX_PATH.
std::wstring GetModuleDirectory();
// path up to (not including) its last backslash; a path without one stays whole.
std::wstring CutAtLastBackslash(const std::wstring& path);

// Handles every waiting window message and returns; never waits for one. Each message is
// first offered to the filter set with SetPumpMessageFilter (the application object's
// pre-translation); a filter that returns true has handled it.
void PumpMessages();
using PumpMessageFilter = std::function<bool(MSG&)>;
void SetPumpMessageFilter(PumpMessageFilter filter);
