#include "SimCtsChannel.h"

bool SimCtsChannel::WaitForCts(int seconds) {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Setting;
    entry.note = "WaitForCts";
    entry.value = seconds;
    bool on = false;
    if (m_modemFailures > 0) {
        --m_modemFailures;
        Failed(ChannelError::ModemStatusFailed);
    } else if (m_printer.CtsOn()) {
        on = true;
    } else {
        m_printer.AdvanceTime(static_cast<uint64_t>(seconds < 0 ? 0 : seconds) * 1000);
        Failed(ChannelError::CtsOff);
    }
    entry.ok = on;
    entry.errorCode = on ? 0 : GetLastErrorCode();
    Log().Add(entry);
    return on;
}
