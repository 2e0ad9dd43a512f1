#pragma once
// Guards one system handle: closes it with its close function when released or destroyed,
// unless it holds the value that stands for no handle of its kind.

#include <windows.h>

class ScopedHandle {
public:
    using CloseFunction = BOOL(WINAPI*)(HANDLE);

    ScopedHandle(HANDLE value, HANDLE invalidValue, CloseFunction closeFunction = ::CloseHandle);
    ~ScopedHandle();
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const { return m_value; }
    bool IsValid() const { return m_value != m_invalidValue; }
    // Closes the handle when it is one, then clears all three fields; a second call
    // closes nothing.
    void Release();

private:
    HANDLE m_value;
    HANDLE m_invalidValue;
    CloseFunction m_closeFunction;
};
