#pragma once
// A spin (up-down) control of a dialog, bound by DDX_Control.

#include <windows.h>

class SpinButton {
public:
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND GetHwnd() const { return m_hWnd; }
    // The values the spin runs through, lower to upper.
    void SetRange(int lower, int upper);
    void GetRange(int& lower, int& upper) const;

private:
    HWND m_hWnd = nullptr;
};
