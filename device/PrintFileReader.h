#pragma once
// Reads a print file whole: print data is only ever sent complete, so a file that cannot
// be opened, is empty, is too large to hold, or ends early or fails while it is read gives
// no data at all.

#include <cstdint>
#include <string>
#include <vector>

class PrintFileReader {
public:
    // Opens path for reading (others may read it meanwhile, not write) and fills bytes with
    // its whole content. False: bytes is left empty.
    static bool ReadWhole(const std::wstring& path, std::vector<uint8_t>* bytes);
};
