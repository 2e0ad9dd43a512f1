#include "LineRunner.h"

#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

bool WriteFile(const std::string& path, const std::string& text, const char* mode) {
    FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

bool IsDownloadStart(const std::string& frame) {
    return frame.compare(0, 4, "\x1b!g0") == 0 || frame.compare(0, 4, "\x1b!h0") == 0;
}

}  // namespace

LineRunner::LineRunner(HostDevice& device, PtyLine& line, const Files& files)
    : m_device(device), m_line(line), m_files(files), m_modelClock(Clock::now()) {
    m_log.Open(files.log);
    SaveState();
}

void LineRunner::AdvanceModelClock() {
    Clock::time_point now = Clock::now();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_modelClock);
    if (elapsed.count() <= 0) return;
    m_device.Device().AdvanceTime(static_cast<uint64_t>(elapsed.count()));
    m_modelClock += elapsed;
}

void LineRunner::SaveState() const {
    if (m_files.state.empty()) return;
    std::string fresh = m_files.state + ".new";
    if (WriteFile(fresh, m_device.State(), "w")) std::rename(fresh.c_str(), m_files.state.c_str());
}

void LineRunner::Handle(const FrameSplitter::Piece& piece, int baud) {
    SimDevice& device = m_device.Device();
    std::string reply;
    if (piece.frame) {
        m_log.Add("rx", baud, piece.bytes);
        if (IsDownloadStart(piece.bytes) && !m_files.image.empty())
            m_imageOpen = WriteFile(m_files.image, std::string(), "w");
        else
            m_imageOpen = false;
        reply = device.Exchange(piece.bytes);
    } else {
        m_log.Add("data", baud, piece.bytes);
        if (m_imageOpen) WriteFile(m_files.image, piece.bytes, "a");
        reply = device.Feed(piece.bytes);
    }
    if (!reply.empty()) {
        m_log.Add("tx", m_line.LineRate(), reply);
        if (!m_line.Send(reply)) m_log.Note("the line cannot be written");
    }
    if (piece.frame) SaveState();
}

void LineRunner::Run(double seconds, const std::atomic<bool>& stop) {
    Clock::time_point end =
        Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    Clock::time_point lastByte = Clock::now();
    m_log.Note("serving " + m_line.SlavePath());
    while (!stop && Clock::now() < end) {
        bool pending = !m_splitter.Empty();
        std::string bytes = m_line.Receive(pending ? 20 : 100);
        AdvanceModelClock();
        if (!bytes.empty()) {
            int baud = m_line.LineRate();
            if (baud != 0 && baud != m_device.Device().BaudRate()) {
                m_log.Add("garbled", baud, bytes);
                continue;
            }
            m_splitter.Add(bytes);
            lastByte = Clock::now();
        }
        bool idle = Clock::now() - lastByte > std::chrono::milliseconds(kIdleMs);
        FrameSplitter::Piece piece;
        while (m_splitter.Next(m_device.AwaitingData(), idle, piece))
            Handle(piece, m_line.LineRate());
    }
    m_log.Note("stopped");
}
