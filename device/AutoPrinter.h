#pragma once
// The Transporter of a disc printer attached to the PC on its own, without an autoloader.
//
// Bodies: AutoPrinterIdentify.cpp (Identify and the kept copy of the inquiry reply); the
// class's members, constructor and operations are added beside it.

#include "device/InquiryRecord.h"
#include "device/Transporter.h"

#include <cstdint>

// The kept copy of the last inquiry reply that AutoPrinter::Identify accepted: its first 39
// bytes, zero after the bytes it was given. Read by the constructor.
constexpr int kAutoPrinterInquiryLength = InquiryRecord::kFirstReadLength;
extern uint8_t g_autoPrinterInquiry[kAutoPrinterInquiryLength];

class AutoPrinter : public Transporter {
public:
    // True when the 16 characters at offset 7 are "CD-R AutoPrinter" (this capitalisation);
    // then keeps a copy of the reply. replyLength is the number of bytes held at reply. A
    // record shorter than its own payload length, or a payload length outside 0..96, is
    // refused.
    static bool Identify(const uint8_t* reply, int replyLength, int payloadLength);
};
