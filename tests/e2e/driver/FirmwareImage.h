#pragma once
// Firmware files made for the simulated VARDEN 7340: its identification at offset 256 with
// the major digit '3' at 280 (the device's own), every byte value in the first 512 bytes
// and pseudo-random bytes after them, and a minimum-version byte of 0 at 15423 (or none,
// in a shorter file), so that the device's file check accepts it.

#include <string>

class FirmwareImage {
public:
    static std::string Craft(size_t size, const char* version = "VERSION 3.215A  ");
    // Writes the bytes to the (Windows) path; false when it cannot.
    static bool Save(const std::wstring& path, const std::string& bytes);
};
