#pragma once
// Drives a modal window of the test's own thread: while the driver lives, the first visible
// window titled `title` that appears gets `action` (run from a thread timer, which the modal
// loop dispatches). A window still open timeoutMs after the driver started is ended with
// -2, so no test waits for a person.
#include <windows.h>

#include <functional>
#include <string>

class ModalDriver {
public:
    ModalDriver(std::wstring title, std::function<void(HWND)> action, DWORD timeoutMs = 5000)
        : m_title(std::move(title)), m_action(std::move(action)),
          m_deadline(GetTickCount64() + timeoutMs) {
        Active() = this;
        m_timer = SetTimer(nullptr, 0, 20, &ModalDriver::Tick);
    }
    ~ModalDriver() {
        KillTimer(nullptr, m_timer);
        Active() = nullptr;
    }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    int Runs() const { return m_runs; }
    bool TimedOut() const { return m_timedOut; }
    // Drives the next window of that title too.
    void Rearm() { m_done = false; }

    // Sends a click of button id to window (the way the dialog manager reports it).
    static void Click(HWND window, int id) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }
    static std::wstring Text(HWND window, int id) {
        wchar_t text[512] = L"";
        GetDlgItemTextW(window, id, text, 512);
        return text;
    }

private:
    static ModalDriver*& Active() {
        static ModalDriver* active = nullptr;
        return active;
    }

    static BOOL CALLBACK FindTitled(HWND hwnd, LPARAM lParam) {
        ModalDriver* self = reinterpret_cast<ModalDriver*>(lParam);
        wchar_t title[256] = L"";
        GetWindowTextW(hwnd, title, 256);
        if (IsWindowVisible(hwnd) && self->m_title == title) {
            self->m_found = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalDriver* self = Active();
        if (!self) return;
        self->m_found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &ModalDriver::FindTitled,
                          reinterpret_cast<LPARAM>(self));
        if (!self->m_found) return;
        if (GetTickCount64() > self->m_deadline) {
            self->m_timedOut = true;
            EndDialog(self->m_found, -2);
            return;
        }
        if (self->m_done || self->m_busy) return;
        self->m_done = true;
        self->m_busy = true;  // the action may run a modal loop of its own
        ++self->m_runs;
        self->m_action(self->m_found);
        self->m_busy = false;
    }

    std::wstring m_title;
    std::function<void(HWND)> m_action;
    ULONGLONG m_deadline;
    UINT_PTR m_timer = 0;
    HWND m_found = nullptr;
    bool m_done = false;
    bool m_busy = false;
    bool m_timedOut = false;
    int m_runs = 0;
};
