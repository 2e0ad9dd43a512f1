#include "device/Transporter.h"

#include "device/Sleeper.h"

// The wait until the printer has printed, polling its sense code: busy goes on, idle ends
// the print, anything else is a fault. Serves the stand-alone printer as it is and the
// autoloader's printers other than the Tolvane.

namespace {

constexpr int kPolls = 600;
constexpr int kSenseTimeoutSeconds = 60;
constexpr uint16_t kPrinterIdle = 0;
constexpr uint16_t kPrinterBusy = 2;
constexpr unsigned kBusyPauseMs = 100;
// A printer never seen busy may still be taking the job in.
constexpr unsigned kNeverBusyPauseMs = 3000;

}  // namespace

bool Transporter::WaitForPrintCompletion() {
    bool seenBusy = false;
    uint16_t printerCode = 0;  // keeps its value when a reply reports none
    for (int poll = 0; poll < kPolls; ++poll) {
        // A failed sense request is told in a text of its own, never an earlier one.
        std::string earlier;
        earlier.swap(m_lastError);
        if (!RequestSense(kSenseTimeoutSeconds, nullptr, &printerCode)) {
            m_lastError = "Print failed - " +
                          (m_lastError.empty() ? std::string("no answer from the printer")
                                               : m_lastError);
            return false;
        }
        m_lastError.swap(earlier);
        if (printerCode == kPrinterBusy) {
            seenBusy = true;
            Sleeper::Wait(kBusyPauseMs);
            continue;
        }
        if (printerCode == kPrinterIdle) {
            if (!seenBusy) Sleeper::Wait(kNeverBusyPauseMs);
            return true;
        }
        m_lastError = std::string("Print failed - ") + GetPrinterSenseText();
        return false;
    }
    m_lastError = "Timed out waiting for print completion";
    return false;
}
