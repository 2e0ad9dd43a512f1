#pragma once
// A window of the program under test, driven from outside as a person would: its controls'
// texts and states are read, texts typed in, buttons pressed, boxes answered.
//
// Presses and selections are posted, never sent: the program runs its device work inside
// the button's handler (and opens modal boxes there), so a sent click would block the
// driver. Reads use messages with a time-out: while the program works without pumping
// messages they wait, at most kReplyMs, and then give an empty answer.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class UiWindow {
public:
    explicit UiWindow(HWND window = nullptr) : m_window(window) {}

    HWND Handle() const { return m_window; }
    bool Exists() const { return m_window && IsWindow(m_window); }
    std::wstring Title() const { return TextOf(m_window); }
    std::wstring ClassName() const;

    HWND Control(int id) const { return GetDlgItem(m_window, id); }
    std::wstring Text(int id) const { return TextOf(Control(id)); }
    bool SetText(int id, const std::wstring& text) const;
    bool Enabled(int id) const;
    bool Checked(int id) const;
    void SetChecked(int id, bool checked) const;
    int ComboSelection(int id) const;
    // Selects the item and tells the window, as a choice in the list does.
    void SelectCombo(int id, int index) const;
    // A click on the button: BN_CLICKED, posted.
    void Press(int id) const;
    // The caption's close box.
    void Close() const;

    // A message box's text (the static 0xFFFF of the standard box), else empty.
    std::wstring MessageText() const { return Text(0xFFFF); }
    // Child windows of the class, in z-order, at any depth.
    std::vector<HWND> Descendants(const wchar_t* className) const;

    // Visible top-level windows of the process (0: of every process).
    static std::vector<UiWindow> TopWindows(DWORD processId);
    // The first visible top-level window of the process (0: any) with this title ("" = any)
    // and class (null = any), waited for up to timeoutMs; an empty UiWindow when none.
    static UiWindow WaitFor(DWORD processId, const std::wstring& title, DWORD timeoutMs,
                            const wchar_t* className = nullptr);
    // A standard message box of the process with this caption (a dialog with the text
    // static; the caption tells it from the program's own dialogs).
    static UiWindow WaitForMessageBox(DWORD processId, const std::wstring& caption,
                                      DWORD timeoutMs);
    // Polls condition every 100 ms until it holds or timeoutMs passed.
    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

    static std::wstring TextOf(HWND window);

    static const UINT kReplyMs = 3000;

private:
    HWND m_window;
};
