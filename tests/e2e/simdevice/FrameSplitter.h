#pragma once
// Cuts the byte stream that arrives on the line into the pieces the device acts on: escape
// command frames (ESC '!' letter ... 'C', the colour probe closing with 'H'; the stored-text
// writes "\x1b!f9...C" carry eight characters behind their terminator) and data (firmware
// images, print data, noise). A frame split across reads waits for its rest; one whose rest
// never comes (the line fell idle) goes out as data.

#include <cstddef>
#include <string>

class FrameSplitter {
public:
    struct Piece {
        bool frame = false;  // false: data
        std::string bytes;
    };

    void Add(const std::string& bytes) { m_pending += bytes; }
    bool Empty() const { return m_pending.empty(); }

    // Takes the next piece. dataExpected: how many bytes the device takes as data now,
    // whatever they hold. idle: no byte arrived for a while, so nothing more will complete
    // a pending frame. False when no complete piece is there yet.
    bool Next(size_t dataExpected, bool idle, Piece& piece);

    // Longest frame looked for, tail included; longer runs are taken as data.
    static const size_t kLongestFrame = 40;

private:
    // Length of the frame at the start of m_pending: 0 when there is none, npos when
    // it is not complete yet.
    size_t FrameLength() const;
    void Take(bool frame, size_t length, Piece& piece);

    std::string m_pending;
};
