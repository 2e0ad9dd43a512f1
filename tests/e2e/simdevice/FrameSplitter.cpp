#include "FrameSplitter.h"

#include <algorithm>

size_t FrameSplitter::FrameLength() const {
    if (m_pending.size() < 2) return m_pending[0] == '\x1b' ? std::string::npos : 0;
    if (m_pending[0] != '\x1b' || m_pending[1] != '!') return 0;
    if (m_pending.size() < 3) return std::string::npos;
    char terminator = m_pending[2] == 'a' ? 'H' : 'C';
    size_t end = m_pending.find(terminator, 3);
    if (end == std::string::npos || end >= kLongestFrame)
        return m_pending.size() < kLongestFrame ? std::string::npos : 0;
    size_t length = end + 1;
    if (m_pending.compare(0, 4, "\x1b!f9") == 0) length += 8;
    return length <= m_pending.size() ? length : std::string::npos;
}

void FrameSplitter::Take(bool frame, size_t length, Piece& piece) {
    piece.frame = frame;
    piece.bytes = m_pending.substr(0, length);
    m_pending.erase(0, length);
}

bool FrameSplitter::Next(size_t dataExpected, bool idle, Piece& piece) {
    if (m_pending.empty()) return false;
    if (dataExpected > 0) {
        Take(false, std::min(dataExpected, m_pending.size()), piece);
        return true;
    }
    size_t length = FrameLength();
    if (length == std::string::npos && !idle) return false;
    if (length != std::string::npos && length > 0) {
        Take(true, length, piece);
        return true;
    }
    // Data up to the next frame start (or all of it, or a frame left incomplete).
    size_t next = m_pending.find("\x1b!", 1);
    Take(false, next == std::string::npos || length == std::string::npos ? m_pending.size() : next,
         piece);
    return true;
}
