#pragma once
// Texts of the two sense codes a device reports: the loader's (the robot) and the printer's.
// The two lists are separate: the same number means different things in each. A code
// without a text reads "Sense = %u".

#include <string>

class SenseTexts {
public:
    // Highest printer code with a text on an autoloader and on a stand-alone printer.
    static constexpr unsigned kAutoloaderPrinterCodes = 15;
    static constexpr unsigned kStandalonePrinterCodes = 19;

    // The loader text of code, or null when it has none (0, 13, above 20).
    static const char* LoaderText(unsigned code);
    // The printer text of code when code <= highestCode, else null.
    static const char* PrinterText(unsigned code, unsigned highestCode);
    // text, or "Sense = %u" with code when text is null.
    static std::string Describe(const char* text, unsigned code);
};
