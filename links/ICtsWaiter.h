#pragma once
// A channel that can wait for the device's CTS signal. The serial channel implements it;
// the stand-alone printer's USB printer-port probe uses it to see CTS drop.

class ICtsWaiter {
public:
    virtual ~ICtsWaiter() {}
    // True as soon as CTS is on; false when it stays off for the whole wait (or the modem
    // status cannot be read). A negative wait counts as 0: one look at the line.
    virtual bool WaitForCts(int seconds) = 0;
};
