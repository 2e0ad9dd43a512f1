#pragma once
// A simulated autoloader with its printer, answering the escape commands as the device does
// (pure C++ standard library, see SimDevice.h for the injections, sense codes and clock).
//
// Commands answered, with the reply the device sends:
//   "\x1b!e0C"            inquiry: the record, 7 + payload bytes (39 alone, 71 with printer)
//   "\x1b!e1C"            sense: "\x1b!e1" loader "%03u" printer "%03u" 'C' (11 bytes)
//   "\x1b!f0C"            sense of the serially controlled Tolvane kind: "\x1b!f0" and the
//                         loader code's last digit, 'C' (6 bytes)
//   "\x1b!f0%03dC"        parameter read: "\x1b!f0", status, digit, value "%05u", 'C' (12);
//                         a parameter never set reads digit 0, value 0
//   "\x1b!f1%03d%cC"      parameter := digit; acknowledgement (6 bytes)
//   "\x1b!f2%03d%cC"      parameter flag := '1' / '0'; acknowledgement
//   "\x1b!f9%03dC" + 8    stored text := the 8 characters; acknowledgement
//   "\x1b!f:%03dC"        stored text read: "\x1b!f:", status, '0', 8 characters (14); a
//                         text never set reads as 8 blanks
//   "\x1b!b%dC"           baud rate ("11520" is 115200): "\x1b!b1C" (5 bytes), then the
//                         device listens at the new rate; an unknown rate is refused
//   "\x1b!e4", "\x1b!f3", "\x1b!f4", "\x1b!f5", "\x1b!f6", "\x1b!f7", "\x1b!g1", "\x1b!h1"
//                         acknowledgement only
//   "\x1b!a3H", "\x1b!d0C", "\x1b!d1C", "\x1b!t0C", "\x1b!s500C"
//                         no reply
//   "\x1b!g5C", "\x1b!g0<n>C", "\x1b!h0C", "\x1b!h064000C" and the image bytes: a firmware
//                         download, see SimFlashReceiver.h (Flash)
//   raw bytes that are no command frame: print data, see SimPrintJob.h (PrintJob)
//   "\x1b!d0C", "\x1b!d1C", "\x1b!a3H", "\x1b!f12603C", "\x1b!f311<n>C": the printer's
//                         drawer, colour probe and loading, see SimLoaderPrinter.h (Printer)
//   "\x1b!f;<key>C"       counter read, see SimCounters.h (Counters)
// Any other command gets no reply (the host then times out): add its answer in Respond.
// An acknowledgement is the command's first four bytes, the status ('1' accepted, '0'
// refused) and 'C'. Refused commands change nothing.

#include "SimDevice.h"
#include "SimCounters.h"
#include "SimFlashReceiver.h"
#include "SimLoaderPrinter.h"
#include "SimPrintJob.h"

#include <map>
#include <string>

class SimAutoloader : public SimDevice {
public:
    // A "VARDEN 7340     " loader at "VERSION 3.214A  " with no printer.
    SimAutoloader();

    // Fields are cut or blank-padded to 16 characters.
    void SetLoader(const std::string& model, const std::string& version);
    void SetPrinter(const std::string& model, const std::string& version);
    void RemovePrinter();
    const std::string& LoaderModel() const { return m_loaderModel; }
    const std::string& LoaderVersion() const { return m_loaderVersion; }
    // The inquiry record the device answers with.
    std::string InquiryRecord() const;

    struct Parameter {
        int digit = 0;
        unsigned value = 0;
        bool flag = false;
    };
    void SetParameter(int number, int digit, unsigned value = 0);
    Parameter GetParameter(int number) const;

    void SetStoredText(int number, const std::string& text);  // cut or padded to 8
    std::string StoredText(int number) const;

    SimFlashReceiver& Flash() { return m_flash; }
    SimPrintJob& PrintJob() { return m_printJob; }
    SimLoaderPrinter& Printer() { return m_loaderPrinter; }
    SimCounters& Counters() { return m_counters; }

protected:
    std::string Respond(const std::string& frame, bool refuse) override;
    void Absorb(const std::string& data) override;
    size_t DataExpected() const override { return m_flash.Remaining(); }

private:
    std::string Acknowledge(const std::string& frame, bool accepted) const;
    std::string ReadParameterReply(const std::string& frame, bool refuse);
    std::string BaudReply(const std::string& frame, bool refuse);

    std::string m_loaderModel;
    std::string m_loaderVersion;
    std::string m_printerModel;  // empty: no printer
    std::string m_printerVersion;
    std::map<int, Parameter> m_parameters;
    std::map<int, std::string> m_texts;
    SimFlashReceiver m_flash;
    SimPrintJob m_printJob;
    SimLoaderPrinter m_loaderPrinter;
    SimCounters m_counters;
};
