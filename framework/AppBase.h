#pragma once
// The application object's base: what every layer may ask of the running program without
// depending on the application itself. The device layer uses it for the program's directory
// (where its print files lie) and for its prompts:
//
//     std::wstring dir = AppBase::Current().GetExeDir();          // ends in a backslash
//     AppBase::Current().ShowMessage(L"Place a disc...", MB_OKCANCEL);
//
// The program's one application object derives from it; the latest one built is current
// while it lives. With none alive, Current() gives a default object that knows the
// program's file and has no registry key. Tests set the directory (SetExeDir), answer the
// boxes (MessageBoxes::Override) and name the registry key (SetRegistryKey) as they need.

#include <windows.h>

#include <string>

class AppBase {
public:
    AppBase();
    virtual ~AppBase();
    AppBase(const AppBase&) = delete;
    AppBase& operator=(const AppBase&) = delete;

    static AppBase& Current();

    // The program's directory with a trailing backslash (from the program's own path until
    // SetExeDir replaces it).
    const std::wstring& GetExeDir() const { return m_exeDir; }
    void SetExeDir(const std::wstring& directory);

    // Serial numbers may be edited only in manufacturing mode.
    bool IsManufacturingMode() const { return m_manufacturingMode; }
    void SetManufacturingMode(bool on) { m_manufacturingMode = on; }

    // The executable's base name ("Tavrix" for Tavrix.exe): the message boxes' caption and
    // the profile's key name.
    const std::wstring& GetAppName() const { return m_appName; }

    // Profile: integers under HKEY_CURRENT_USER\Software\<maker>\<app name>\<section>.
    // Without a maker (no SetRegistryKey) reads give the default and writes fail.
    void SetRegistryKey(const std::wstring& maker) { m_registryKey = maker; }
    int GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    bool WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const;

    // A message box captioned with the app name, owned by the active window; returns the
    // button chosen.
    int ShowMessage(const std::wstring& text, UINT type = MB_OK) const;

    // An icon resource of the program.
    HICON LoadAppIcon(int resourceId) const;

    // Offered each message of a message pump first: keyboard navigation of the open modeless
    // dialogs. True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message);

protected:
    // Re-reads the program's path: sets the directory and returns the full path.
    std::wstring ReadModulePath();

    std::wstring m_exeDir;
    bool m_manufacturingMode = false;

private:
    std::wstring SectionKey(const wchar_t* section) const;

    std::wstring m_appName;
    std::wstring m_registryKey;
    AppBase* m_previous;
};
