#include "PtyLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

struct SpeedName {
    speed_t code;
    int baud;
};
const SpeedName kSpeeds[] = {{B1200, 1200},     {B2400, 2400},   {B4800, 4800},
                             {B9600, 9600},     {B19200, 19200}, {B38400, 38400},
                             {B57600, 57600},   {B115200, 115200}, {B230400, 230400}};

// One slice of sent or received bytes: about 2 ms of the line, at least one character.
size_t SliceBytes(double characterMicros) {
    return std::max<size_t>(1, static_cast<size_t>(2000.0 / characterMicros));
}

}  // namespace

PtyLine::PtyLine() : m_receiveFree(Clock::now()), m_sendFree(Clock::now()) {}

PtyLine::~PtyLine() {
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
}

bool PtyLine::Open() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        m_error = std::string("no pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(m_master);
    if (!name) {
        m_error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        m_error = "cannot open " + m_slavePath + ": " + std::strerror(errno);
        return false;
    }
    termios raw;
    if (tcgetattr(m_slave, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
    }
    return true;
}

int PtyLine::LineRate() const {
    termios settings;
    if (m_slave < 0 || tcgetattr(m_slave, &settings) != 0) return 0;
    speed_t speed = cfgetospeed(&settings);
    for (const SpeedName& known : kSpeeds)
        if (known.code == speed) return known.baud;
    return 0;
}

double PtyLine::CharacterMicros() const {
    termios settings;
    int rate = LineRate();
    if (rate <= 0 || tcgetattr(m_slave, &settings) != 0) return 0.0;
    int dataBits = 8;
    switch (settings.c_cflag & CSIZE) {
    case CS5: dataBits = 5; break;
    case CS6: dataBits = 6; break;
    case CS7: dataBits = 7; break;
    default: break;
    }
    int bits = 1 + dataBits + ((settings.c_cflag & PARENB) ? 1 : 0) +
               ((settings.c_cflag & CSTOPB) ? 2 : 1);
    return bits * 1e6 / rate;
}

void PtyLine::SleepUntil(Clock::time_point when) const {
    if (when > Clock::now()) std::this_thread::sleep_until(when);
}

std::string PtyLine::Receive(int timeoutMs) {
    pollfd wait{m_master, POLLIN, 0};
    int ready = poll(&wait, 1, timeoutMs);
    if (ready <= 0 || !(wait.revents & POLLIN)) {
        // POLLHUP alone: no process holds the slave besides us; nothing to read.
        if (ready > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 20)));
        return std::string();
    }
    double micros = m_pacing ? CharacterMicros() : 0.0;
    size_t limit = micros > 0.0 ? SliceBytes(micros) : 65536;
    std::string bytes(limit, '\0');
    ssize_t got = read(m_master, &bytes[0], limit);
    if (got <= 0) return std::string();
    bytes.resize(static_cast<size_t>(got));
    if (micros > 0.0) {
        // Bytes waiting since before were on the line back to back with the last slice.
        Clock::time_point start = std::max(Clock::now(), m_receiveFree);
        m_receiveFree = start + std::chrono::microseconds(
                                    static_cast<long long>(micros * bytes.size()));
        SleepUntil(m_receiveFree);
    }
    return bytes;
}

bool PtyLine::Send(const std::string& bytes) {
    double micros = m_pacing ? CharacterMicros() : 0.0;
    size_t slice = micros > 0.0 ? SliceBytes(micros) : bytes.size();
    Clock::time_point start = std::max(Clock::now(), m_sendFree);
    size_t at = 0;
    while (at < bytes.size()) {
        size_t length = std::min(slice, bytes.size() - at);
        if (micros > 0.0)
            SleepUntil(start + std::chrono::microseconds(
                                   static_cast<long long>(micros * (at + length))));
        ssize_t written = write(m_master, bytes.data() + at, length);
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        at += static_cast<size_t>(written);
    }
    if (micros > 0.0)
        m_sendFree = start + std::chrono::microseconds(static_cast<long long>(micros * at));
    return true;
}
