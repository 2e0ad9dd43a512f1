#include "SimSleeper.h"

void SimSleeper::Sleep(unsigned milliseconds) {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Sleep;
    entry.value = static_cast<long>(milliseconds);
    m_device.Log().Add(entry);
    m_device.AdvanceTime(milliseconds);
}
