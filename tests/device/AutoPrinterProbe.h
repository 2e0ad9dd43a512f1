#pragma once
// Test view of a stand-alone printer device: its protected state made readable, and the
// simulated printer's log as one short line per step, for comparing whole sequences.

#include "SimAutoPrinterRig.h"
#include "device/AutoPrinter.h"
#include "links/UsbPrinterPool.h"

#include <string>
#include <vector>

class AutoPrinterProbe : public AutoPrinter {
public:
    using AutoPrinter::AutoPrinter;
    using AutoPrinter::m_boundUsbPort;
    using AutoPrinter::m_replyTimeoutSeconds;
    using AutoPrinter::m_usbPortCandidates;
    using AutoPrinter::m_usbPrinterMode;
    using Transporter::m_bootFirmware;
    using Transporter::m_colorPrinter;
    using Transporter::m_firmwareVersion;
    using Transporter::m_lastError;
    using Transporter::m_loaderSnWritable;
    using Transporter::m_printerFirmwareFile;
    using Transporter::m_printerSense;
    using Transporter::m_rotationOffsetSupported;

    // Gives the ports the port search took back to the process-wide pool, so that they
    // do not outlive the test's simulated USB ports.
    ~AutoPrinterProbe() override {
        for (UsbPrinterPort* port : m_usbPortCandidates) UsbPrinterPool::Instance().ReleasePort(port);
    }
};

// One line per log entry: "SetCtsTimeout=3", "sleep 500", "<ESC>!r3C r9 t20" (an exchange:
// reply length and time-out; " FAIL<code>" when the channel failed), "write <bytes>",
// "WaitForCts=1".
inline std::vector<std::string> PrinterTrace(const SimLog& log) {
    std::vector<std::string> lines;
    for (const SimLog::Entry& e : log.Entries()) {
        std::string line;
        switch (e.kind) {
        case SimLog::Kind::Exchange:
            line = SimLog::Printable(e.bytes) + " r" + std::to_string(e.replyLength) + " t" +
                   std::to_string(e.timeoutSeconds);
            if (!e.ok) line += " FAIL" + std::to_string(e.errorCode);
            break;
        case SimLog::Kind::Write:
            line = "write " + SimLog::Printable(e.bytes);
            break;
        case SimLog::Kind::Sleep:
            line = "sleep " + std::to_string(e.value);
            break;
        case SimLog::Kind::Setting:
            line = e.note + "=" + std::to_string(e.value);
            break;
        default:
            line = "other";
        }
        lines.push_back(line);
    }
    return lines;
}
