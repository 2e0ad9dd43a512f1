#include "device/AutoPrinter.h"

#include "framework/AppBase.h"
#include "framework/ReadOnlyFile.h"
#include "links/ILoaderComm.h"
#include "links/UsbPrinterPort.h"

#include <algorithm>
#include <new>
#include <stdexcept>

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

}  // namespace

bool AutoPrinter::ReadPrintFile(const std::wstring& path) {
    ReadOnlyFile file;
    if (!file.Open(path)) return false;
    ReleasePrintGridFile();
    uint64_t length = 0;
    if (!file.GetLength(length) || length == 0 || length > UINT32_MAX) return false;
    try {
        m_printGridBuffer.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // Only the whole file is ever sent: one that ends early or cannot be read is none.
    uint32_t total = 0;
    while (total < length) {
        uint32_t got = 0;
        if (!file.Read(m_printGridBuffer.data() + total, static_cast<uint32_t>(length) - total,
                       got) ||
            got == 0) {
            ReleasePrintGridFile();
            return false;
        }
        total += got;
    }
    return true;
}

uint32_t AutoPrinter::GetPrintGridFile(int pattern, const uint8_t** data) {
    *data = nullptr;
    if (pattern != kAlignmentGrid && pattern != kCalibrationMarks) return 0;
    if (!ReadPrintFile(AppBase::Current().GetExeDir() + PrintGridFileName(pattern, m_colorPrinter)))
        return 0;
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
