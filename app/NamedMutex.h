#pragma once
// One named kernel mutex held open for the object's life. It is never owned or waited on:
// its existence alone tells other processes that this one runs.

#include <windows.h>

class NamedMutex {
public:
    explicit NamedMutex(const wchar_t* name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // The system's error right after the creation: 183 (already exists), 5 (access denied),
    // 0 when it was new.
    DWORD GetCreationError() const { return m_creationError; }
    // Another process holds the mutex: it already existed, or may not be opened.
    bool IsHeldElsewhere() const {
        return m_creationError == ERROR_ALREADY_EXISTS || m_creationError == ERROR_ACCESS_DENIED;
    }

private:
    HANDLE m_handle;
    DWORD m_creationError;
};
