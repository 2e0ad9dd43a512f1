#pragma once
// The simulated autoloader with its printer, as the line runner serves it: a VARDEN 7340
// loader with a CD-R AutoPrinter printer, its serial numbers, display settings (override
// name shown, three beeps on a fault), its counters, and in State the inquiry, the stored
// texts and the firmware downloads taken whole, for the tests to check.

#include "HostDevice.h"
#include "SimAutoloader.h"

class AutoloaderHost : public HostDevice {
public:
    // withPrinter false: the loader alone.
    explicit AutoloaderHost(bool withPrinter = true);

    SimDevice& Device() override { return m_model; }
    size_t AwaitingData() const override { return m_model.AwaitingData(); }
    std::string State() const override;

    // The stored texts State shows (serial numbers, display block, override name).
    static const int kStoredTexts[5];

private:
    // Mutable: the model's accessors to its parts are not const.
    mutable Exposed<SimAutoloader> m_model;
};
