#include "UiWindow.h"

namespace {

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    *result = 0;
    return window && SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                         UiWindow::kReplyMs, result) != 0;
}

struct TopSearch {
    DWORD processId;
    std::vector<UiWindow>* found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM context) {
    TopSearch* search = reinterpret_cast<TopSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((search->processId == 0 || owner == search->processId) && IsWindowVisible(window))
        search->found->push_back(UiWindow(window));
    return TRUE;
}

struct ChildSearch {
    const wchar_t* className;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    ChildSearch* search = reinterpret_cast<ChildSearch*>(context);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, search->className) == 0) search->found->push_back(window);
    return TRUE;
}

}  // namespace

std::wstring UiWindow::TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!Ask(window, WM_GETTEXTLENGTH, 0, 0, &length)) return std::wstring();
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied))
        return std::wstring();
    text.resize(copied);
    return text;
}

std::wstring UiWindow::ClassName() const {
    wchar_t name[64] = {};
    GetClassNameW(m_window, name, 64);
    return name;
}

bool UiWindow::SetText(int id, const std::wstring& text) const {
    DWORD_PTR result = 0;
    return Ask(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) &&
           result;
}

bool UiWindow::Enabled(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

bool UiWindow::Checked(int id) const {
    DWORD_PTR state = 0;
    return Ask(Control(id), BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

void UiWindow::SetChecked(int id, bool checked) const {
    DWORD_PTR result = 0;
    Ask(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, &result);
}

int UiWindow::ComboSelection(int id) const {
    DWORD_PTR index = 0;
    return Ask(Control(id), CB_GETCURSEL, 0, 0, &index) ? static_cast<int>(index) : CB_ERR;
}

void UiWindow::SelectCombo(int id, int index) const {
    DWORD_PTR result = 0;
    Ask(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0, &result);
    PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(id)));
}

void UiWindow::Press(int id) const {
    PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
}

void UiWindow::Close() const { PostMessageW(m_window, WM_CLOSE, 0, 0); }

std::vector<HWND> UiWindow::Descendants(const wchar_t* className) const {
    std::vector<HWND> found;
    ChildSearch search{className, &found};
    EnumChildWindows(m_window, CollectChild, reinterpret_cast<LPARAM>(&search));
    return found;
}

std::vector<UiWindow> UiWindow::TopWindows(DWORD processId) {
    std::vector<UiWindow> found;
    TopSearch search{processId, &found};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return found;
}

UiWindow UiWindow::WaitFor(DWORD processId, const std::wstring& title, DWORD timeoutMs,
                           const wchar_t* className) {
    UiWindow match;
    WaitUntil(
        [&] {
            for (const UiWindow& window : TopWindows(processId)) {
                if (className && window.ClassName() != className) continue;
                if (!title.empty() && window.Title() != title) continue;
                match = window;
                return true;
            }
            return false;
        },
        timeoutMs);
    return match;
}

UiWindow UiWindow::WaitForMessageBox(DWORD processId, const std::wstring& caption,
                                     DWORD timeoutMs) {
    UiWindow match;
    WaitUntil(
        [&] {
            for (const UiWindow& window : TopWindows(processId)) {
                if (window.ClassName() == L"#32770" && window.Title() == caption &&
                    window.Control(0xFFFF)) {
                    match = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return match;
}

bool UiWindow::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(100);
    }
}
