#pragma once
// A stand-in for the kernel32 comm calls: a serial line whose device side the test scripts
// (bytes waiting to be read, a reaction to each write, CTS), which records every call and
// can make any call fail with a chosen system error. Puts itself in use while it lives.

#include "links/CommApi.h"
#include "links/ILoaderComm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FakeCommApi : public CommApi {
public:
    static HANDLE PortHandle() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x100)); }

    FakeCommApi() {
        state.DCBlength = sizeof state;
        state.BaudRate = 1200;
        state.ByteSize = 7;
        state.XonChar = 0x21;
        state.XoffChar = 0x22;
        state.XonLim = 2048;
        state.XoffLim = 512;
        state.EofChar = 0x1a;
        state.fErrorChar = TRUE;
        state.fNull = FALSE;
        state.fAbortOnError = TRUE;
        m_previous = CommApi::Replace(this);
    }
    ~FakeCommApi() override { CommApi::Replace(m_previous); }

    // Call `name` fails with `error` from its fromCall-th call (1-based) on.
    void Fail(const std::string& name, DWORD error, int fromCall = 1) {
        m_failures[name] = {error, fromCall};
    }
    void Heal(const std::string& name) { m_failures.erase(name); }
    int Count(const std::string& name) const {
        auto it = callCount.find(name);
        return it == callCount.end() ? 0 : it->second;
    }
    // The device puts bytes on the line.
    void Send(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }
    std::string AllWritten() const {
        std::string all;
        for (const auto& chunk : written) all += chunk;
        return all;
    }

    // Calls in order, and how often each was made.
    std::vector<std::string> calls;
    std::map<std::string, int> callCount;

    // The line.
    DCB state = {};                      // what GetCommState answers
    std::vector<DCB> statesSet;          // each SetCommState
    COMMTIMEOUTS timeouts = {};          // what GetCommTimeouts answers
    std::vector<COMMTIMEOUTS> timeoutsSet;
    std::deque<char> input;              // bytes the device sent, not yet read
    std::function<void(const std::string&)> onWrite;  // the device's reaction to a write
    std::function<void()> onRead;        // runs before each read takes its bytes
    std::vector<std::string> written;    // bytes of each WriteFile
    std::vector<DWORD> readLengths;      // length of each ReadFile
    std::vector<DWORD> readTimeouts;     // total read time-out in force at each ReadFile
    bool pending = false;       // transfers complete later, through GetOverlappedResult
    bool wineTimeout = false;   // a read that gets nothing completes with ERROR_TIMEOUT
    DWORD writeShortBy = 0;     // each write moves this many bytes less than asked
    int ctsOnFromPoll = 1;      // modem-status read (1-based) from which CTS is on; 0: never
    int modemPolls = 0;
    DWORD slept = 0;
    int eventsOpen = 0;
    std::vector<DWORD> escapes, purges;
    bool portClosed = false;
    std::string openedPath;
    DWORD openAccess = 0, openShare = 0, openDisposition = 0, openFlags = 0;
    DWORD queueIn = 0, queueOut = 0;

    HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                       DWORD disposition, DWORD flags, HANDLE) override {
        openedPath = path ? path : "";
        openAccess = access;
        openShare = share;
        openDisposition = disposition;
        openFlags = flags;
        return Call("CreateFileA") ? PortHandle() : INVALID_HANDLE_VALUE;
    }
    BOOL SetupComm(HANDLE, DWORD in, DWORD out) override {
        queueIn = in;
        queueOut = out;
        return Call("SetupComm");
    }
    BOOL GetCommTimeouts(HANDLE, COMMTIMEOUTS* t) override {
        if (!Call("GetCommTimeouts")) return FALSE;
        *t = timeouts;
        return TRUE;
    }
    BOOL SetCommTimeouts(HANDLE, COMMTIMEOUTS* t) override {
        timeoutsSet.push_back(*t);
        if (!Call("SetCommTimeouts")) return FALSE;
        timeouts = *t;
        return TRUE;
    }
    BOOL GetCommState(HANDLE, DCB* dcb) override {
        if (!Call("GetCommState")) return FALSE;
        *dcb = state;
        return TRUE;
    }
    BOOL SetCommState(HANDLE, DCB* dcb) override {
        statesSet.push_back(*dcb);
        if (!Call("SetCommState")) return FALSE;
        state = *dcb;
        return TRUE;
    }
    BOOL EscapeCommFunction(HANDLE, DWORD function) override {
        escapes.push_back(function);
        return Call("EscapeCommFunction");
    }
    BOOL PurgeComm(HANDLE, DWORD flags) override {
        purges.push_back(flags);
        return Call("PurgeComm");
    }
    BOOL ClearCommError(HANDLE, DWORD* errors, COMSTAT*) override {
        if (errors) *errors = 0;
        return Call("ClearCommError");
    }
    BOOL GetCommModemStatus(HANDLE, DWORD* status) override {
        if (!Call("GetCommModemStatus")) return FALSE;
        ++modemPolls;
        *status = MS_DSR_ON |
                  (ctsOnFromPoll > 0 && modemPolls >= ctsOnFromPoll ? MS_CTS_ON : 0);
        return TRUE;
    }
    BOOL ReadFile(HANDLE, void* buffer, DWORD length, DWORD*, OVERLAPPED*) override {
        readLengths.push_back(length);
        readTimeouts.push_back(timeouts.ReadTotalTimeoutConstant);
        if (!Call("ReadFile")) return FALSE;
        if (onRead) onRead();
        DWORD n = 0;
        for (; n < length && !input.empty(); ++n) {
            static_cast<char*>(buffer)[n] = input.front();
            input.pop_front();
        }
        return Finish(n, n == 0 && wineTimeout ? ERROR_TIMEOUT : 0);
    }
    BOOL WriteFile(HANDLE, const void* data, DWORD length, DWORD*, OVERLAPPED*) override {
        if (!Call("WriteFile")) return FALSE;
        DWORD n = length > writeShortBy ? length - writeShortBy : 0;
        written.emplace_back(static_cast<const char*>(data), n);
        if (onWrite) onWrite(written.back());
        return Finish(n, 0);
    }
    BOOL GetOverlappedResult(HANDLE, OVERLAPPED*, DWORD* transferred, BOOL wait) override {
        if (!wait) ADD_FAILURE() << "GetOverlappedResult must wait";
        if (!Call("GetOverlappedResult")) return FALSE;
        *transferred = m_transferred;
        if (m_transferError) {
            m_lastError = m_transferError;
            return FALSE;
        }
        return TRUE;
    }
    HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                        LPCWSTR) override {
        if (!manualReset || initialState) ADD_FAILURE() << "event must be manual-reset, clear";
        if (!Call("CreateEventW")) return nullptr;
        ++eventsOpen;
        return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x200 + eventsOpen));
    }
    BOOL CloseHandle(HANDLE handle) override {
        Call("CloseHandle");
        if (handle == PortHandle())
            portClosed = true;
        else
            --eventsOpen;
        return TRUE;
    }
    DWORD GetLastError() override { return m_lastError; }
    void Sleep(DWORD milliseconds) override {
        calls.push_back("Sleep");
        slept += milliseconds;
    }

private:
    struct Failure {
        DWORD error;
        int fromCall;
    };

    bool Call(const std::string& name) {
        calls.push_back(name);
        int n = ++callCount[name];
        auto it = m_failures.find(name);
        if (it != m_failures.end() && n >= it->second.fromCall) {
            m_lastError = it->second.error;
            return false;
        }
        return true;
    }
    // Ends a started transfer: at once, or pending until GetOverlappedResult.
    BOOL Finish(DWORD transferred, DWORD error) {
        m_transferred = transferred;
        m_transferError = error;
        if (pending || error) {
            m_lastError = ERROR_IO_PENDING;
            return FALSE;
        }
        return TRUE;
    }

    CommApi* m_previous;
    std::map<std::string, Failure> m_failures;
    DWORD m_lastError = 0;
    DWORD m_transferred = 0;
    DWORD m_transferError = 0;
};

// The 32 flag bits of a line state (fBinary is bit 0), as one word.
inline DWORD DcbFlagWord(const DCB& dcb) {
    DWORD word;
    std::memcpy(&word, reinterpret_cast<const char*>(&dcb.BaudRate) + sizeof dcb.BaudRate,
                sizeof word);
    return word;
}
