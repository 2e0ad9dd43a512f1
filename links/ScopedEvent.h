#pragma once
// One unnamed event, made by the constructor and closed by the destructor.

#include "links/ScopedHandle.h"

class ScopedEvent {
public:
    ScopedEvent(bool manualReset, bool initialState);
    ScopedEvent(const ScopedEvent&) = delete;
    ScopedEvent& operator=(const ScopedEvent&) = delete;

    HANDLE Get() const { return m_event.Get(); }
    bool IsValid() const { return m_event.IsValid(); }

private:
    ScopedHandle m_event;
};
