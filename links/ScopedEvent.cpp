#include "links/ScopedEvent.h"

ScopedEvent::ScopedEvent(bool manualReset, bool initialState)
    : m_event(CreateEventW(nullptr, manualReset, initialState, nullptr), nullptr) {}
