#include "framework/WaitCursor.h"

WaitCursor::WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() { SetCursor(m_previous); }

void WaitCursor::Restore() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
