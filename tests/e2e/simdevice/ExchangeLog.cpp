#include "ExchangeLog.h"

#include "SimLog.h"

#include <cstring>
#include <ctime>

namespace {

std::string Stamp() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%06ld", static_cast<long long>(now.tv_sec),
                  now.tv_nsec / 1000);
    return text;
}

}  // namespace

ExchangeLog::~ExchangeLog() {
    if (m_own && m_file) std::fclose(m_file);
}

bool ExchangeLog::Open(const std::string& path) {
    if (path.empty()) {
        m_file = stderr;
        return true;
    }
    m_file = std::fopen(path.c_str(), "a");
    m_own = m_file != nullptr;
    return m_own;
}

void ExchangeLog::Add(const char* kind, int baud, const std::string& bytes) {
    if (!m_file) return;
    bool cut = std::strcmp(kind, "tx") != 0 && std::strcmp(kind, "rx") != 0 &&
               bytes.size() > kDataShown;
    std::string shown = SimLog::Printable(cut ? bytes.substr(0, kDataShown) : bytes);
    std::fprintf(m_file, "%s %d %s %zu %s%s\n", Stamp().c_str(), baud, kind, bytes.size(),
                 shown.c_str(), cut ? "..." : "");
    std::fflush(m_file);
}

void ExchangeLog::Note(const std::string& text) {
    if (!m_file) return;
    std::fprintf(m_file, "%s 0 note 0 %s\n", Stamp().c_str(), text.c_str());
    std::fflush(m_file);
}
