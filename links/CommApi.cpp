#include "links/CommApi.h"

namespace {

// The real calls.
class SystemCommApi : public CommApi {
public:
    HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue) override {
        return ::SetupComm(file, inQueue, outQueue);
    }
    BOOL GetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) override {
        return ::GetCommTimeouts(file, timeouts);
    }
    BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) override {
        return ::SetCommTimeouts(file, timeouts);
    }
    BOOL GetCommState(HANDLE file, DCB* dcb) override { return ::GetCommState(file, dcb); }
    BOOL SetCommState(HANDLE file, DCB* dcb) override { return ::SetCommState(file, dcb); }
    BOOL EscapeCommFunction(HANDLE file, DWORD function) override {
        return ::EscapeCommFunction(file, function);
    }
    BOOL PurgeComm(HANDLE file, DWORD flags) override { return ::PurgeComm(file, flags); }
    BOOL ClearCommError(HANDLE file, DWORD* errors, COMSTAT* status) override {
        return ::ClearCommError(file, errors, status);
    }
    BOOL GetCommModemStatus(HANDLE file, DWORD* modemStatus) override {
        return ::GetCommModemStatus(file, modemStatus);
    }
    BOOL ReadFile(HANDLE file, void* buffer, DWORD length, DWORD* read,
                  OVERLAPPED* overlapped) override {
        return ::ReadFile(file, buffer, length, read, overlapped);
    }
    BOOL WriteFile(HANDLE file, const void* data, DWORD length, DWORD* written,
                   OVERLAPPED* overlapped) override {
        return ::WriteFile(file, data, length, written, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                             BOOL wait) override {
        return ::GetOverlappedResult(file, overlapped, transferred, wait);
    }
    HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState,
                        LPCWSTR name) override {
        return ::CreateEventW(security, manualReset, initialState, name);
    }
    BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
    DWORD GetLastError() override { return ::GetLastError(); }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
};

SystemCommApi g_systemCommApi;
CommApi* g_commApi = &g_systemCommApi;

}  // namespace

CommApi& CommApi::Current() {
    return *g_commApi;
}

CommApi* CommApi::Replace(CommApi* api) {
    CommApi* previous = g_commApi;
    g_commApi = api ? api : &g_systemCommApi;
    return previous;
}
