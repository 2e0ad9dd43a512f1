// Start-up: the single-instance and sibling checks on real named mutexes, the service stop
// (refused for real, accepted through the service seam), the manufacturing switch, the
// version block and the About box that shows it.
#include "app/CAboutDlg.h"
#include "app/FileVersionInfo.h"
#include "app/ServiceApi.h"
#include "app/ServiceControl.h"
#include "app/TavrixApp.h"
#include "device/Sleeper.h"
#include "framework/ModalDriver.h"
#include "framework/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

const wchar_t* const kMutexes[] = {L"Global\\Vdn_TavrixIsLaunchedMutex",
                                   L"Global\\Vdn_QvlIsLaunchedMutex",
                                   L"Global\\Vdn_HalvexIsLaunchedMutex"};
const wchar_t* const kAlreadyRunning = L"Tavrix.exe is already running";
const wchar_t* const kServerQuestion =
    L"Quorvel is running. You can exit it and click OK to continue.";
const wchar_t* const kServiceQuestion =
    L"The Halvex service is already running. Would you like to stop it?";
const wchar_t* const kStopFailed = L"Failed to stop the service. Try running as an administrator";

// True when the named mutex exists (opening it reports 183).
bool MutexExists(const wchar_t* name) {
    HANDLE handle = CreateMutexW(nullptr, FALSE, name);
    bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
    if (handle) CloseHandle(handle);
    return exists;
}

// The application with its main window replaced by a note of what held at that moment.
class StartupApp : public TavrixApp {
public:
    int mainWindowRuns = 0;
    std::vector<bool> mutexesHeld;

protected:
    void RunMainWindow() override {
        ++mainWindowRuns;
        for (const wchar_t* name : kMutexes) mutexesHeld.push_back(MutexExists(name));
    }
};

class RecordingSleeper : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override { waits.push_back(milliseconds); }
    std::vector<unsigned> waits;
};

// A service manager that accepts the stop, recording every call.
class AcceptingServices : public ServiceApi {
public:
    SC_HANDLE OpenManager(DWORD access) override {
        calls.push_back("manager " + std::to_string(access));
        return reinterpret_cast<SC_HANDLE>(1);
    }
    SC_HANDLE OpenServiceByName(SC_HANDLE, const wchar_t* name, DWORD access) override {
        calls.push_back("open " + std::string(name, name + wcslen(name)) + " " +
                        std::to_string(access));
        return reinterpret_cast<SC_HANDLE>(2);
    }
    BOOL SendControl(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
        calls.push_back("control " + std::to_string(reinterpret_cast<INT_PTR>(service)) + " " +
                        std::to_string(control) + (status ? "" : " without status"));
        return TRUE;
    }
    BOOL CloseServiceObject(SC_HANDLE handle) override {
        calls.push_back("close " + std::to_string(reinterpret_cast<INT_PTR>(handle)));
        return TRUE;
    }
    std::vector<std::string> calls;
};

// Holds some of the mutexes as another copy of a program would.
class HeldMutexes {
public:
    explicit HeldMutexes(std::initializer_list<int> which) {
        for (int i : which) m_handles.push_back(CreateMutexW(nullptr, FALSE, kMutexes[i]));
    }
    ~HeldMutexes() {
        for (HANDLE handle : m_handles) CloseHandle(handle);
    }

private:
    std::vector<HANDLE> m_handles;
};

class Startup : public ::testing::Test {
protected:
    void TearDown() override {
        // Every way out closes the mutexes it took.
        for (const wchar_t* name : kMutexes) EXPECT_FALSE(MutexExists(name)) << "left open";
    }

    ScriptedMessageBoxes boxes;
    RecordingSleeper sleeper;
    Sleeper::Override useSleeper{&sleeper};
    StartupApp app;
};

TEST_F(Startup, NothingElseRunningRunsTheMainWindowHoldingAllThreeMutexes) {
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(1, app.mainWindowRuns);
    EXPECT_EQ((std::vector<bool>{true, true, true}), app.mutexesHeld);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(sleeper.waits.empty());
    EXPECT_FALSE(app.IsManufacturingMode());  // the test program runs without the switch
    EXPECT_EQ(L"1.0.0.1", app.GetFileVersion());
}

TEST_F(Startup, SecondCopyIsRefused) {
    HeldMutexes other({0});
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(0, app.mainWindowRuns);
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(kAlreadyRunning, boxes.shown[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.shown[0].type);
    EXPECT_EQ(L"app_tests", boxes.shown[0].caption);
    EXPECT_FALSE(MutexExists(kMutexes[1]));  // it stopped before the server's mutex
}

TEST_F(Startup, RunningServerAsksAndOkGoesOn) {
    HeldMutexes server({1});
    boxes.answers = {IDCANCEL};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(0, app.mainWindowRuns);
    EXPECT_EQ(std::vector<std::wstring>{kServerQuestion}, boxes.Texts());
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), boxes.shown[0].type);
    EXPECT_FALSE(MutexExists(kMutexes[0]));

    boxes.shown.clear();
    boxes.answers = {IDOK};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(1, app.mainWindowRuns);
    EXPECT_EQ(std::vector<std::wstring>{kServerQuestion}, boxes.Texts());
}

