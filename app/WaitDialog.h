#pragma once
// The small modeless window "Scanning..." shown while the main window looks for a
// transporter at start-up. It shows itself when built and lives until Close.

#include "framework/Dialog.h"

#include <string>

class WaitDialog : public Dialog {
public:
    // Builds the window (no owner) and shows it.
    explicit WaitDialog(HWND parent = nullptr);
    ~WaitDialog() override;

    // Replaces the shown text.
    void SetText(const std::wstring& text);
    const std::wstring& GetText() const { return m_text; }
    // Destroys the window.
    void Close();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    std::wstring m_text;
};
