#include "framework/ReadOnlyFile.h"

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::Failed() {
    m_lastError = GetLastError();
    return false;
}

bool ReadOnlyFile::Open(const std::wstring& path) {
    Close();
    m_handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen() || Failed();
}

void ReadOnlyFile::Close() {
    if (IsOpen()) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

bool ReadOnlyFile::GetLength(uint64_t& length) {
    length = 0;
    LARGE_INTEGER size;
    if (!IsOpen()) return false;
    if (!GetFileSizeEx(m_handle, &size)) return Failed();
    length = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool ReadOnlyFile::Read(void* buffer, uint32_t size, uint32_t& bytesRead) {
    bytesRead = 0;
    DWORD done = 0;
    if (!IsOpen()) return false;
    if (!ReadFile(m_handle, buffer, size, &done, nullptr)) return Failed();
    bytesRead = done;
    return true;
}

bool ReadOnlyFile::SeekToBegin() {
    LARGE_INTEGER zero = {};
    if (!IsOpen()) return false;
    return SetFilePointerEx(m_handle, zero, nullptr, FILE_BEGIN) || Failed();
}
