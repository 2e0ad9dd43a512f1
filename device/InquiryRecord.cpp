#include "device/InquiryRecord.h"

#include "device/EscCommand.h"
#include "device/Sleeper.h"

#include <cstring>

namespace {
const char kInquiryCommand[] = "\x1b!e0C";
constexpr int kSecondReadTimeoutSeconds = 3;
constexpr unsigned kPauseBeforeSecondReadMs = 500;
}  // namespace

InquiryRecord::Outcome InquiryRecord::Request(ILoaderComm* channel,
                                              uint8_t (&buffer)[kBufferLength],
                                              int firstTimeoutSeconds, int* payloadLength) {
    *payloadLength = -1;
    std::memset(buffer, 0, sizeof buffer);
    if (!EscCommand::Transact(channel, kInquiryCommand, buffer, kFirstReadLength,
                              firstTimeoutSeconds))
        return Outcome::NoReply;
    int length = PayloadLength(buffer, kFirstReadLength);
    if (length < 0) return Outcome::NoDevice;
    if (length != kLoaderPayload) {
        Sleeper::Wait(kPauseBeforeSecondReadMs);
        // The whole record, header included, is read again from the start of the buffer;
        // bytes past it keep what the first read left.
        if (!EscCommand::Transact(channel, kInquiryCommand, buffer, kHeaderLength + length,
                                  kSecondReadTimeoutSeconds))
            return Outcome::NoDevice;
    }
    *payloadLength = length;
    return Outcome::Answered;
}

int InquiryRecord::PayloadLength(const uint8_t* reply, int replyLength) {
    if (replyLength < kHeaderLength) return -1;
    int length = EscCommand::ParseDecimal(reply + 4, 3);
    return (length >= kMinPayloadLength && length <= kMaxPayloadLength) ? length : -1;
}

bool InquiryRecord::HoldsRecord(const uint8_t* reply, int replyLength, int payloadLength) {
    return reply && payloadLength >= kMinPayloadLength && payloadLength <= kMaxPayloadLength &&
           replyLength >= kHeaderLength + payloadLength;
}

void InquiryRecord::Keep(uint8_t* kept, int keptLength, const uint8_t* reply, int replyLength) {
    std::memset(kept, 0, static_cast<size_t>(keptLength));
    int count = replyLength < keptLength ? replyLength : keptLength;
    std::memcpy(kept, reply, static_cast<size_t>(count));
}

int InquiryRecord::FirmwareNumber(const uint8_t* v, bool tenThousands) {
    int number = (v[8] - '0') * 1000 + (v[10] - '0') * 100 + (v[11] - '0') * 10;
    if (v[12] >= '0' && v[12] <= '9') number += v[12] - '0';
    if (tenThousands) number += (v[7] - '0') * 10000;
    return number;
}

std::string InquiryRecord::IdentityText(const uint8_t* record) {
    const char* text = reinterpret_cast<const char*>(record + kLoaderModelOffset);
    size_t length = 0;
    while (length < static_cast<size_t>(kIdentityLength) && text[length] != 0) ++length;
    return std::string(kIdentityLength - length, ' ') + std::string(text, length);
}
