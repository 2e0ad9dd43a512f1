#include "links/ScopedHandle.h"

ScopedHandle::ScopedHandle(HANDLE value, HANDLE invalidValue, CloseFunction closeFunction)
    : m_value(value), m_invalidValue(invalidValue), m_closeFunction(closeFunction) {}

ScopedHandle::~ScopedHandle() { Release(); }

void ScopedHandle::Release() {
    if (m_value != m_invalidValue && m_closeFunction != nullptr) m_closeFunction(m_value);
    m_value = nullptr;
    m_invalidValue = nullptr;
    m_closeFunction = nullptr;
}
