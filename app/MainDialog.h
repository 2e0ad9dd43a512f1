#pragma once
// The program's main window (dialog 102): owns the channel to the device and the device
// object, holds every value the window shows, routes the window's commands and keeps the
// busy flag that stops a second device operation from starting while one runs.
//
// Where the bodies live: MainDialog.cpp (construction, data exchange, initialisation, the
// window's own handlers, the close and the busy rule); MainDialogConnect.cpp (connection),
// MainDialogFill.cpp (window fill), MainDialogSettings.cpp (Apply Settings, Update SN),
// MainDialogCalibrate.cpp (calibration and grid), MainDialogFirmware.cpp (firmware update).
//
// Busy rule: a device handler starts with `if (!m_transporter || m_busy) return;` (the port
// selection only tests m_busy), before it reads the window or changes anything, and holds a
// BusyScope for the whole operation instead of setting m_busy by hand. Every device handler
// also runs inside a HandlerScope: while one runs, its boxes included, no other device
// handler or port change starts, and a close asked for meanwhile is held back and carried
// out once no handler runs and no operation is busy, so the device and the channel are never
// freed or replaced under a handler.

#include "framework/Dialog.h"
#include "framework/SpinButton.h"

#include "device/Transporter.h"
#include "links/ILoaderComm.h"

#include <cstdint>
#include <memory>
#include <string>

class WaitDialog;

class MainDialog : public Dialog {
public:
    // Profile values (the application's registry profile).
    static constexpr const wchar_t* kLastGood = L"Last Good";
    static constexpr const wchar_t* kBaudRateEntry = L"Baud Rate";
    static constexpr const wchar_t* kFirstPortEntry = L"First Port";
    static constexpr const wchar_t* kComParams = L"COM Params";
    static constexpr const wchar_t* kBaudEntry = L"Baud";
    // m_baudRate before any rate has worked.
    static constexpr int kNoGoodBaudRate = 1200;

    explicit MainDialog(HWND parent = nullptr);
    ~MainDialog() override;

    bool IsBusy() const { return m_busy; }

protected:
    // Marks a handler of the window as running for its life; at its end carries out a close
    // that was asked for meanwhile, once nothing else holds it back.
    class HandlerScope {
    public:
        explicit HandlerScope(MainDialog& window);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        MainDialog& m_window;
    };

    // Sets m_busy for its life; at its end clears it and carries out a close that was asked
    // for meanwhile, once nothing else holds it back.
    class BusyScope {
    public:
        explicit BusyScope(MainDialog& window);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        MainDialog& m_window;
    };

    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter does nothing
    void OnCancel() override;  // Esc does nothing
    void OnClose() override;
    bool OnSysCommand(UINT command, LPARAM lParam) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

    // The connection made while the window opens: the start-up port scan with its wait
    // window, then the fill of the window from the device found. Called by OnInitDialog
    // before the controls are refreshed and shown.
    virtual void ConnectAtStartup();

    // The window's own handlers.
    void OnBnClickedExit();
    void OnBnClickedAbout();
    // Releases the device object, then the channel (the device points into the channel).
    void ReleaseDevice();
    // Posts the close that was held back, when no handler runs and no operation is busy.
    void CloseIfPending();

    // Device handlers (bodies with their own features).
    void OnBnClickedUpdateFirmware();  // button 1002
    void OnBnClickedCalibrate();       // button 1007
    void OnBnClickedPrintGrid();       // button 1008
    void OnBnClickedApplySettings();   // button 1013
    void OnBnClickedUpdateSn();        // button 1016
    void OnCbnSelchangePort();         // combo 1005

    // Connection and fill (bodies with the connection code).
    bool ConnectOnPort(WaitDialog* waitDialog);
    bool ConnectHid(uint16_t productId);
    bool ScanAllPorts(WaitDialog* waitDialog);
    bool IdentifyTransporter();
    void ShowTransporterInfo(bool connected);
    void PrintPattern(int pattern);

    // Settings, serial numbers and firmware update (MainDialogSettings.cpp,
    // MainDialogFirmware.cpp).
    // Asks the device to listen at 38400 baud and sets the port to it, when the line runs
    // faster. False with m_status set when the device refused or the port could not follow.
    bool LowerLineTo38400();
    // After a write the device accepted: the store in flash, the wait until the device
    // answers again and readBack; reports in m_status.
    void StoreAndSettle(void (MainDialog::*readBack)());
    void ReadBackDisplaySettings();
    void ReadBackSerialNumbers();

    HICON m_hIcon = nullptr;
    std::wstring m_inquiryId;
    std::wstring m_status;
    bool m_disableCompatCheck = false;
    std::wstring m_overrideName;
    int m_beepsOnFault = 0;
    bool m_overrideNameFlag = false;
    bool m_displayFlagD = false;
    std::wstring m_autoloaderSn;
    std::wstring m_printerSn;
    SpinButton m_beepsSpin;
    int m_portIndex = 0;
    std::wstring m_discsPicked;
    std::wstring m_printCount;
    std::wstring m_ribbonCount;
    std::wstring m_imageCount;
    // Declared channel first: members are destroyed in reverse order, the device first.
    std::unique_ptr<ILoaderComm> m_channel;
    std::unique_ptr<Transporter> m_transporter;
    int m_baudRate = kNoGoodBaudRate;
    bool m_busy = false;
    std::wstring m_portPath;
    // Device handlers running (nested ones through a message pump count each).
    int m_handlersRunning = 0;
    // A close that arrived while a handler ran or m_busy was set; carried out afterwards.
    bool m_closePending = false;
    // The last fill could not read the device's serial numbers: the fields are empty and
    // Update SN does nothing until a fill reads them.
    bool m_serialNumbersUnread = false;
};
