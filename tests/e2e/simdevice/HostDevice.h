#pragma once
// A simulated device as the line runner sees it: the model (SimDevice), how many bytes it
// takes as data right now, and a snapshot of what it keeps, for the tests to read.

#include "SimDevice.h"

#include <cstddef>
#include <string>

class HostDevice {
public:
    virtual ~HostDevice() {}
    virtual SimDevice& Device() = 0;
    // Bytes the model takes as data before it reads frames again (a firmware image).
    virtual size_t AwaitingData() const = 0;
    // What the device keeps, one "key=value" line each (values printable, see SimLog).
    virtual std::string State() const = 0;

    // Makes a model's protected data count public for the runner.
    template <class Model>
    class Exposed : public Model {
    public:
        size_t AwaitingData() const { return this->DataExpected(); }
    };
};
