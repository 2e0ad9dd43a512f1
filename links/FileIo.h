#pragma once
// The overlapped file calls, sleeps and clock that the HID device and the USB printer
// ports use, gathered behind one seam: the defaults call the system, tests derive and
// script them.

#include <windows.h>

class FileIo {
public:
    virtual ~FileIo() = default;
    virtual BOOL Close(HANDLE file);
    virtual BOOL Write(HANDLE file, const void* data, DWORD length, OVERLAPPED* overlapped);
    virtual BOOL Read(HANDLE file, void* buffer, DWORD length, OVERLAPPED* overlapped);
    virtual DWORD Wait(HANDLE event, DWORD milliseconds);
    virtual BOOL GetResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait);
    virtual BOOL Cancel(HANDLE file);
    virtual void Sleep(DWORD milliseconds);
    virtual ULONGLONG Ticks();
};

enum class IoOutcome { Done, Failed, TimedOut };

// Finishes an overlapped read or write that `issued` (the call's result) started on file
// with overlapped.hEvent: waits for it at most timeoutMs and takes its byte count. On
// expiry the I/O is cancelled and waited for, so that the record, the event and the buffer
// may go away; one that completed all the same counts as done. Failed leaves the system's
// error as the thread's last error.
IoOutcome CompleteOverlapped(FileIo& io, HANDLE file, OVERLAPPED& overlapped, BOOL issued,
                             DWORD timeoutMs, DWORD& transferred);
