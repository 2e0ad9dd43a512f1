#pragma once
// The line's log, written as it happens (each line flushed, so that a test can read it
// while the device runs). One line per event:
//   <unix time, s.us> <line baud> <kind> <byte count> <bytes, ESC as <ESC>, others <xx>>
// kinds: "rx" a command frame received, "data" bytes received as data (long runs are cut
// in the text, the count stays whole), "tx" bytes sent, "garbled" bytes received at a rate
// the device does not listen at (dropped), "note" a remark of the runner.

#include <cstdio>
#include <string>

class ExchangeLog {
public:
    ExchangeLog() {}
    ~ExchangeLog();
    ExchangeLog(const ExchangeLog&) = delete;
    ExchangeLog& operator=(const ExchangeLog&) = delete;

    // Empty path: standard error.
    bool Open(const std::string& path);
    void Add(const char* kind, int baud, const std::string& bytes);
    void Note(const std::string& text);

    // At most this many bytes of a data run are written out.
    static const size_t kDataShown = 32;

private:
    FILE* m_file = nullptr;
    bool m_own = false;
};
