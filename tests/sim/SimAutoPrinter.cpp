#include "SimAutoPrinter.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kFieldLength = 16;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::string(prefix).size(), prefix) == 0;
}

std::string Field(const std::string& text, size_t length) {
    std::string field = text.substr(0, length);
    field.resize(length, ' ');
    return field;
}

}  // namespace

SimAutoPrinter::SimAutoPrinter() : m_serial(8, ' ') { SetVersion("VERSION 5.210"); }

void SimAutoPrinter::SetVersion(const std::string& version) {
    m_version = Field(version, kFieldLength);
}

std::string SimAutoPrinter::InquiryRecord() const {
    return std::string("\x1b!e0") + "032" + Field("CD-R AutoPrinter", kFieldLength) + m_version;
}

int SimAutoPrinter::Parameter(int number) const {
    auto found = m_parameters.find(number);
    return found == m_parameters.end() ? 0 : found->second;
}

void SimAutoPrinter::SetSerialNumber(const std::string& text) { m_serial = Field(text, 8); }

int SimAutoPrinter::FirmwareNumber() const {
    int number = (m_version[8] - '0') * 1000 + (m_version[10] - '0') * 100 +
                 (m_version[11] - '0') * 10;
    if (m_version[12] >= '0' && m_version[12] <= '9') number += m_version[12] - '0';
    return number;
}

std::string SimAutoPrinter::StatusReply(const std::string& frame, bool accepted) const {
    return frame.substr(0, 4) + (accepted ? '1' : '0') + 'C';
}

std::string SimAutoPrinter::CounterReply(char key) const {
    auto found = m_counters.find(key);
    unsigned long long value = found == m_counters.end() ? 0 : found->second;
    bool longReply = FirmwareNumber() >= 6000 && key > '3';
    return std::string("\x1b!f;") + key +
           Format(longReply ? "%010llu" : "%05llu", value) + 'C';
}

std::string SimAutoPrinter::Respond(const std::string& frame, bool refuse) {
    if (frame == "\x1b!e0C") return InquiryRecord();
    if (frame == "\x1b!r3C") {
        NextSense();
        return Format("\x1b!r31%03uC", PrinterSense() % 1000);
    }
    if (StartsWith(frame, "\x1b!f0") && frame.size() == 8 && frame[7] == 'C') {
        int number = std::atoi(frame.substr(4, 3).c_str());
        return Format("\x1b!f0%c%d%05uC", refuse ? '0' : '1', Parameter(number) % 10, 0u);
    }
    if (frame == "\x1b!f:C") return Format("\x1b!f:%c0", refuse ? '0' : '1') + m_serial;
    if (StartsWith(frame, "\x1b!f;") && frame.size() == 6) return CounterReply(frame[4]);
    if (StartsWith(frame, "\x1b!f9C") && frame.size() == 13) {
        if (!refuse) m_serial = frame.substr(5);
        return std::string();
    }
    if (StartsWith(frame, "\x1b!g0") && frame.back() == 'C') {
        if (!refuse) {
            m_image.clear();
            m_imageExpected = std::strtoul(frame.substr(4).c_str(), nullptr, 10);
        }
        return StatusReply(frame, !refuse);
    }
    if (frame == "\x1b!r0C") {
        if (!refuse) m_drawerOut = true;
        return StatusReply(frame, !refuse);
    }
    if (refuse) return std::string();
    if (frame == "\x1b!a3H") {
        if (!m_colour) SetSense(0, kMonoProbeSense);
    } else if (frame == "\x1b!d0C" || frame == "\x1b!d1C") {
        m_drawerOut = frame[3] == '0';
    } else if (frame == "\x1b!g1C") {
        ++m_stores;
    }
    return std::string();  // the reply-less commands and every unknown one
}

void SimAutoPrinter::Absorb(const std::string& data) {
    if (m_imageExpected == 0) {
        m_printData += data;
        return;
    }
    size_t taken = std::min(m_imageExpected, data.size());
    m_image += data.substr(0, taken);
    m_imageExpected -= taken;
}

void SimAutoPrinter::UsbWrite(const std::string& bytes) {
    if (bytes == "\x1b!d0C" || bytes == "\x1b!d1C") {
        m_usbDrawerOut = bytes[3] == '0';
        m_drawerOut = m_usbDrawerOut;
    } else {
        m_usbData += bytes;
    }
}
