#pragma once
// Data exchange between a dialog's members and its controls, one field at a time, in the
// order DoDataExchange calls the routines. When reading the controls (IsSaving) a refused
// field tells the user why (a message box), puts the focus on its control and fails the
// exchange: every routine after it does nothing, so the exchange stops at the first failed
// field. Writing never fails.

#include <windows.h>

#include <string>

class SpinButton;

class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate);

    bool IsSaving() const { return m_saving; }
    bool Failed() const { return m_failed; }
    HWND GetDialog() const { return m_dialog; }

    // The control with id (null when the dialog has none).
    HWND PrepareControl(int id);
    // Refuses control id's field: tells the user text, focuses the control, fails the rest.
    void Fail(int id, const std::wstring& text);

private:
    HWND m_dialog;
    bool m_saving;
    bool m_failed = false;
};

// Text of the control as a string. Writing sets the text only when it differs from the
// control's present text.
void DDX_Text(DataExchange& dx, int id, std::wstring& value);
// Text of the control as an integer (blanks around it allowed). Reading refuses anything
// else, or a number out of range, with "Enter an integer.".
void DDX_Text(DataExchange& dx, int id, int& value);
// A check box: true exactly when checked (the indeterminate state reads as false).
void DDX_Check(DataExchange& dx, int id, bool& value);
// A combo box's selected position; -1 when nothing is selected. Writing a position the list
// does not have leaves no selection.
void DDX_CBIndex(DataExchange& dx, int id, int& value);
// Binds a spin control to its object (once).
void DDX_Control(DataExchange& dx, int id, SpinButton& spin);
// Reading: refuses value when longer than maxChars with "Enter no more than %1 characters."
// (maxChars in place of %1), control id taking the focus.
void DDV_MaxChars(DataExchange& dx, int id, const std::wstring& value, int maxChars);
