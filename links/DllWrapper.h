#pragma once
// A library loaded at run time: its path, the load rule and the release at the end. A
// derived class fetches its entry points in ResolveEntryPoints.

#include <windows.h>

#include <string>

class DllWrapper {
public:
    explicit DllWrapper(const std::wstring& path);
    virtual ~DllWrapper();
    DllWrapper(const DllWrapper&) = delete;
    DllWrapper& operator=(const DllWrapper&) = delete;

    // Loads the library and resolves its entry points once. A path without a backslash is
    // tried in the program's directory first, then by its bare name; a path with one is
    // loaded by that path only. A failure is tried again by the next call.
    bool Load();
    bool IsLoaded() const { return m_loaded; }
    bool LoadFailed() const { return m_loadFailed; }
    const std::wstring& GetErrorText() const { return m_errorText; }

protected:
    virtual bool ResolveEntryPoints() = 0;
    HMODULE Module() const { return m_module; }

private:
    std::wstring m_path;
    std::wstring m_errorText;
    HMODULE m_module = nullptr;
    bool m_loaded = false;
    bool m_loadFailed = false;
};
