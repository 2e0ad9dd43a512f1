#include "TavrixUnderTest.h"

#include "StrayComPorts.h"
#include "TestEnvironment.h"

#include <cstdio>

const wchar_t* const TavrixUnderTest::kMainTitle = L"Varden Corlane";
const wchar_t* const TavrixUnderTest::kBoxTitle = L"Tavrix";

namespace {

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

}  // namespace

bool TavrixUnderTest::Start(const std::wstring& arguments) {
    // Said on stderr: the call sites only see false.
    std::string stray = StrayComPorts::Find(TestEnvironment::ComPort());
    if (!stray.empty()) {
        std::fprintf(stderr, "not starting the program: %s\n", stray.c_str());
        std::fflush(stderr);
        return false;
    }
    return m_process.Start(TestEnvironment::Program(), arguments);
}

UiWindow TavrixUnderTest::MainWindow(DWORD timeoutMs) {
    if (!m_process.Id()) return UiWindow();
    return UiWindow::WaitFor(m_process.Id(), kMainTitle, timeoutMs, L"#32770");
}

UiWindow TavrixUnderTest::MessageBox(DWORD timeoutMs) {
    if (!m_process.Id()) return UiWindow();
    return UiWindow::WaitForMessageBox(m_process.Id(), kBoxTitle, timeoutMs);
}

bool TavrixUnderTest::Answer(const UiWindow& box, int button, DWORD timeoutMs) {
    if (!box.Exists()) return false;
    PostMessageW(box.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(box.Control(button)));
    return UiWindow::WaitUntil([&] { return !box.Exists(); }, timeoutMs);
}

bool TavrixUnderTest::WaitText(const UiWindow& window, int control, const std::wstring& text,
                               DWORD timeoutMs) {
    return UiWindow::WaitUntil([&] { return window.Text(control) == text; }, timeoutMs);
}

bool TavrixUnderTest::ChooseFile(const std::wstring& dialogTitle, const std::wstring& path,
                                 DWORD timeoutMs) {
    if (!m_process.Id()) return false;
    UiWindow dialog = UiWindow::WaitFor(m_process.Id(), dialogTitle, timeoutMs);
    if (!dialog.Exists()) return false;
    // The file-name field: the item dialog's edit (0x480), the edit in the classic dialog's
    // combo box (0x47c), else the first edit that takes input.
    HWND field = dialog.Control(0x480);
    if (!field && dialog.Control(0x47c)) field = FindWindowExW(dialog.Control(0x47c), nullptr, L"Edit", nullptr);
    if (!field) {
        for (HWND edit : dialog.Descendants(L"Edit")) {
            if (IsWindowVisible(edit) && IsWindowEnabled(edit)) {
                field = edit;
                break;
            }
        }
    }
    DWORD_PTR result = 0;
    if (!field || !SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                                       SMTO_ABORTIFHUNG, UiWindow::kReplyMs, &result))
        return false;
    dialog.Press(IDOK);
    return UiWindow::WaitUntil([&] { return !dialog.Exists(); }, timeoutMs);
}

bool TavrixUnderTest::CloseAndWait(DWORD timeoutMs) {
    // Once a box of the start-up is answered, the main window shows only a moment later.
    const ULONGLONG start = GetTickCount64();
    UiWindow main = MainWindow(timeoutMs);
    if (!main.Exists()) return false;
    main.Close();
    const ULONGLONG spent = GetTickCount64() - start;
    return m_process.WaitExit(spent < timeoutMs ? static_cast<DWORD>(timeoutMs - spent) : 0);
}

std::string TavrixUnderTest::Describe() const {
    if (!m_process.Id()) return "the program was not started\n";
    std::string text;
    for (const UiWindow& window : UiWindow::TopWindows(m_process.Id())) {
        text += "window \"" + Narrow(window.Title()) + "\" (" + Narrow(window.ClassName()) + ")\n";
        for (HWND child = GetWindow(window.Handle(), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            text += "  " + std::to_string(GetDlgCtrlID(child)) + (IsWindowEnabled(child) ? "" : " (disabled)") +
                    ": \"" + Narrow(UiWindow::TextOf(child)) + "\"\n";
        }
    }
    return text.empty() ? "no window\n" : text;
}
