#pragma once
// The device layer's sleeper for tests over a simulated device: a wait returns at once,
// moves the device's clock and lands in its log as a Sleep entry.
//
//     SimSleeper sleeper(device);
//     Sleeper::Override use(&sleeper);

#include "SimDevice.h"
#include "device/Sleeper.h"

class SimSleeper : public Sleeper {
public:
    explicit SimSleeper(SimDevice& device) : m_device(device) {}
    void Sleep(unsigned milliseconds) override;

private:
    SimDevice& m_device;
};
