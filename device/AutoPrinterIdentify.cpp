#include "device/AutoPrinter.h"

#include "device/EscCommand.h"

#include <cstring>

uint8_t g_autoPrinterInquiry[kAutoPrinterInquiryLength];

bool AutoPrinter::Identify(const uint8_t* reply, int replyLength, int payloadLength) {
    if (!InquiryRecord::HoldsRecord(reply, replyLength, payloadLength)) return false;
    if (replyLength < InquiryRecord::kLoaderModelOffset + InquiryRecord::kFieldLength ||
        !EscCommand::FieldEquals(reply + InquiryRecord::kLoaderModelOffset, "CD-R AutoPrinter",
                                 InquiryRecord::kFieldLength))
        return false;
    InquiryRecord::Keep(g_autoPrinterInquiry, kAutoPrinterInquiryLength, reply, replyLength);
    return true;
}
