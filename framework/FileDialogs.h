#pragma once
// The open-file dialog, replaceable so that tests can pick the file.

#include "framework/Replaceable.h"

#include <windows.h>

#include <string>

class FileDialogs : public Replaceable<FileDialogs> {
public:
    virtual ~FileDialogs() {}
    // Lets the user choose one existing file. filterName is the text shown for the filter
    // (e.g. "Flash Files(*.bin)"), pattern what it matches (e.g. "*.bin"). True with the
    // full path in path when a file was chosen; false when the dialog was cancelled.
    virtual bool OpenFile(HWND owner, const std::wstring& title, const std::wstring& filterName,
                          const std::wstring& pattern, std::wstring& path) = 0;

    // The system's open-file dialog (explorer style).
    static FileDialogs& System();
};
