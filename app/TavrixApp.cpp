#include "app/TavrixApp.h"

#include "app/FileVersionInfo.h"
#include "app/MainDialog.h"
#include "app/NamedMutex.h"
#include "app/ServiceControl.h"
#include "device/Sleeper.h"
#include "links/SystemUtil.h"

#include <commctrl.h>

#include <cstring>

TavrixApp g_tavrixApp;

namespace {

const wchar_t* const kOwnMutex = L"Global\\Vdn_TavrixIsLaunchedMutex";
const wchar_t* const kServerMutex = L"Global\\Vdn_QvlIsLaunchedMutex";
const wchar_t* const kServiceMutex = L"Global\\Vdn_HalvexIsLaunchedMutex";
const wchar_t* const kServiceName = L"Varden_Halvex";
const DWORD kServiceStopWaitMs = 8000;

}  // namespace

TavrixApp::TavrixApp() = default;

TavrixApp::~TavrixApp() = default;

BOOL TavrixApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // The mutexes close in reverse order on every way out (newest first).
    NamedMutex own(kOwnMutex);
    if (own.IsHeldElsewhere()) {
        ShowMessage(L"Tavrix.exe is already running", MB_OK);
        return FALSE;
    }
    NamedMutex server(kServerMutex);
    if (server.IsHeldElsewhere() &&
        ShowMessage(L"Quorvel is running. You can exit it and click OK to continue.",
                    MB_OKCANCEL) != IDOK)
        return FALSE;
    NamedMutex service(kServiceMutex);
    if (service.IsHeldElsewhere()) {
        if (ShowMessage(L"The Halvex service is already running. Would you like to stop it?",
                        MB_YESNO) != IDYES)
            return FALSE;
        if (!StopHalvexService()) {
            ShowMessage(L"Failed to stop the service. Try running as an administrator", MB_OK);
            return FALSE;
        }
        Sleeper::Wait(kServiceStopWaitMs);
    }

    m_manufacturingMode = HasManufacturingSwitch(GetCommandLineA());
    ReadProgramInfo();
    SetRegistryKey(L"Varden");

    // Keyboard handling of the modeless windows while device operations pump messages.
    SetPumpMessageFilter([](MSG& message) { return AppBase::Current().PreTranslateMessage(message); });
    RunMainWindow();
    SetPumpMessageFilter(nullptr);
    return FALSE;
}

void TavrixApp::RunMainWindow() {
    MainDialog window(nullptr);
    window.DoModal();
}

bool TavrixApp::StopHalvexService() {
    ServiceControl control(SC_MANAGER_MODIFY_BOOT_CONFIG);
    if (!control.IsOpen() || !control.Open(kServiceName, false)) return false;
    return control.Stop();
}

bool TavrixApp::HasManufacturingSwitch(const char* commandLine) {
    if (!commandLine) return false;
    // Tokens are separated by blanks only; the whole line is split in place, whatever its
    // length.
    const char* p = commandLine;
    while (*p) {
        while (*p == ' ') ++p;
        const char* start = p;
        while (*p && *p != ' ') ++p;
        size_t length = static_cast<size_t>(p - start);
        if (length == 5 && (start[0] == '-' || start[0] == '/') &&
            std::strncmp(start + 1, "mfng", 4) == 0)
            return true;
    }
    return false;
}

void TavrixApp::ReadProgramInfo() {
    std::wstring path = ReadModulePath();
    FileVersionInfo version(path.c_str());
    version.GetFileVersion(m_fileVersion);
    version.GetStringValue(L"Date", m_date);
    version.GetStringValue(L"LegalCopyright", m_legalNotice);
}
