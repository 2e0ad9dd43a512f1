#include "device/AutoPrinter.h"

#include "links/ILoaderComm.h"
#include "links/ScopedHandle.h"
#include "links/UsbPrinterPort.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr int kAlignmentGrid = 2;
constexpr int kCalibrationMarks = 3;

constexpr uint32_t kUsbPieceLength = 1024;
constexpr uint32_t kChannelPieceLength = 64;
constexpr int kChannelWriteConstantMs = 180000;
constexpr int kChannelWritePerByteMs = 100;

const wchar_t* PrintGridFileName(int pattern, bool colour) {
    if (pattern == kAlignmentGrid)
        return colour ? L"AlignGrid_Vexil_CMY.prn" : L"AlignGrid_Vexil_Mono.prn";
    return colour ? L"Marks_Vexil_CMY.prn" : L"Marks_Vexil_Mono.prn";
}

// Reads the whole file at path into buffer. False when it does not open, its length
// exceeds 32 bits or fewer bytes than its length can be read.
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& buffer, bool* opened) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                      INVALID_HANDLE_VALUE);
    *opened = file.IsValid();
    if (!*opened) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0xFFFFFFFFLL) return false;
    buffer.assign(static_cast<size_t>(size.QuadPart), 0);
    size_t done = 0;
    while (done < buffer.size()) {
        DWORD wanted = static_cast<DWORD>(std::min<size_t>(buffer.size() - done, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.data() + done, wanted, &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return !buffer.empty();
}

}  // namespace

uint32_t AutoPrinter::GetPrintGridFile(int pattern, const uint8_t** data) {
    *data = nullptr;
    if (pattern != kAlignmentGrid && pattern != kCalibrationMarks) return 0;
    const std::wstring path =
        GetPrintFileDirectory() + PrintGridFileName(pattern, m_colorPrinter);
    std::vector<uint8_t> content;
    bool opened = false;
    if (!ReadWholeFile(path, content, &opened)) {
        // A file that opened but could not be read whole is not handed out in part.
        if (opened) m_printGridBuffer.clear();
        return 0;
    }
    m_printGridBuffer.swap(content);
    *data = m_printGridBuffer.data();
    return static_cast<uint32_t>(m_printGridBuffer.size());
}

void AutoPrinter::ReleasePrintGridFile() {
    m_printGridBuffer.clear();
    m_printGridBuffer.shrink_to_fit();
}

bool AutoPrinter::WritePrintData(const uint8_t* data, uint32_t length) {
    if (m_boundUsbPort) {
        for (uint32_t done = 0; done < length; done += kUsbPieceLength) {
            // A failed piece keeps its reason in the port.
            if (!m_boundUsbPort->Write(data + done, std::min(length - done, kUsbPieceLength)))
                return false;
        }
        return true;
    }
    m_channel->SetWriteTimeouts(kChannelWriteConstantMs, kChannelWritePerByteMs);
    for (uint32_t done = 0; done < length; done += kChannelPieceLength) {
        if (!m_channel->Write(data + done,
                              static_cast<int>(std::min(length - done, kChannelPieceLength)))) {
            m_lastError = m_channel->GetLastErrorText();
            return false;
        }
    }
    return true;
}
