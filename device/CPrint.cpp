#include "device/CPrint.h"

#include "device/Transporter.h"

CPrint::CPrint(Transporter* transporter) : m_transporter(transporter) {}

CPrint::~CPrint() {}

void CPrint::TakeDeviceError(const char* fallback) {
    m_lastError = m_transporter->GetErrorText();
    if (m_lastError.empty()) m_lastError = fallback;
}

bool CPrint::PrintFile(int pattern) {
    const uint8_t* data = nullptr;
    const uint32_t size = m_transporter->GetPrintGridFile(pattern, &data);
    if (size == 0 || !data) {
        m_lastError = "Print file not found";
        return false;
    }
    // The file's data stays with the device object after a failure here.
    if (!m_transporter->BeginPrintJob()) {
        TakeDeviceError("Print failed - the print job was not started");
        m_transporter->RequestSense(Transporter::kDefaultSenseTimeout, nullptr, nullptr);
        return false;
    }
    if (!m_transporter->WritePrintData(data, size)) {
        TakeDeviceError("Print failed - the print data was not sent");
        m_transporter->RequestSense(Transporter::kDefaultSenseTimeout, nullptr, nullptr);
        return false;
    }
    bool ok = m_transporter->WaitForPrintCompletion();
    if (!ok) TakeDeviceError("Print failed");
    m_transporter->ReleasePrintGridFile();
    if (ok && !m_transporter->PresentPrinterTray()) {
        TakeDeviceError("Print failed - the printer tray was not presented");
        ok = false;
    }
    return ok;
}
