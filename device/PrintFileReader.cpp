#include "device/PrintFileReader.h"

#include "framework/ReadOnlyFile.h"

#include <new>
#include <stdexcept>

bool PrintFileReader::ReadWhole(const std::wstring& path, std::vector<uint8_t>* bytes) {
    bytes->clear();
    ReadOnlyFile file;
    uint64_t length = 0;
    if (!file.Open(path) || !file.GetLength(length) || length == 0 || length > UINT32_MAX)
        return false;
    try {
        bytes->resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    uint32_t total = 0;
    while (total < length) {
        uint32_t got = 0;
        if (!file.Read(bytes->data() + total, static_cast<uint32_t>(length) - total, got) ||
            got == 0) {
            bytes->clear();
            bytes->shrink_to_fit();
            return false;
        }
        total += got;
    }
    return true;
}
