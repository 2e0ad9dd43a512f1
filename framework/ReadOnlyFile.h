#pragma once
// An existing file opened for reading only; others may read it meanwhile but not write.
// The handle is closed by Close or the destructor. Failures keep the system's error code.

#include <windows.h>

#include <cstdint>
#include <string>

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool Open(const std::wstring& path);
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Close();

    bool GetLength(uint64_t& length);
    // Reads up to size bytes at the file position; bytesRead is 0 at the end of the file.
    bool Read(void* buffer, uint32_t size, uint32_t& bytesRead);
    bool SeekToBegin();

    DWORD GetLastErrorCode() const { return m_lastError; }

private:
    bool Failed();

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    DWORD m_lastError = 0;
};
