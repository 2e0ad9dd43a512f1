#pragma once
// Every message box of the program goes through here, so that tests can answer them.
// Callers normally use AppBase::ShowMessage, which adds the application's caption.

#include "framework/Replaceable.h"

#include <windows.h>

#include <string>

class MessageBoxes : public Replaceable<MessageBoxes> {
public:
    virtual ~MessageBoxes() {}
    // Shows text under caption with the MB_* type and returns the button chosen (IDOK,
    // IDCANCEL, IDYES, IDNO...).
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
                     UINT type) = 0;

    // The system's standard message box.
    static MessageBoxes& System();
};
