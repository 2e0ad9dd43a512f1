#include "SimCounters.h"

#include "SimDevice.h"

bool SimCounters::Respond(const std::string& frame, bool refuse, std::string& reply) {
    if (frame.size() != 6 || frame.compare(0, 4, "\x1b!f;") != 0 || frame[5] != 'C')
        return false;
    const char key = frame[4];
    auto found = m_values.find(key);
    const bool known = found != m_values.end();
    const std::string echo = frame.substr(0, 5);
    if (key < '4') {
        const unsigned long long value = known ? found->second % 100000 : 0;
        reply = echo + (known && !refuse ? '1' : '0') + SimDevice::Format("%05lluC", value);
    } else {
        const unsigned long long value = known ? found->second % 10000000000ULL : 4294967295ULL;
        reply = echo + (refuse ? '0' : '1') + SimDevice::Format("%010lluC", value);
    }
    return true;
}
