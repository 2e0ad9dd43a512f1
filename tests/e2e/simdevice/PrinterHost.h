#pragma once
// The simulated stand-alone disc printer as the line runner serves it: a CD-R AutoPrinter
// at firmware 6.120 with its serial number and counters; State shows the inquiry, the
// serial number, the parameter stores and the firmware image taken.

#include "HostDevice.h"
#include "SimAutoPrinter.h"

class PrinterHost : public HostDevice {
public:
    PrinterHost();

    SimDevice& Device() override { return m_model; }
    size_t AwaitingData() const override { return m_model.AwaitingData(); }
    std::string State() const override;

private:
    Exposed<SimAutoPrinter> m_model;
};
