#include "device/AutoPrinter.h"

#include "device/PrintFileReader.h"
#include "framework/AppBase.h"
#include "links/ILoaderComm.h"
#include "links/UsbPrinterPort.h"

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

}  // namespace

uint32_t AutoPrinter::GetPrintGridFile(int pattern, const uint8_t** data) {
    *data = nullptr;
    if (pattern != kAlignmentGrid && pattern != kCalibrationMarks) return 0;
    // Only a file read whole is handed out; any failure leaves no buffer.
    if (!PrintFileReader::ReadWhole(
            AppBase::Current().GetExeDir() + PrintGridFileName(pattern, m_colorPrinter),
            &m_printGridBuffer))
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
            if (!m_boundUsbPort->Write(data + done, std::min(length - done, kUsbPieceLength))) {
                m_lastError = UsbPrintFailure(*m_boundUsbPort);
                return false;
            }
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
