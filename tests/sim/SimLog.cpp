#include "SimLog.h"

#include <cstdio>

std::vector<std::string> SimLog::Commands() const {
    std::vector<std::string> commands;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::Exchange) commands.push_back(e.bytes);
    return commands;
}

std::vector<SimLog::Entry> SimLog::Exchanges(const std::string& prefix) const {
    std::vector<Entry> found;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::Exchange && e.bytes.compare(0, prefix.size(), prefix) == 0)
            found.push_back(e);
    return found;
}

int SimLog::Count(const std::string& prefix) const {
    return static_cast<int>(Exchanges(prefix).size());
}

std::vector<long> SimLog::Sleeps() const {
    std::vector<long> sleeps;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::Sleep) sleeps.push_back(e.value);
    return sleeps;
}

std::vector<SimLog::Entry> SimLog::Settings(const std::string& note) const {
    std::vector<Entry> found;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::Setting && e.note == note) found.push_back(e);
    return found;
}

std::string SimLog::Printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == 0x1b) {
            text += "<ESC>";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02x>", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string SimLog::Describe() const {
    static const char* const kNames[] = {"exchange", "write", "read",  "sleep",
                                         "setting",  "close", "reopen"};
    std::string text;
    for (const Entry& e : m_entries) {
        text += kNames[static_cast<int>(e.kind)];
        text += ' ';
        if (e.kind == Kind::Sleep) {
            text += std::to_string(e.value) + " ms";
        } else if (e.kind == Kind::Setting) {
            text += e.note + " " + std::to_string(e.value);
        } else {
            text += Printable(e.bytes);
            if (e.kind == Kind::Exchange)
                text += " [" + std::to_string(e.replyLength) + " bytes, " +
                        std::to_string(e.timeoutSeconds) + " s] -> " + Printable(e.reply);
        }
        if (!e.ok) text += " FAILED " + std::to_string(e.errorCode);
        text += '\n';
    }
    return text;
}
