#pragma once
// The inquiry record: the reply to "\x1b!e0C". A 7-byte header whose bytes 4 to 6 hold the
// payload length in decimal (32 without a printer, 64 with one), then 16-character fields:
// loader model (offset 7), loader version (23) and, with a printer, printer model (39) and
// printer version (55). The record is 7 + payload length bytes; at most 103 are kept.
//
// A version field reads "VERSION", a blank (the ten-thousands digit on a "VARDEN QRX"), the
// thousands digit, '.', hundreds and tens digits, an optional units digit and, on a loader,
// the revision letter at character 13: "VERSION 3.214A" is firmware number 3214.

#include <cstdint>
#include <string>

class ILoaderComm;

class InquiryRecord {
public:
    static constexpr int kBufferLength = 103;
    static constexpr int kHeaderLength = 7;
    static constexpr int kFieldLength = 16;
    static constexpr int kLoaderModelOffset = 7;
    static constexpr int kLoaderVersionOffset = 23;
    static constexpr int kPrinterModelOffset = 39;
    static constexpr int kPrinterVersionOffset = 55;
    static constexpr int kFirstReadLength = 39;   // header and the loader fields
    static constexpr int kLoaderPayload = 32;     // no printer
    static constexpr int kPrinterPayload = 64;    // with a printer
    // Every record holds at least the loader's model and version fields.
    static constexpr int kMinPayloadLength = kLoaderPayload;
    static constexpr int kMaxPayloadLength = kBufferLength - kHeaderLength;  // 96
    static constexpr int kIdentityLength = 32;    // model and version shown as the inquiry id

    enum class Outcome {
        Answered,  // the record is in the buffer: *payloadLength + 7 bytes
        NoReply,   // the first exchange failed on the channel (its code and text tell why)
        NoDevice,  // no usable payload length, or the second exchange failed
    };

    // Clears buffer, sends the inquiry and reads 39 bytes within firstTimeoutSeconds. When
    // the payload length is not 32: waits 500 ms, sends it again and reads payload + 7
    // bytes from the start of the buffer within 3 s.
    static Outcome Request(ILoaderComm* channel, uint8_t (&buffer)[kBufferLength],
                           int firstTimeoutSeconds, int* payloadLength);

    // Payload length from bytes 4 to 6 alone; -1 when the reply is shorter than the header
    // or the length lies outside 32..96 (no device of ours on that channel).
    static int PayloadLength(const uint8_t* reply, int replyLength);

    // The reply holds a whole record: payloadLength lies in 32..96 and replyLength bytes
    // cover the header and the payload.
    static bool HoldsRecord(const uint8_t* reply, int replyLength, int payloadLength);
    // Clears the kept copy (keptLength bytes) and copies at most that many reply bytes in.
    static void Keep(uint8_t* kept, int keptLength, const uint8_t* reply, int replyLength);

    // Firmware number of a 16-character version field: thousands, hundreds and tens digits
    // (taken as bytes minus '0', not tested), the units digit when character 12 is a digit,
    // and with tenThousands the QRX's ten-thousands digit at character 7.
    static int FirmwareNumber(const uint8_t* versionField, bool tenThousands);

    // The 32 characters from offset 7 formatted with "%32.32s": ending early at a zero byte
    // and then padded with blanks on the left. record must hold at least 39 bytes.
    static std::string IdentityText(const uint8_t* record);
};
