#include "SimDevice.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

std::string SimDevice::Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) return std::string();
    if (static_cast<size_t>(length) >= sizeof buffer) length = sizeof buffer - 1;
    return std::string(buffer, static_cast<size_t>(length));
}

void SimDevice::Refuse(const std::string& prefix, int count, int loaderSense, int printerSense) {
    m_injections.push_back(
        {Injection::Kind::Refuse, prefix, count, std::string(), loaderSense, printerSense});
}

void SimDevice::ReplyWith(const std::string& prefix, const std::string& reply, int count) {
    m_injections.push_back({Injection::Kind::Reply, prefix, count, reply, -1, -1});
}

void SimDevice::Silence(const std::string& prefix, int count) {
    m_injections.push_back({Injection::Kind::Silence, prefix, count, std::string(), -1, -1});
}

void SimDevice::SetSense(unsigned loader, unsigned printer) {
    m_loaderSense = loader;
    m_printerSense = printer;
}

void SimDevice::QueueSense(unsigned loader, unsigned printer) {
    m_senseQueue.emplace_back(loader, printer);
}

void SimDevice::NextSense() {
    if (m_senseQueue.empty()) return;
    SetSense(m_senseQueue.front().first, m_senseQueue.front().second);
    m_senseQueue.pop_front();
}

std::string SimDevice::Answer(const std::string& frame) {
    if (DataExpected() > 0) {
        Absorb(frame);
        return std::string();
    }
    for (Injection& injection : m_injections) {
        if (injection.count == 0 || frame.compare(0, injection.prefix.size(), injection.prefix))
            continue;
        if (injection.count > 0) --injection.count;
        switch (injection.kind) {
        case Injection::Kind::Silence:
            return std::string();
        case Injection::Kind::Reply:
            return injection.reply;
        case Injection::Kind::Refuse:
            if (injection.loaderSense >= 0) m_loaderSense = static_cast<unsigned>(injection.loaderSense);
            if (injection.printerSense >= 0)
                m_printerSense = static_cast<unsigned>(injection.printerSense);
            return Respond(frame, true);
        }
    }
    return Respond(frame, false);
}

std::string SimDevice::Exchange(const std::string& command, int replyLength, int timeoutSeconds) {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Exchange;
    entry.bytes = command;
    entry.replyLength = replyLength;
    entry.timeoutSeconds = timeoutSeconds;
    entry.reply = Answer(command);
    m_log.Add(entry);
    return entry.reply;
}

size_t SimDevice::FrameLength(const std::string& bytes, size_t at) {
    if (bytes.size() - at < 3 || bytes[at] != '\x1b' || bytes[at + 1] != '!') return 0;
    // Frames close with 'C'; the colour probe "\x1b!a3H" closes with 'H'.
    char terminator = bytes[at + 2] == 'a' ? 'H' : 'C';
    size_t end = bytes.find(terminator, at + 3);
    return end == std::string::npos ? bytes.size() - at : end + 1 - at;
}

std::string SimDevice::Feed(const std::string& bytes) {
    SimLog::Entry entry;
    entry.kind = SimLog::Kind::Write;
    entry.bytes = bytes;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t length = DataExpected();
        if (length > 0) {
            length = std::min(length, bytes.size() - at);
            Absorb(bytes.substr(at, length));
        } else if ((length = FrameLength(bytes, at)) > 0) {
            entry.reply += Answer(bytes.substr(at, length));
        } else {
            size_t next = bytes.find("\x1b!", at + 1);
            length = (next == std::string::npos ? bytes.size() : next) - at;
            Absorb(bytes.substr(at, length));
        }
        at += length;
    }
    m_log.Add(entry);
    return entry.reply;
}
