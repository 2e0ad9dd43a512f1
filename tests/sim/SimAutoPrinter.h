#pragma once
// A simulated stand-alone disc printer ("CD-R AutoPrinter"), answering the escape commands
// as the device does (pure C++ standard library; see SimDevice.h for the injections, sense
// codes and clock). Most commands have no reply: the host learns their outcome from the
// sense request that follows. A refused command changes nothing and, with the injection's
// printer sense, leaves that code for the next sense request.
//
// Commands answered, with the reply the device sends:
//   "\x1b!e0C"         inquiry: "\x1b!e0", "032", model, version (39 bytes)
//   "\x1b!r3C"         sense: "\x1b!r3", '1', printer code "%03u", 'C' (9 bytes)
//   "\x1b!f0%03dC"     parameter read: "\x1b!f0", status, digit, "%05u" value, 'C' (12)
//   "\x1b!f:C"         serial number: "\x1b!f:", status, '0', 8 characters (14)
//   "\x1b!f;%cC"       counter: "\x1b!f;", key, count, 'C': "%05llu" (11 bytes) or, on
//                      firmware 6000 and above for keys above '3', "%010llu" (16 bytes)
//   "\x1b!g0%luC"      download start: "\x1b!g01C" (6 bytes); then the image's bytes are
//                      taken as data (FlashImage)
//   "\x1b!r0C"         tray out: "\x1b!r01C" (6 bytes); the drawer opens
//   no reply:          "\x1b!a3H" (colour probe: a mono printer then reports sense 8),
//                      "\x1b!d0C" / "\x1b!d1C" (drawer out / in), "\x1b!f9C" + 8 characters
//                      (serial number), "\x1b!g1C" (store), "\x1b!m%c%03dC", "\x1b!t%dC",
//                      "\x1b!s500C", "\x1b!f311%05dC", "\x1b!f312%dC", "\x1b!f313000C"
// Raw bytes that are not frames are print data (PrintData).
//
// The printer's own USB printer port (UsbWrite): "\x1b!d0C" opens the drawer and drops the
// serial line's CTS until "\x1b!d1C" closes it; anything else is print data (UsbData).

#include "SimDevice.h"

#include <map>
#include <string>

class SimAutoPrinter : public SimDevice {
public:
    static constexpr unsigned kMonoProbeSense = 8;

    // "CD-R AutoPrinter" at "VERSION 5.210", a colour printer, parameters all 0.
    SimAutoPrinter();

    void SetVersion(const std::string& version);  // cut or blank-padded to 16
    std::string InquiryRecord() const;
    void SetColour(bool colour) { m_colour = colour; }

    void SetParameter(int number, int digit) { m_parameters[number] = digit; }
    int Parameter(int number) const;
    void SetSerialNumber(const std::string& text);  // cut or padded to 8
    const std::string& SerialNumber() const { return m_serial; }
    void SetCounter(char key, unsigned long long value) { m_counters[key] = value; }

    // What the printer received.
    const std::string& PrintData() const { return m_printData; }
    const std::string& UsbData() const { return m_usbData; }
    const std::string& FlashImage() const { return m_image; }
    int StoreCount() const { return m_stores; }
    bool DrawerOut() const { return m_drawerOut; }

    // Bytes written to the printer's own USB printer port.
    void UsbWrite(const std::string& bytes);
    // The serial line's CTS signal: off while the drawer is out after a USB "\x1b!d0C".
    bool CtsOn() const { return !m_usbDrawerOut; }

protected:
    std::string Respond(const std::string& frame, bool refuse) override;
    void Absorb(const std::string& data) override;
    size_t DataExpected() const override { return m_imageExpected; }

private:
    std::string StatusReply(const std::string& frame, bool accepted) const;
    std::string CounterReply(char key) const;
    int FirmwareNumber() const;

    std::string m_version;
    bool m_colour = true;
    std::map<int, int> m_parameters;
    std::string m_serial;
    std::map<char, unsigned long long> m_counters;
    std::string m_printData;
    std::string m_usbData;
    std::string m_image;
    size_t m_imageExpected = 0;
    int m_stores = 0;
    bool m_drawerOut = false;
    bool m_usbDrawerOut = false;
};
