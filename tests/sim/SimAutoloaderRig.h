#pragma once
// A simulated autoloader wired up for in-process tests: the model, a channel over it and the
// simulated sleeper installed for the rig's life.
//
//     SimAutoloaderRig rig;                       // serial channel, COM3, 115200 baud
//     rig.device.SetPrinter("TOLVANE", "XJQN22");
//     auto loader = rig.Connect();                // inquiry, Identify, constructor
//     rig.device.Refuse("\x1b!f1260", 1, 0, 15);  // then drive loader and read rig.Log()

// windows.h makes SetPrinter a macro (a printer-spooler call); it is included first here and
// the macro dropped, so that the simulated device's SetPrinter keeps its name in every test
// that includes this header, whatever it includes after it.
#include <windows.h>
#undef SetPrinter

#include "SimAutoloader.h"
#include "SimChannel.h"
#include "SimSleeper.h"
#include "device/InquiryRecord.h"
#include "device/VardenTransporter.h"

#include <memory>

class SimAutoloaderRig {
public:
    explicit SimAutoloaderRig(SimChannel::Kind kind = SimChannel::Kind::Serial)
        : channel(device, kind), sleeper(device), use(&sleeper) {}

    // The connection step: the inquiry on the channel, VardenTransporter::Identify and the
    // constructor. Null when the device is not identified. The log is cleared afterwards.
    // Device is VardenTransporter or a test class derived from it.
    template <class Device = VardenTransporter>
    std::unique_ptr<Device> Connect() {
        uint8_t record[InquiryRecord::kBufferLength];
        int payload = -1;
        std::unique_ptr<Device> loader;
        if (InquiryRecord::Request(&channel, record, 3, &payload) ==
                InquiryRecord::Outcome::Answered &&
            VardenTransporter::Identify(record, InquiryRecord::kHeaderLength + payload, payload))
            loader.reset(new Device(&channel));
        device.Log().Clear();
        return loader;
    }

    SimLog& Log() { return device.Log(); }

    SimAutoloader device;
    SimChannel channel;
    SimSleeper sleeper;
    Sleeper::Override use;
};