TEST_F(Startup, RunningServiceAnsweredNoEnds) {
    HeldMutexes service({2});
    boxes.answers = {IDNO};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(0, app.mainWindowRuns);
    EXPECT_EQ(std::vector<std::wstring>{kServiceQuestion}, boxes.Texts());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.shown[0].type);
}

TEST_F(Startup, ServiceStopRefusedForRealEnds) {
    // No such service here: the manager opens, the service does not.
    {
        ServiceControl control(SC_MANAGER_MODIFY_BOOT_CONFIG);
        ASSERT_TRUE(control.IsOpen());
        EXPECT_FALSE(control.Open(L"Varden_Halvex", false));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), control.GetLastErrorCode());
        EXPECT_FALSE(control.Stop());
    }
    HeldMutexes service({2});
    boxes.answers = {IDYES};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(0, app.mainWindowRuns);
    EXPECT_EQ((std::vector<std::wstring>{kServiceQuestion, kStopFailed}), boxes.Texts());
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.shown[1].type);
    EXPECT_TRUE(sleeper.waits.empty());
}

TEST_F(Startup, AcceptedServiceStopWaitsEightSecondsAndGoesOn) {
    AcceptingServices services;
    ServiceApi::Override useServices(&services);
    HeldMutexes both({1, 2});
    boxes.answers = {IDOK, IDYES};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(1, app.mainWindowRuns);
    EXPECT_EQ((std::vector<std::wstring>{kServerQuestion, kServiceQuestion}), boxes.Texts());
    EXPECT_EQ(std::vector<unsigned>{8000}, sleeper.waits);
    EXPECT_EQ((std::vector<std::string>{"manager 32", "open Varden_Halvex 48", "control 2 1",
                                        "close 2", "close 1"}),
              services.calls);
}

TEST(ManufacturingSwitch, EitherFormAnywhereAmongBlankSeparatedTokens) {
    for (const char* line : {"C:\\Tavrix\\Tavrix.exe -mfng", "Tavrix.exe /mfng",
                             "Tavrix.exe   -x  /mfng  ", "-mfng", "Tavrix.exe /mfng -other"})
        EXPECT_TRUE(TavrixApp::HasManufacturingSwitch(line)) << line;
    for (const char* line : {"Tavrix.exe", "Tavrix.exe -MFNG", "Tavrix.exe -mfngx",
                             "Tavrix.exe --mfng", "Tavrix.exe\t-mfng", "Tavrix.exe mfng",
                             "Tavrix.exe -mfn", "Tavrix.exe x-mfng", ""})
        EXPECT_FALSE(TavrixApp::HasManufacturingSwitch(line)) << line;
    EXPECT_FALSE(TavrixApp::HasManufacturingSwitch(nullptr));
    // A command line far longer than a path still has its last token looked at.
    std::string longLine = "\"C:\\" + std::string(1000, 'p') + "\\Tavrix.exe\" " +
                           std::string(500, 'a') + " /mfng";
    EXPECT_TRUE(TavrixApp::HasManufacturingSwitch(longLine.c_str()));
}

TEST(VersionBlock, ProgramInfoComesFromTheOwnFile) {
    StartupApp app;
    app.ReadProgramInfo();
    EXPECT_EQ(L"1.0.0.1", app.GetFileVersion());  // written "1, 0, 0, 1" in the block
    EXPECT_EQ(L"December 9, 2026", app.GetDate());
    EXPECT_EQ(L"Copyright (C) 2026 Varden. All rights reserved.", app.GetLegalNotice());
    ASSERT_FALSE(app.GetExeDir().empty());
    EXPECT_EQ(L'\\', app.GetExeDir().back());

    // A file without a version block gives empty texts.
    std::wstring plain = app.GetExeDir() + L"no-version.txt";
    std::ofstream(plain.c_str()) << "text";
    FileVersionInfo none(plain.c_str());
    std::wstring version = L"x", date = L"x";
    none.GetFileVersion(version);
    none.GetStringValue(L"Date", date);
    EXPECT_FALSE(none.IsValid());
    EXPECT_EQ(L"", version);
    EXPECT_EQ(L"", date);
    DeleteFileW(plain.c_str());
}

TEST(AboutBox, ShowsTheVersionBlock) {
    g_tavrixApp.ReadProgramInfo();
    std::wstring version, legal, date;
    ModalDriver driver(L"About Varden Corlane", [&](HWND box) {
        version = ModalDriver::Text(box, 1000);
        legal = ModalDriver::Text(box, 1001);
        date = ModalDriver::Text(box, 1002);
        ModalDriver::Click(box, IDOK);
    });
    CAboutDlg about;
    EXPECT_EQ(IDOK, about.DoModal());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(L"Version 1.0.0.1", version);
    EXPECT_EQ(L"Copyright (C) 2026 Varden. All rights reserved.", legal);
    EXPECT_EQ(L"December 9, 2026", date);
}

}  // namespace
