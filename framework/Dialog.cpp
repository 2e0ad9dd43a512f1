#include "framework/Dialog.h"

#include "framework/DataExchange.h"

#include <algorithm>
#include <vector>

namespace {

// The open modeless dialog windows, for the message pumps' keyboard handling.
std::vector<HWND>& ModelessWindows() {
    static std::vector<HWND> windows;
    return windows;
}

void ForgetModeless(HWND hwnd) {
    std::vector<HWND>& windows = ModelessWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), hwnd), windows.end());
}

}  // namespace

Dialog::Dialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog() {
    if (m_hWnd && !m_modal) DestroyWindow();
    // A window that outlives its object must not call into it any more.
    if (m_hWnd) SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
}

INT_PTR Dialog::DoModal() {
    m_modal = true;
    // Without a parent the active window owns the dialog, so that it is disabled meanwhile
    // (nothing of it, the close box included, can be used under the dialog).
    HWND owner = m_parent ? m_parent : GetActiveWindow();
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                     owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool Dialog::Create(HWND parent) {
    if (parent) m_parent = parent;
    m_modal = false;
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId),
                                   m_parent, DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return false;
    ModelessWindows().push_back(hwnd);
    return true;
}

void Dialog::DestroyWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void Dialog::EndDialog(INT_PTR result) {
    m_result = result;
    if (!m_hWnd) return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        DestroyWindow();
}

std::wstring Dialog::GetItemText(int id) const {
    HWND item = GetItem(id);
    int length = item ? GetWindowTextLengthW(item) : 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    if (item) text.resize(static_cast<size_t>(GetWindowTextW(item, &text[0], length + 1)));
    else text.clear();
    return text;
}

void Dialog::SetItemText(int id, const std::wstring& text) {
    SetDlgItemTextW(m_hWnd, id, text.c_str());
}

void Dialog::EnableItem(int id, bool enable) {
    HWND item = GetItem(id);
    if (item) EnableWindow(item, enable ? TRUE : FALSE);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (!m_hWnd) return false;
    DataExchange dx(m_hWnd, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool Dialog::AppendSystemMenuItem(UINT command, const std::wstring& text) {
    HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu || text.empty()) return false;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return AppendMenuW(menu, MF_STRING, command, text.c_str()) != FALSE;
}

bool Dialog::PreTranslateModeless(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (HWND hwnd : ModelessWindows()) {
        if ((msg.hwnd == hwnd || IsChild(hwnd, msg.hwnd)) && IsDialogMessageW(hwnd, &msg))
            return true;
    }
    return false;
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnClose() { OnCancel(); }

bool Dialog::OnSysCommand(UINT, LPARAM) { return false; }

bool Dialog::OnPaint() { return false; }

HICON Dialog::OnQueryDragIcon() { return nullptr; }

void Dialog::OnClicked(int id, std::function<void()> handler) {
    m_commands[{id, BN_CLICKED}] = std::move(handler);
}

void Dialog::OnSelChange(int id, std::function<void()> handler) {
    m_commands[{id, CBN_SELCHANGE}] = std::move(handler);
}

bool Dialog::HandleCommand(int id, int code) {
    auto routed = m_commands.find({id, code});
    if (routed != m_commands.end()) {
        routed->second();
        return true;
    }
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ForgetModeless(hwnd);
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return HandleCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_CLOSE:
        OnClose();
        return TRUE;
    default:
        return FALSE;
    }
}
