#include "app/MainDialog.h"

#include "app/CAboutDlg.h"
#include "app/resource.h"
#include "framework/AppBase.h"
#include "framework/DataExchange.h"
#include "links/SystemUtil.h"

namespace {

const int kSerialNumberChars = 8;
const wchar_t* const kPortItems[] = {L"HID",  L"COM1", L"COM2", L"COM3", L"COM4",
                                     L"COM5", L"COM6", L"COM7", L"COM8"};

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace

MainDialog::HandlerScope::HandlerScope(MainDialog& window) : m_window(window) {
    ++m_window.m_handlersRunning;
}

MainDialog::HandlerScope::~HandlerScope() {
    --m_window.m_handlersRunning;
    m_window.CloseIfPending();
}

MainDialog::BusyScope::BusyScope(MainDialog& window) : m_window(window) { m_window.m_busy = true; }

MainDialog::BusyScope::~BusyScope() {
    // Clicks and keys that reached the window during the operation but were not dispatched
    // yet (it was sleeping or waiting on the device) are dispatched while still busy, so that
    // they change nothing and do not start an operation afterwards.
    PumpMessages();
    m_window.m_busy = false;
    m_window.CloseIfPending();
}

void MainDialog::CloseIfPending() {
    if (!m_closePending || m_busy || m_handlersRunning > 0) return;
    m_closePending = false;
    // Carried out from the window's own loop, once the handler has returned.
    if (GetHwnd()) PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
}

MainDialog::MainDialog(HWND parent) : Dialog(IDD_TAVRIX_DIALOG, parent) {
    AppBase& app = AppBase::Current();
    m_hIcon = app.LoadAppIcon(IDR_MAINFRAME);
    m_baudRate = app.GetProfileInt(kLastGood, kBaudRateEntry, kNoGoodBaudRate);
    OnClicked(IDC_EXIT, [this] { OnBnClickedExit(); });
    OnClicked(IDC_ABOUT, [this] { OnBnClickedAbout(); });
    // The device handlers hold a close back while they run (a box of theirs or a message
    // pump may dispatch one), and keep every other device handler out.
    auto holdingClose = [this](void (MainDialog::*handler)()) {
        return [this, handler] {
            // One device handler at a time: a box or a message pump of the one running must
            // not start another, nor change the port, under it.
            if (m_handlersRunning > 0) return;
            HandlerScope running(*this);
            (this->*handler)();
        };
    };
    OnClicked(IDC_UPDATE_FIRMWARE, holdingClose(&MainDialog::OnBnClickedUpdateFirmware));
    OnClicked(IDC_CALIBRATE, holdingClose(&MainDialog::OnBnClickedCalibrate));
    OnClicked(IDC_PRINT_GRID, holdingClose(&MainDialog::OnBnClickedPrintGrid));
    OnClicked(IDC_APPLY_SETTINGS, holdingClose(&MainDialog::OnBnClickedApplySettings));
    OnClicked(IDC_UPDATE_SN, holdingClose(&MainDialog::OnBnClickedUpdateSn));
    OnSelChange(IDC_PORT, holdingClose(&MainDialog::OnCbnSelchangePort));
}

MainDialog::~MainDialog() { ReleaseDevice(); }

void MainDialog::DoDataExchange(DataExchange& dx) {
    Dialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_INQUIRY_ID, m_inquiryId);
    DDX_Text(dx, IDC_STATUS, m_status);
    DDX_Check(dx, IDC_DISABLE_COMPAT_CHECK, m_disableCompatCheck);
    DDX_Text(dx, IDC_OVERRIDE_NAME, m_overrideName);
    DDX_Text(dx, IDC_BEEPS_ON_FAULT, m_beepsOnFault);
    DDX_Check(dx, IDC_OVERRIDE_NAME_FLAG, m_overrideNameFlag);
    DDX_Text(dx, IDC_AUTOLOADER_SN, m_autoloaderSn);
    DDX_Text(dx, IDC_PRINTER_SN, m_printerSn);
    DDX_Control(dx, IDC_BEEPS_SPIN, m_beepsSpin);
    // A port beyond the list's items (COM9 and up, found by a scan) shows no selection:
    // a read of the window keeps it instead of taking the empty selection as the port.
    int portSelection = m_portIndex;
    DDX_CBIndex(dx, IDC_PORT, portSelection);
    if (portSelection >= 0) m_portIndex = portSelection;
    DDX_Text(dx, IDC_DISCS_PICKED, m_discsPicked);
    DDX_Text(dx, IDC_PRINT_COUNT, m_printCount);
    DDX_Text(dx, IDC_RIBBON_COUNT, m_ribbonCount);
    DDX_Text(dx, IDC_IMAGE_COUNT, m_imageCount);
    DDV_MaxChars(dx, IDC_AUTOLOADER_SN, m_autoloaderSn, kSerialNumberChars);
    DDV_MaxChars(dx, IDC_PRINTER_SN, m_printerSn, kSerialNumberChars);
}

BOOL MainDialog::OnInitDialog() {
    // The port list (a resource script cannot carry a combo box's items).
    for (const wchar_t* item : kPortItems)
        SendDlgItemMessageW(GetHwnd(), IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    Dialog::OnInitDialog();

    AppendSystemMenuItem(IDM_ABOUTBOX, LoadResourceString(IDS_ABOUTBOX));
    SendMessageW(GetHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(GetHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    ConnectAtStartup();

    m_busy = false;
    UpdateData(false);
    SendDlgItemMessageW(GetHwnd(), IDC_AUTOLOADER_SN, EM_LIMITTEXT, kSerialNumberChars, 0);
    SendDlgItemMessageW(GetHwnd(), IDC_PRINTER_SN, EM_LIMITTEXT, kSerialNumberChars, 0);
    return TRUE;
}

void MainDialog::OnOK() {}

void MainDialog::OnCancel() {}

void MainDialog::ReleaseDevice() {
    m_transporter.reset();
    m_channel.reset();
}

void MainDialog::OnClose() {
    // Never free the device and the channel under a running handler or operation: the close
    // is held back until its scope ends.
    if (m_busy || m_handlersRunning > 0) {
        m_closePending = true;
        return;
    }
    ReleaseDevice();
    AppBase& app = AppBase::Current();
    app.WriteProfileInt(kLastGood, kBaudRateEntry, m_baudRate);
    app.WriteProfileInt(kLastGood, kFirstPortEntry, m_portIndex);
    EndDialog(IDCANCEL);
}

void MainDialog::OnBnClickedExit() { OnClose(); }

void MainDialog::OnBnClickedAbout() {
    CAboutDlg about;
    about.DoModal();
}

bool MainDialog::OnSysCommand(UINT command, LPARAM) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    OnBnClickedAbout();
    return true;
}

bool MainDialog::OnPaint() {
    if (!IsIconic()) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetHwnd(), &paint);
    SendMessageW(GetHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(GetHwnd(), &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(GetHwnd(), &paint);
    return true;
}

HICON MainDialog::OnQueryDragIcon() { return m_hIcon; }
