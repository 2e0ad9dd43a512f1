#pragma once
// What the serial line itself costs between two moments, read from the simulated device's
// log: the time its bytes take on the wire (both directions, each character 10 bits at the
// rate it moved at: the program always sets 8 data bits, no parity, one stop bit) and the
// serial channel's 50 ms drain of stale input before each exchange that the device
// answered. A benchmark sets these beside the time an operation took.

#include <cstddef>

class LineBudget {
public:
    double transferSeconds = 0;
    size_t bytes = 0;
    int answered = 0;  // command frames the device replied to
    double drainSeconds = 0;

    // From the log lines stamped within [start, end] (Unix seconds).
    static LineBudget Between(double start, double end);

    static constexpr double kDrainSeconds = 0.050;
};
