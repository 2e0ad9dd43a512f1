#include "FirmwareImage.h"

#include <windows.h>

std::string FirmwareImage::Craft(size_t size, const char* version) {
    std::string image(size, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<char>(i < 512 ? i % 256 : (state >> 16) & 0xFF);
    }
    std::string identity = std::string("VARDEN 7340     ") + version;
    identity.resize(32, ' ');
    if (size >= 288) image.replace(256, 32, identity);
    if (size > 15423) image[15423] = '\0';
    return image;
}

bool FirmwareImage::Save(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}
