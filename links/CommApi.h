#pragma once
// The kernel32 calls the serial port and the serial channel make, behind one small
// interface, so that tests can stand in for the line. Each operation has the signature
// and meaning of the Win32 function of the same name.
//
// CommApi::Current() is the process-wide instance in use (the real calls unless a test
// has put its own in place with CommApi::Replace).

#include <windows.h>

class CommApi {
public:
    virtual ~CommApi() {}

    virtual HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition,
                               DWORD flags, HANDLE templateFile) = 0;
    virtual BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL GetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) = 0;
    virtual BOOL GetCommState(HANDLE file, DCB* dcb) = 0;
    virtual BOOL SetCommState(HANDLE file, DCB* dcb) = 0;
    virtual BOOL EscapeCommFunction(HANDLE file, DWORD function) = 0;
    virtual BOOL PurgeComm(HANDLE file, DWORD flags) = 0;
    virtual BOOL ClearCommError(HANDLE file, DWORD* errors, COMSTAT* status) = 0;
    virtual BOOL GetCommModemStatus(HANDLE file, DWORD* modemStatus) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD length, DWORD* read,
                          OVERLAPPED* overlapped) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* data, DWORD length, DWORD* written,
                           OVERLAPPED* overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                                     BOOL wait) = 0;
    virtual HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset,
                                BOOL initialState, LPCWSTR name) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual DWORD GetLastError() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;

    // The instance in use.
    static CommApi& Current();
    // Puts api in use (null: the real calls again); returns the one it replaces.
    static CommApi* Replace(CommApi* api);
};
