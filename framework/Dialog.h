#pragma once
// A dialog built from a dialog template of the program's resources, run modally (DoModal)
// or modelessly (Create). The object is bound to its window for the window's life and gets
// its messages through the overridables below:
//
//     class MyDialog : public Dialog {
//     public:
//         MyDialog() : Dialog(IDD_MINE) { OnClicked(IDC_GO, [this] { OnGo(); }); }
//     protected:
//         void DoDataExchange(DataExchange& dx) override { DDX_Text(dx, IDC_NAME, m_name); }
//     };
//
// Defaults: OnInitDialog moves the members into the controls; Enter (IDOK) reads them back
// and ends with IDOK when that succeeds; Esc (IDCANCEL) and the close box end with IDCANCEL.
// EndDialog on a modeless dialog destroys its window. The window must be gone before the
// object is destroyed; the destructor destroys a modeless window still open.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

class DataExchange;

class Dialog {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally, owned by the parent or else by the active window; returns
    // the EndDialog result, or -1 when the window could not be made.
    INT_PTR DoModal();
    // Makes the modeless window (shown when its template says visible). False on failure.
    bool Create(HWND parent = nullptr);
    void DestroyWindow();
    void EndDialog(INT_PTR result);

    HWND GetHwnd() const { return m_hWnd; }
    HWND GetItem(int id) const { return GetDlgItem(m_hWnd, id); }
    std::wstring GetItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);
    void EnableItem(int id, bool enable);
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }

    // Data exchange: true moves the controls into the members (and checks them), false the
    // members into the controls. False when a field was refused (the user was told why).
    bool UpdateData(bool saveAndValidate = true);

    // Adds a separator and a string item with command id to the window's system menu; false
    // when the window has no system menu or the text is empty.
    bool AppendSystemMenuItem(UINT command, const std::wstring& text);

    // Keyboard navigation for the open modeless dialogs; true when msg was theirs.
    static bool PreTranslateModeless(MSG& msg);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    // WM_SYSCOMMAND: true when handled, false for the system's default handling.
    virtual bool OnSysCommand(UINT command, LPARAM lParam);
    // WM_PAINT: true when painted, false for the default painting.
    virtual bool OnPaint();
    // WM_QUERYDRAGICON: the icon to drag; null for the default.
    virtual HICON OnQueryDragIcon();

    // Routes BN_CLICKED / CBN_SELCHANGE of control id to handler.
    void OnClicked(int id, std::function<void()> handler);
    void OnSelChange(int id, std::function<void()> handler);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(int id, int code);

    UINT m_templateId;
    HWND m_parent;
    HWND m_hWnd = nullptr;
    bool m_modal = false;
    INT_PTR m_result = 0;
    std::map<std::pair<int, int>, std::function<void()>> m_commands;
};
