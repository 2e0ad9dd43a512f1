#pragma once
// The application object: start-up (single instance, the sibling server program and
// service, the manufacturing switch, the version block, the program's directory and the
// registry root), then the main window, run modally until the program ends.
//
// `g_tavrixApp` is the one application object. The program's directory, the manufacturing
// mode, the profile and the message boxes come from the base AppBase (framework/), which is
// all the device layer sees of it.

#include "framework/AppBase.h"

#include <string>

class TavrixApp : public AppBase {
public:
    TavrixApp();
    ~TavrixApp() override;

    // The whole start-up and the main window's run; always FALSE, so that the program ends
    // when the main window closes (or at once after a refused sibling check).
    virtual BOOL InitInstance();

    const std::wstring& GetFileVersion() const { return m_fileVersion; }
    const std::wstring& GetDate() const { return m_date; }
    const std::wstring& GetLegalNotice() const { return m_legalNotice; }

    // Asks the service control manager to stop the sibling service; true when the stop
    // request was accepted.
    static bool StopHalvexService();
    // A blank-separated token of commandLine is -mfng or /mfng.
    static bool HasManufacturingSwitch(const char* commandLine);
    // Reads the version block of the program's file and records the program's directory.
    void ReadProgramInfo();

protected:
    // Runs the main window modally (the last step of start-up; the mutexes are held
    // meanwhile).
    virtual void RunMainWindow();

private:
    std::wstring m_fileVersion;
    std::wstring m_date;
    std::wstring m_legalNotice;
};

extern TavrixApp g_tavrixApp;
