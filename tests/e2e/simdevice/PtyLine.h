#pragma once
// The device's end of a serial line: a Linux pseudo-terminal whose slave Wine maps as a COM
// port. The slave stays open here for the line's whole life (so the program may open and
// close the port as often as it likes); the device reads and writes the master.
//
// Pacing: with pacing on, bytes move at the rate the program set on the port (read back
// from the slave's termios: baud, data, parity and stop bits give the time of one
// character). A received character is handed over only when its last bit would have
// arrived, and the master is read no faster than the line carries, so that the program's
// writes back up behind the line (up to the pty's own buffer, about 20 KiB). Sent bytes
// leave in slices of about 2 ms, each when its last character would be complete.

#include <chrono>
#include <string>

class PtyLine {
public:
    using Clock = std::chrono::steady_clock;

    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens the pty; false with a reason in Error() when it cannot.
    bool Open();
    const std::string& SlavePath() const { return m_slavePath; }
    const std::string& Error() const { return m_error; }

    void SetPacing(bool on) { m_pacing = on; }
    // The baud rate the program set on the line (0 when unknown).
    int LineRate() const;
    // Microseconds one character takes on the line at its present settings.
    double CharacterMicros() const;

    // Waits up to timeoutMs for received bytes; returns what arrived (paced), empty on
    // time-out.
    std::string Receive(int timeoutMs);
    // Sends the bytes (paced); false when the master cannot be written.
    bool Send(const std::string& bytes);

private:
    void SleepUntil(Clock::time_point when) const;

    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::string m_error;
    bool m_pacing = true;
    Clock::time_point m_receiveFree;  // when the receiving direction is free again
    Clock::time_point m_sendFree;     // when the sending direction is free again
};
