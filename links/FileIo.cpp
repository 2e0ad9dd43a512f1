#include "links/FileIo.h"

BOOL FileIo::Close(HANDLE file) { return ::CloseHandle(file); }

BOOL FileIo::Write(HANDLE file, const void* data, DWORD length, OVERLAPPED* overlapped) {
    return ::WriteFile(file, data, length, nullptr, overlapped);
}

BOOL FileIo::Read(HANDLE file, void* buffer, DWORD length, OVERLAPPED* overlapped) {
    return ::ReadFile(file, buffer, length, nullptr, overlapped);
}

DWORD FileIo::Wait(HANDLE event, DWORD milliseconds) {
    return ::WaitForSingleObject(event, milliseconds);
}

BOOL FileIo::GetResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
    return ::GetOverlappedResult(file, overlapped, transferred, wait);
}

BOOL FileIo::Cancel(HANDLE file) { return ::CancelIo(file); }

void FileIo::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

ULONGLONG FileIo::Ticks() { return ::GetTickCount64(); }

IoOutcome CompleteOverlapped(FileIo& io, HANDLE file, OVERLAPPED& overlapped, BOOL issued,
                             DWORD timeoutMs, DWORD& transferred) {
    transferred = 0;
    if (!issued && GetLastError() != ERROR_IO_PENDING) return IoOutcome::Failed;
    if (!issued && io.Wait(overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) {
        io.Cancel(file);
        // The cancelled I/O still owns the record and the buffer until it completes.
        if (io.GetResult(file, &overlapped, &transferred, TRUE)) return IoOutcome::Done;
        transferred = 0;
        SetLastError(ERROR_OPERATION_ABORTED);
        return IoOutcome::TimedOut;
    }
    if (!io.GetResult(file, &overlapped, &transferred, TRUE)) return IoOutcome::Failed;
    return IoOutcome::Done;
}
