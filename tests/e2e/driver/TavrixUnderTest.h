#pragma once
// Tavrix.exe started and driven by a test: its main window, its message boxes and its end.
//
//     TavrixUnderTest app;
//     ASSERT_TRUE(app.Start());
//     UiWindow main = app.MainWindow(60000);      // shown once the start-up scan is over
//     EXPECT_EQ(L"...", main.Text(TavrixUnderTest::kInquiry));
//     EXPECT_TRUE(app.CloseAndWait(10000));

#include "AppProcess.h"
#include "UiWindow.h"

#include <string>

class TavrixUnderTest {
public:
    // Controls of the main window.
    enum Control {
        kInquiry = 1000,
        kStatus = 1001,
        kUpdateFirmware = 1002,
        kExit = 1003,
        kAbout = 1004,
        kPort = 1005,
        kNoCompatCheck = 1006,
        kCalibrate = 1007,
        kPrintGrid = 1008,
        kOverrideName = 1009,
        kOverrideFlag = 1010,
        kBeeps = 1012,
        kApplySettings = 1013,
        kLoaderSn = 1014,
        kPrinterSn = 1015,
        kUpdateSn = 1016,
        kDiscsPicked = 1017,
        kPrintCount = 1020,
        kRibbonCount = 1021,
        kImageCount = 1022,
        kBeepsSpin = 1023,
        kImageCountCaption = 1024,
    };

    static const wchar_t* const kMainTitle;  // "Varden Corlane"
    static const wchar_t* const kBoxTitle;   // "Tavrix", the message boxes' caption

    // Starts the program; refuses (false, the reason on stderr) while a COM port other than
    // the test's own opens (see StrayComPorts.h). After a failed start the waits below end
    // at once (the process id 0 would match every process's windows).
    bool Start(const std::wstring& arguments = std::wstring());
    AppProcess& Process() { return m_process; }

    // The main window once it is shown (the start-up scan and fill are done then).
    UiWindow MainWindow(DWORD timeoutMs);
    // A message box of the program.
    UiWindow MessageBox(DWORD timeoutMs);
    // Answers the box with the button (IDOK, IDYES, ...) and waits until it is gone.
    static bool Answer(const UiWindow& box, int button, DWORD timeoutMs = 5000);
    // Waits until the main window's control shows text.
    static bool WaitText(const UiWindow& window, int control, const std::wstring& text,
                         DWORD timeoutMs);

    // Picks the file in the program's open-file dialog with this title: types the path
    // into the dialog's file-name field and presses its Open button.
    bool ChooseFile(const std::wstring& dialogTitle, const std::wstring& path, DWORD timeoutMs);

    // Closes the main window (its close box), once it shows, and waits for the process to
    // end, all within timeoutMs.
    bool CloseAndWait(DWORD timeoutMs);
    // Every window of the process with its texts, for failure messages.
    std::string Describe() const;

private:
    AppProcess m_process;
};
