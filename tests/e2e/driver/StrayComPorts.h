#pragma once
// COM ports of the prefix that open as serial lines although the test did not map them.
// Wine's device manager maps the host's serial devices (/dev/ttyS0 as COM1, ...) whenever
// the prefix's services start, at times after the harness has removed every link; the
// program's scan would then talk to whatever sits there and the test would fail for a
// reason of its own. TavrixUnderTest::Start looks before each start and refuses to start
// the program.

#include <string>

class StrayComPorts {
public:
    // The highest port the program's scan opens.
    static const int kLastPort = 256;

    // Opens COM1 to COM256 as the program does, all but ownPort (the simulated device's
    // port; 0 when the run has none), reads each one's line settings and closes it.
    // Returns a message naming each port that opened and answered and what Wine says it
    // leads to, empty when none did.
    static std::string Find(int ownPort);
};
