#include "framework/SpinButton.h"

#include <commctrl.h>

void SpinButton::SetRange(int lower, int upper) {
    if (m_hWnd) SendMessageW(m_hWnd, UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void SpinButton::GetRange(int& lower, int& upper) const {
    lower = upper = 0;
    if (m_hWnd)
        SendMessageW(m_hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                     reinterpret_cast<LPARAM>(&upper));
}
