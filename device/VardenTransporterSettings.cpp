#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the serial-number, display-parameter and parameter-store operations replace this file whole.

bool VardenTransporter::GetSerialNumbers(std::string& loaderSn, std::string& printerSn) {
    loaderSn.clear();
    printerSn.clear();
    return false;
}

bool VardenTransporter::SetSerialNumbers(const std::string&, const std::string&) { return false; }

bool VardenTransporter::SetPlattorParams(const std::string&, bool, bool, bool, int) {
    return false;
}

bool VardenTransporter::GetPlattorParams(std::string&, bool&, bool&, bool&, int&) {
    return false;
}

bool VardenTransporter::UpdateFlashParameters(bool) { return false; }
