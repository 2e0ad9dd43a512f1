#pragma once
// The About box (dialog 100): the program's version, legal notice and date, as start-up read
// them from the program's version block.

#include "framework/Dialog.h"

#include <string>

class CAboutDlg : public Dialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;

private:
    std::wstring m_legalNotice;
    std::wstring m_date;
    std::wstring m_version;
};
