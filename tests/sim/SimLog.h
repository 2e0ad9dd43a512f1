#pragma once
// The simulated device's log: every exchange with the device, every raw write and read,
// every wait and every channel setting, in the order they happened. Pure C++ standard
// library.

#include <string>
#include <vector>

class SimLog {
public:
    enum class Kind {
        Exchange,  // a command and the device's reply (SimDevice::Exchange, channel Transact)
        Write,     // raw bytes written to the device (SimDevice::Feed, channel Write)
        Read,      // a raw read on the channel
        Sleep,     // a wait of the device layer (value: milliseconds)
        Setting,   // a channel setting: note names it, value holds it
        Close,     // the channel was closed
        Reopen,    // the channel was reopened (ok tells whether it worked)
    };

    struct Entry {
        Kind kind = Kind::Exchange;
        std::string bytes;        // command, raw data written, or bytes read
        int replyLength = -1;     // reply bytes the sender asked for (-1: not known)
        int timeoutSeconds = -1;  // the sender's time-out (-1: not known)
        std::string reply;        // what the device sent back (may be shorter or longer)
        bool ok = true;           // the channel's result
        int errorCode = 0;        // the channel's error code when ok is false
        long value = 0;           // Sleep: milliseconds; Setting: the value set
        std::string note;         // Setting: which one ("SetBaudRate", "SetReadTimeout", ...)
    };

    void Add(const Entry& entry) { m_entries.push_back(entry); }
    const std::vector<Entry>& Entries() const { return m_entries; }
    Entry& Back() { return m_entries.back(); }
    bool Empty() const { return m_entries.empty(); }
    void Clear() { m_entries.clear(); }

    // The commands of the Exchange entries, in order.
    std::vector<std::string> Commands() const;
    // Exchange entries whose command starts with prefix ("" = all of them).
    std::vector<Entry> Exchanges(const std::string& prefix = std::string()) const;
    int Count(const std::string& prefix) const;
    // The Sleep entries' milliseconds, in order.
    std::vector<long> Sleeps() const;
    // The Setting entries named note.
    std::vector<Entry> Settings(const std::string& note) const;
    // One line per entry, for test failure messages.
    std::string Describe() const;
    // bytes with ESC shown as "<ESC>" and other control bytes as "<xx>".
    static std::string Printable(const std::string& bytes);

private:
    std::vector<Entry> m_entries;
};
