#include "AutoloaderHost.h"

#include "SimLog.h"

const int AutoloaderHost::kStoredTexts[5] = {0, 99, 100, 101, 260};

AutoloaderHost::AutoloaderHost(bool withPrinter) {
    m_model.SetLoader("VARDEN 7340", "VERSION 3.214A");
    if (withPrinter) m_model.SetPrinter("CD-R AutoPrinter", "VERSION 6.213");
    m_model.SetStoredText(0, "AL734001");
    m_model.SetStoredText(260, "PR621302");
    // First flag 0, override name shown (twice), 3 beeps, fifth flag 1.
    m_model.SetStoredText(99, "01131000");
    m_model.SetStoredText(100, "Corlane ");
    m_model.SetStoredText(101, "Lab 7340");
    // Print count, ribbon count, ITS count, discs picked (the long-form counters).
    m_model.Counters().Set('5', 12345);
    m_model.Counters().Set('7', 678);
    m_model.Counters().Set('8', 4321);
    m_model.Counters().Set('9', 98765);
}

std::string AutoloaderHost::State() const {
    std::string state = "baud=" + std::to_string(m_model.BaudRate()) + "\n";
    state += "inquiry=" + SimLog::Printable(m_model.InquiryRecord()) + "\n";
    for (int number : kStoredTexts)
        state += SimDevice::Format("text.%03d=", number) +
                 SimLog::Printable(m_model.StoredText(number)) + "\n";
    SimFlashReceiver& flash = m_model.Flash();
    state += "flash.completed=" + std::to_string(flash.Completed()) + "\n";
    state += "flash.bytes=" + std::to_string(flash.Image().size()) + "\n";
    return state;
}
