#pragma once
// A simulated stand-alone printer wired up for in-process tests: the model, a channel over
// it (serial with the CTS wait, or HID without one), USB printer ports and the simulated
// sleeper installed for the rig's life.
//
//     SimAutoPrinterRig rig;                      // serial channel
//     rig.printer.SetVersion("VERSION 6.010");
//     int port = rig.usb.AddPort(&rig.printer);   // the printer's own USB printer port
//     auto printer = rig.Connect();               // inquiry, Identify, constructor
//     printer->Initialize();                      // then read rig.Log()
//
// Device is AutoPrinter or a test class derived from it.

#include "SimAutoPrinter.h"
#include "SimCtsChannel.h"
#include "SimSleeper.h"
#include "SimUsbPrinters.h"
#include "device/AutoPrinter.h"
#include "device/InquiryRecord.h"

#include <memory>

class SimAutoPrinterRig {
public:
    explicit SimAutoPrinterRig(SimChannel::Kind kind = SimChannel::Kind::Serial)
        : channel(kind == SimChannel::Kind::Serial
                      ? std::unique_ptr<SimChannel>(new SimCtsChannel(printer))
                      : std::unique_ptr<SimChannel>(new SimChannel(printer, kind))),
          sleeper(printer),
          use(&sleeper) {}

    // The connection step; null when the printer is not identified. The log is cleared.
    template <class Device = AutoPrinter>
    std::unique_ptr<Device> Connect() {
        uint8_t record[InquiryRecord::kBufferLength];
        int payload = -1;
        std::unique_ptr<Device> device;
        if (InquiryRecord::Request(channel.get(), record, 3, &payload) ==
                InquiryRecord::Outcome::Answered &&
            AutoPrinter::Identify(record, InquiryRecord::kHeaderLength + payload, payload))
            device.reset(new Device(channel.get()));
        printer.Log().Clear();
        return device;
    }

    SimLog& Log() { return printer.Log(); }
    // The serial channel's CTS side (null on HID).
    SimCtsChannel* Cts() { return dynamic_cast<SimCtsChannel*>(channel.get()); }

    SimAutoPrinter printer;
    SimUsbPrinters usb;
    std::unique_ptr<SimChannel> channel;
    SimSleeper sleeper;
    Sleeper::Override use;
};
