#include "app/NamedMutex.h"

NamedMutex::NamedMutex(const wchar_t* name)
    : m_handle(CreateMutexW(nullptr, FALSE, name)), m_creationError(GetLastError()) {}

NamedMutex::~NamedMutex() {
    if (m_handle) CloseHandle(m_handle);
}
