#include "SimAutoloader.h"

#include <cstdlib>

namespace {

std::string Field(const std::string& text, size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, ' ');
    return field;
}

bool StartsWith(const std::string& frame, const char* prefix) {
    return frame.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The three-digit number at frame[4..6]; -1 when those are not digits.
int NumberAt(const std::string& frame, size_t at) {
    if (frame.size() < at + 3) return -1;
    int number = 0;
    for (size_t i = at; i < at + 3; ++i) {
        if (frame[i] < '0' || frame[i] > '9') return -1;
        number = number * 10 + (frame[i] - '0');
    }
    return number;
}

const char* const kAcknowledged[] = {"\x1b!e4", "\x1b!f3", "\x1b!f4", "\x1b!f5",
                                     "\x1b!f6", "\x1b!f7", "\x1b!g1", "\x1b!h1"};

}  // namespace

SimAutoloader::SimAutoloader() { SetLoader("VARDEN 7340", "VERSION 3.214A"); }

void SimAutoloader::SetLoader(const std::string& model, const std::string& version) {
    m_loaderModel = Field(model, 16);
    m_loaderVersion = Field(version, 16);
}

void SimAutoloader::SetPrinter(const std::string& model, const std::string& version) {
    m_printerModel = Field(model, 16);
    m_printerVersion = Field(version, 16);
}

void SimAutoloader::RemovePrinter() {
    m_printerModel.clear();
    m_printerVersion.clear();
}

std::string SimAutoloader::InquiryRecord() const {
    std::string payload = m_loaderModel + m_loaderVersion;
    if (!m_printerModel.empty()) payload += m_printerModel + m_printerVersion;
    return Format("\x1b!e0%03u", static_cast<unsigned>(payload.size())) + payload;
}

void SimAutoloader::SetParameter(int number, int digit, unsigned value) {
    m_parameters[number].digit = digit;
    m_parameters[number].value = value;
}

SimAutoloader::Parameter SimAutoloader::GetParameter(int number) const {
    auto found = m_parameters.find(number);
    return found == m_parameters.end() ? Parameter() : found->second;
}

void SimAutoloader::SetStoredText(int number, const std::string& text) {
    m_texts[number] = Field(text, 8);
}

std::string SimAutoloader::StoredText(int number) const {
    auto found = m_texts.find(number);
    return found == m_texts.end() ? std::string(8, ' ') : found->second;
}

std::string SimAutoloader::Acknowledge(const std::string& frame, bool accepted) const {
    return frame.substr(0, 4) + (accepted ? '1' : '0') + 'C';
}

std::string SimAutoloader::ReadParameterReply(const std::string& frame, bool refuse) {
    Parameter parameter = GetParameter(NumberAt(frame, 4));
    return Format("\x1b!f0%c%c%05uC", refuse ? '0' : '1', '0' + parameter.digit,
                  parameter.value % 100000);
}

std::string SimAutoloader::BaudReply(const std::string& frame, bool refuse) {
    int rate = std::atoi(frame.substr(3, frame.size() - 4).c_str());
    if (rate == 11520) rate = 115200;
    bool known = rate == 9600 || rate == 19200 || rate == 38400 || rate == 57600 ||
                 rate == 115200;
    std::string reply = Format("\x1b!b%cC", known && !refuse ? '1' : '0');
    // The reply still goes out at the old rate.
    if (known && !refuse) SimDevice::SetBaudRate(rate);
    return reply;
}

void SimAutoloader::Absorb(const std::string& data) {
    if (!m_flash.Absorb(*this, data)) m_printJob.Receive(*this, data);
}

std::string SimAutoloader::Respond(const std::string& frame, bool refuse) {
    std::string flashReply;
    if (m_flash.Respond(*this, frame, refuse, flashReply)) return flashReply;
    std::string reply;
    if (m_loaderPrinter.Respond(*this, frame, refuse, reply)) return reply;
    if (m_counters.Respond(frame, refuse, reply)) return reply;
    if (frame == "\x1b!e0C") return InquiryRecord();
    if (frame == "\x1b!e1C") {
        NextSense();
        return Format("\x1b!e1%03u%03uC", LoaderSense() % 1000, PrinterSense() % 1000);
    }
    if (frame == "\x1b!f0C") {
        NextSense();
        return Format("\x1b!f0%uC", LoaderSense() % 10);
    }
    int number = NumberAt(frame, 4);
    if (StartsWith(frame, "\x1b!f0") && frame.size() == 8 && number >= 0)
        return ReadParameterReply(frame, refuse);
    if ((StartsWith(frame, "\x1b!f1") || StartsWith(frame, "\x1b!f2")) && frame.size() == 9 &&
        number >= 0) {
        if (!refuse) {
            if (frame[3] == '1')
                m_parameters[number].digit = frame[7] - '0';
            else
                m_parameters[number].flag = frame[7] == '1';
        }
        return Acknowledge(frame, !refuse);
    }
    if (StartsWith(frame, "\x1b!f9") && frame.size() == 16 && number >= 0 && frame[7] == 'C') {
        if (!refuse) m_texts[number] = frame.substr(8, 8);
        return Acknowledge(frame, !refuse);
    }
    if (StartsWith(frame, "\x1b!f:") && frame.size() == 8 && number >= 0)
        return Format("\x1b!f:%c0", refuse ? '0' : '1') + StoredText(number);
    if (StartsWith(frame, "\x1b!b") && frame.size() > 4 && frame.back() == 'C')
        return BaudReply(frame, refuse);
    for (const char* prefix : kAcknowledged)
        if (StartsWith(frame, prefix)) return Acknowledge(frame, !refuse);
    return std::string();  // the drawer and probe commands, and every unknown one
}
