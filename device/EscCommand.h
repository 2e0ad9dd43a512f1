#pragma once
// Escape commands: building a frame, exchanging it on a channel and reading the fixed-length
// reply. A frame is ESC, '!', a command letter, its arguments as fixed-width decimal digits
// or text, and a closing 'C' (a few carry text behind the 'C'); it has no length field and
// no checksum. The sender fixes the exact reply length and a time-out in whole seconds.
// Most replies echo the command's first bytes and carry the status in byte 4, '1' meaning
// accepted.
//
// Reply fields are always read with an explicit length: a reply buffer has no terminator.

#include <cstdint>
#include <string>

class ILoaderComm;

class EscCommand {
public:
    static constexpr int kStatusOffset = 4;
    static constexpr char kAccepted = '1';
    static constexpr int kAckLength = 6;  // the acknowledgement of most commands

    // printf-style formatting of a frame; the frame's length is the formatted text's.
    static std::string Format(const char* format, ...)
        __attribute__((format(gnu_printf, 1, 2)));

    // Sends frame on channel. With a reply buffer and replyLength > 0 the buffer is cleared
    // to zero first and exactly replyLength bytes must arrive within timeoutSeconds;
    // otherwise the frame is only sent. False: the channel failed (its code and text tell).
    static bool Transact(ILoaderComm* channel, const std::string& frame, uint8_t* reply,
                         int replyLength, int timeoutSeconds);

    // Byte 4 of a reply of at least 5 bytes is '1'.
    static bool IsAccepted(const uint8_t* reply) { return reply[kStatusOffset] == kAccepted; }
    // The replyLength bytes equal expected, which has exactly that many characters.
    static bool ReplyEquals(const uint8_t* reply, int replyLength, const char* expected);
    // The field's bytes compared with text over length bytes (no stop at a zero byte).
    static bool FieldEquals(const uint8_t* field, const char* text, int length);
    // A decimal field read like atoi, but never past length bytes: leading blanks skipped,
    // an optional sign, digits up to the first other byte; no digit gives 0. A value beyond
    // the range of int is cut to it.
    static int ParseDecimal(const uint8_t* field, int length);
    // A count field read the same way; -1 (no count) when its number lies beyond the range
    // of int: a device answers "4294967295" for a counter it does not have.
    static int ParseCount(const uint8_t* field, int length);
};
