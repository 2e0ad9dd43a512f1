#include "PrinterHost.h"

#include "SimLog.h"

PrinterHost::PrinterHost() {
    m_model.SetVersion("VERSION 6.120");
    m_model.SetSerialNumber("AP612001");
    for (char key : {'1', '5'}) m_model.SetCounter(key, 2345);
    for (char key : {'2', '7'}) m_model.SetCounter(key, 189);
    for (char key : {'3', '8'}) m_model.SetCounter(key, 2101);
}

std::string PrinterHost::State() const {
    std::string state = "baud=" + std::to_string(m_model.BaudRate()) + "\n";
    state += "inquiry=" + SimLog::Printable(m_model.InquiryRecord()) + "\n";
    state += "serial=" + SimLog::Printable(m_model.SerialNumber()) + "\n";
    state += "stores=" + std::to_string(m_model.StoreCount()) + "\n";
    state += "flash.bytes=" + std::to_string(m_model.FlashImage().size()) + "\n";
    return state;
}
