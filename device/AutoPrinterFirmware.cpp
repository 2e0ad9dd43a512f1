#include "device/AutoPrinter.h"

#include "device/EscCommand.h"
#include "links/ILoaderComm.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace {

constexpr int kVersion6Firmware = 6000;
constexpr int kVersion5Firmware = 5000;

// Version-6 printers: the text at 256 and an image of exactly 64000 bytes.
constexpr int kVersion6TextOffset = 256;
const char kVersion6Text[] = "CD-R AutoPrinterVERSION 6.";
constexpr uint32_t kVersion6ImageSize = 64000;

// Earlier images: the text at 160, the family at 193 and exactly 65536 bytes.
constexpr int kImageTextOffset = 160;
const char kImageText[] = "CD-R AutoPrinterVERSION";
constexpr int kFamilyOffset = 193;
const char kFamilyFrom5000[] = "AutoPrinter1";
const char kFamilyBefore5000[] = "AutoPrinter ";
constexpr uint32_t kImageSize = 65536;

constexpr int kBeginFlashReplyLength = 6;
constexpr int kBeginFlashTimeoutSeconds = 30;
constexpr int kFlashDataTimeoutSeconds = 60;

// The header's bytes at offset equal text, letter case ignored.
bool HeaderTextIs(const uint8_t* header, int offset, const char* text) {
    for (size_t i = 0; text[i] != 0; ++i) {
        if (std::tolower(header[offset + i]) != std::tolower(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

}  // namespace

bool AutoPrinter::IsFirmwareFileValid(const uint8_t* header, uint32_t fileSize, bool*) {
    m_printerFirmwareFile = false;
    if (!header) return false;
    if (m_firmwareVersion >= kVersion6Firmware &&
        HeaderTextIs(header, kVersion6TextOffset, kVersion6Text) &&
        fileSize == kVersion6ImageSize)
        return true;
    const char* family = m_firmwareVersion >= kVersion5Firmware ? kFamilyFrom5000 : kFamilyBefore5000;
    return HeaderTextIs(header, kImageTextOffset, kImageText) && fileSize == kImageSize &&
           std::memcmp(header + kFamilyOffset, family, std::strlen(family)) == 0;
}

bool AutoPrinter::BeginFlash(uint32_t fileSize) {
    uint8_t reply[kBeginFlashReplyLength];
    if (!Exchange(EscCommand::Format("\x1b!g0%luC", static_cast<unsigned long>(fileSize)), reply,
                  kBeginFlashReplyLength, kBeginFlashTimeoutSeconds))
        return false;
    return EscCommand::IsAccepted(reply) || ReportRefusal();
}

bool AutoPrinter::SendFlashData(const uint8_t* data, uint32_t length) {
    if ((!data && length > 0) || length > static_cast<uint32_t>(INT_MAX)) {
        m_lastError = "Error sending flash data - invalid block";
        return false;
    }
    const std::string block = data ? std::string(reinterpret_cast<const char*>(data), length)
                                   : std::string();
    if (EscCommand::Transact(m_channel, block, nullptr, 0, kFlashDataTimeoutSeconds)) return true;
    m_lastError = std::string("Error sending flash data - ") + m_channel->GetLastErrorText();
    return false;
}
