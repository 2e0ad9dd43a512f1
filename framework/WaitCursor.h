#pragma once
// The wait cursor for the life of the object; the previous cursor comes back at its end.
// Restore shows the wait cursor again after something (a message box, a pump) changed it.

#include <windows.h>

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void Restore();

private:
    HCURSOR m_previous;
};
