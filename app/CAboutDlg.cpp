#include "app/CAboutDlg.h"

#include "app/TavrixApp.h"
#include "app/resource.h"
#include "framework/DataExchange.h"

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_ABOUT_LEGAL, m_legalNotice);
    DDX_Text(dx, IDC_ABOUT_DATE, m_date);
    DDX_Text(dx, IDC_ABOUT_VERSION, m_version);
}

BOOL CAboutDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_date = g_tavrixApp.GetDate();
    m_version = L"Version " + g_tavrixApp.GetFileVersion();
    m_legalNotice = g_tavrixApp.GetLegalNotice();
    UpdateData(false);
    return TRUE;
}
