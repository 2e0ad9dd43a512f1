#include "device/SenseTexts.h"

#include <cstdio>

namespace {

const char* const kLoaderTexts[] = {
    nullptr,                  // 0
    "Recovered",              // 1
    "Not Ready",              // 2
    "Medium Error",           // 3
    "Hardware Error",         // 4
    "Illegal Request",        // 5
    "Unit Attention(door)",   // 6
    "No Drive Detected",      // 7
    "No Carousel",            // 8
    "No Printer",             // 9
    "Carousel Failure",       // 10
    "Lift Failure",           // 11
    "DDA Failure",            // 12
    nullptr,                  // 13
    "Printer busy",           // 14
    "Host Comm Failure",      // 15
    "Prog Flash Failure",     // 16
    "Rotate Failure",         // 17
    "Mailbox failure",        // 18
    "Vellumark failure",      // 19
    "Printer Clamp failure",  // 20
};

const char* const kPrinterTexts[] = {
    "OK",                    // 0
    "Ribbon Out",            // 1
    "Printer Busy",          // 2
    "Lower Head Error",      // 3
    "Raise Head Error",      // 4
    "Drawer Home Error",     // 5
    "Drawer In Error",       // 6
    "Drawer Out Error",      // 7
    "Invalid Data",          // 8
    "Data Mismatch",         // 9
    "Invalid Left Margin",   // 10
    "No Left Margin",        // 11
    "Disc detection Error",  // 12
    "Color Change Error",    // 13
    "User Aborted",          // 14
    "Printhead Integrity",   // 15
    "Prog Flash Failure",    // 16
    "Rotate Failure",        // 17
    "Mailbox failure",       // 18
    "Vellumark failure",     // 19
};

constexpr unsigned kLoaderCount = sizeof kLoaderTexts / sizeof kLoaderTexts[0];
constexpr unsigned kPrinterCount = sizeof kPrinterTexts / sizeof kPrinterTexts[0];

}  // namespace

const char* SenseTexts::LoaderText(unsigned code) {
    return code < kLoaderCount ? kLoaderTexts[code] : nullptr;
}

const char* SenseTexts::PrinterText(unsigned code, unsigned highestCode) {
    return (code <= highestCode && code < kPrinterCount) ? kPrinterTexts[code] : nullptr;
}

std::string SenseTexts::Describe(const char* text, unsigned code) {
    if (text) return text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Sense = %u", code);
    return buffer;
}
