#pragma once
// Base of the simulated devices: bytes in, bytes out, pure C++ standard library (no system
// calls), so that the models also build as a host program behind a virtual COM port.
//
// A model answers each command with the reply the real device sends: its exact length, its
// echo, its status byte and its data. What the host asked for (reply length, time-out) is
// only logged; a reply of another length shows up at the channel as a receive time-out or
// as stale bytes.
//
// Injections, per command prefix ("" matches every command), tried in the order they were
// added; count is how many commands they take (-1: all):
//   Refuse(prefix, count, loaderSense, printerSense)  the reply carries a refusing status and
//       the command changes nothing; sense codes >= 0 become the device's sense
//   ReplyWith(prefix, bytes, count)  the device sends exactly these bytes (short, long,
//       garbage); the command changes nothing
//   Silence(prefix, count)  the device sends nothing at all
// Sense codes: SetSense sets them; QueueSense lines up codes that the next sense requests
// report one after the other (the last one then stays).
// Time: the model has a clock in milliseconds that only AdvanceTime moves (the simulated
// sleeper and the channel's time-outs move it); models may change state with it.
// Extending: a model derives from SimDevice and answers in Respond; raw bytes that are not a
// command frame (print data, firmware images) reach Absorb; DataExpected makes the model
// take the next bytes as data whatever they hold.

#include "SimLog.h"

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

class SimDevice {
public:
    virtual ~SimDevice() {}

    // One command from the host; returns the bytes the device sends back (empty: none).
    // replyLength and timeoutSeconds are what the host asked for, only for the log.
    std::string Exchange(const std::string& command, int replyLength = -1,
                         int timeoutSeconds = -1);
    // Raw bytes from the host, without a reply expected: command frames one after the other
    // (split at their terminators) or data. Returns what the device sent back.
    std::string Feed(const std::string& bytes);

    void Refuse(const std::string& prefix, int count = 1, int loaderSense = -1,
                int printerSense = -1);
    void ReplyWith(const std::string& prefix, const std::string& reply, int count = 1);
    void Silence(const std::string& prefix, int count = 1);
    void ClearInjections() { m_injections.clear(); }

    void SetSense(unsigned loader, unsigned printer);
    void QueueSense(unsigned loader, unsigned printer);
    unsigned LoaderSense() const { return m_loaderSense; }
    unsigned PrinterSense() const { return m_printerSense; }

    // The line rate the device listens at (a serial channel at another rate garbles).
    int BaudRate() const { return m_baud; }
    void SetBaudRate(int baud) { m_baud = baud; }

    uint64_t Now() const { return m_nowMs; }
    void AdvanceTime(uint64_t milliseconds) { m_nowMs += milliseconds; }

    SimLog& Log() { return m_log; }
    const SimLog& Log() const { return m_log; }

    // Formats like printf: for building replies and frames.
    static std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

protected:
    // The model's answer to one command frame; refuse: answer with a refusing status and
    // change nothing.
    virtual std::string Respond(const std::string& frame, bool refuse) = 0;
    // Bytes that are not a command frame: print data, or the image while a firmware
    // download runs. Default: dropped.
    virtual void Absorb(const std::string& data) { (void)data; }
    // How many more bytes the model takes as data before it reads frames again (a firmware
    // image being received); 0 = frames are read.
    virtual size_t DataExpected() const { return 0; }

    // Called by the model for a sense request: takes the next queued codes, if any.
    void NextSense();

private:
    struct Injection {
        enum class Kind { Refuse, Reply, Silence } kind;
        std::string prefix;
        int count;
        std::string reply;
        int loaderSense;
        int printerSense;
    };
    std::string Answer(const std::string& frame);
    static size_t FrameLength(const std::string& bytes, size_t at);

    std::vector<Injection> m_injections;
    std::deque<std::pair<unsigned, unsigned>> m_senseQueue;
    unsigned m_loaderSense = 0;
    unsigned m_printerSense = 0;
    int m_baud = 115200;
    uint64_t m_nowMs = 0;
    SimLog m_log;
};
