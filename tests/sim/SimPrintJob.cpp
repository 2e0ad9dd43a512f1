#include "SimPrintJob.h"

#include "SimDevice.h"

void SimPrintJob::Arm(const std::vector<unsigned>& printerCodes) {
    m_codes = printerCodes;
    m_armed = true;
    m_started = false;
}

void SimPrintJob::Receive(SimDevice& device, const std::string& data) {
    m_data += data;
    if (!m_armed || data.empty()) return;
    m_armed = false;
    m_started = true;
    for (unsigned code : m_codes) device.QueueSense(device.LoaderSense(), code);
}
