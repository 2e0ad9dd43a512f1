#pragma once
// A simulated serial channel that can also wait for CTS (ICtsWaiter), as the serial channel
// does, for the stand-alone printer's USB printer-port probe. The CTS signal is the
// printer's (SimAutoPrinter::CtsOn).
//   WaitForCts(seconds)  CTS on: true at once. Off: the device's clock moves by the wait,
//                        the channel keeps 111 (CTS off) and answers false. With
//                        FailModemStatus the modem status cannot be read: 110, false.
// Each wait lands in the log as a Setting entry "WaitForCts" with the seconds.

#include "SimAutoPrinter.h"
#include "SimChannel.h"
#include "links/ICtsWaiter.h"

class SimCtsChannel : public SimChannel, public ICtsWaiter {
public:
    explicit SimCtsChannel(SimAutoPrinter& printer, int port = 3)
        : SimChannel(printer, Kind::Serial, port), m_printer(printer) {}

    // The next count waits fail to read the modem status.
    void FailModemStatus(int count = 1) { m_modemFailures = count; }

    bool WaitForCts(int seconds) override;

private:
    SimAutoPrinter& m_printer;
    int m_modemFailures = 0;
};
