#include "device/EscCommand.h"

#include "links/ILoaderComm.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

std::string EscCommand::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

bool EscCommand::Transact(ILoaderComm* channel, const std::string& frame, uint8_t* reply,
                          int replyLength, int timeoutSeconds) {
    if (reply && replyLength > 0) std::memset(reply, 0, static_cast<size_t>(replyLength));
    return channel->Transact(reinterpret_cast<const byte*>(frame.data()),
                             static_cast<int>(frame.size()), reply, replyLength, timeoutSeconds);
}

bool EscCommand::ReplyEquals(const uint8_t* reply, int replyLength, const char* expected) {
    return std::strlen(expected) == static_cast<size_t>(replyLength) &&
           FieldEquals(reply, expected, replyLength);
}

bool EscCommand::FieldEquals(const uint8_t* field, const char* text, int length) {
    return std::memcmp(field, text, static_cast<size_t>(length)) == 0;
}

namespace {

// Held in place of a number beyond the range of int, on either side once negated.
constexpr long long kBeyondInt = static_cast<long long>(INT_MAX) + 2;

// The field's number read like atoi, never past length bytes; a number beyond the range of
// int comes back as kBeyondInt or -kBeyondInt.
long long ReadDecimalField(const uint8_t* field, int length) {
    int i = 0;
    while (i < length && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < length && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    long long value = 0;
    for (; i < length && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > kBeyondInt) value = kBeyondInt;
    }
    return negative ? -value : value;
}

}  // namespace

int EscCommand::ParseDecimal(const uint8_t* field, int length) {
    const long long value = ReadDecimalField(field, length);
    return static_cast<int>(value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value);
}

int EscCommand::ParseCount(const uint8_t* field, int length) {
    const long long value = ReadDecimalField(field, length);
    return (value > INT_MAX || value < INT_MIN) ? -1 : static_cast<int>(value);
}
