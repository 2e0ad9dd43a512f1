#pragma once
// A print on the simulated autoloader's printer, told through its sense codes (pure C++
// standard library). Arm it with the printer codes that the sense requests report one
// after the other once print data has arrived; the last code then stays:
//
//     device.PrintJob().Arm({2, 2, 0});       // busy twice, then done
//     device.PrintJob().Arm({5});             // fails at once with printer code 5
//
// Print data reaches it from the model (raw bytes on the channel that are no command
// frame) or from a test that stands in for a USB printer port (Receive). The first data
// after Arm starts the job; data without an armed job is only kept.

#include <cstddef>
#include <string>
#include <vector>

class SimDevice;

class SimPrintJob {
public:
    void Arm(const std::vector<unsigned>& printerCodes);
    void Receive(SimDevice& device, const std::string& data);

    // Every print byte received, in order; whether the armed job has started.
    const std::string& Data() const { return m_data; }
    bool Started() const { return m_started; }

private:
    std::vector<unsigned> m_codes;
    bool m_armed = false;
    bool m_started = false;
    std::string m_data;
};
