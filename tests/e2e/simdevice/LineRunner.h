#pragma once
// Serves a simulated device on a pseudo-terminal line: bytes from the line are cut into
// frames and data (FrameSplitter) and handed to the model; its replies go back on the line.
// The model's clock follows real time. Bytes that arrive while the line runs at another
// rate than the device listens at are garbled on a real line: here they are dropped.
//
// Files written for the tests (each optional):
//   log    every exchange (ExchangeLog)
//   state  the device's State() after every command, replaced whole (write, then rename)
//   image  the data bytes that followed the last download start ("\x1b!g0..." or
//          "\x1b!h0..."): the firmware image as it reached the device

#include "ExchangeLog.h"
#include "FrameSplitter.h"
#include "HostDevice.h"
#include "PtyLine.h"

#include <atomic>
#include <chrono>
#include <string>

class LineRunner {
public:
    struct Files {
        std::string log;
        std::string state;
        std::string image;
    };

    LineRunner(HostDevice& device, PtyLine& line, const Files& files);

    // Serves until stop is set or seconds have passed.
    void Run(double seconds, const std::atomic<bool>& stop);

    // Idle time after which an incomplete frame is taken as data.
    static const int kIdleMs = 200;

private:
    void Handle(const FrameSplitter::Piece& piece, int baud);
    void SaveState() const;
    void AdvanceModelClock();

    HostDevice& m_device;
    PtyLine& m_line;
    Files m_files;
    ExchangeLog m_log;
    FrameSplitter m_splitter;
    bool m_imageOpen = false;
    std::chrono::steady_clock::time_point m_modelClock;
};
