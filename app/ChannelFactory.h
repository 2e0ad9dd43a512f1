#pragma once
// Where the main window gets its channels from. The real factory builds the serial channel
// on a COM port and the HID channel on an attached transporter; tests install their own,
// which hands out channels over a simulated device:
//
//     MyFactory fake;                           // any class derived from ChannelFactory
//     ChannelFactory::Override use(&fake);      // installed for this scope
//
// Not thread-safe: install and remove a factory while no window is connecting.

#include "framework/Replaceable.h"
#include "links/ILoaderComm.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ChannelFactory : public Replaceable<ChannelFactory> {
public:
    virtual ~ChannelFactory() {}

    // The serial channel on portPath ("\\.\COM3") at baud; null when the port can't be
    // opened (the channel that failed to open is discarded).
    virtual std::unique_ptr<ILoaderComm> OpenSerial(const std::string& portPath, int baud) = 0;
    // The serial numbers of the attached HID transporters of kHidVendorId with this
    // product id, in the system's order.
    virtual std::vector<std::wstring> ListHid(uint16_t productId) = 0;
    // The HID channel to the device listed at index with this serial number, connected;
    // null when it can't be connected.
    virtual std::unique_ptr<ILoaderComm> ConnectHid(uint16_t productId,
                                                    const std::wstring& serialNumber,
                                                    int index) = 0;

    // The factory of the real serial and HID channels.
    static ChannelFactory& System();
};
