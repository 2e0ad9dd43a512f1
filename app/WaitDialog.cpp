#include "app/WaitDialog.h"

#include "app/resource.h"
#include "framework/DataExchange.h"

WaitDialog::WaitDialog(HWND parent)
    : Dialog(IDD_WAIT, parent), m_text(L"Scanning ports for transporters, please wait") {
    if (Create(nullptr)) ShowWindow(GetHwnd(), SW_SHOW);
}

WaitDialog::~WaitDialog() {}

BOOL WaitDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    SetForegroundWindow(GetHwnd());
    HWND owner = GetWindow(GetHwnd(), GW_OWNER);
    if (!owner) owner = GetDesktopWindow();
    RECT area, own;
    GetWindowRect(owner, &area);
    GetWindowRect(GetHwnd(), &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    SetWindowPos(GetHwnd(), nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void WaitDialog::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_WAIT_TEXT, m_text);
}

void WaitDialog::SetText(const std::wstring& text) {
    m_text = text;
    if (GetHwnd()) UpdateData(false);
}

void WaitDialog::Close() { DestroyWindow(); }
