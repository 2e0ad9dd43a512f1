#include "device/VardenTransporter.h"

#include "device/EscCommand.h"
#include "links/ILoaderComm.h"

#include <cstring>
#include <stdexcept>

// The firmware-file check: whether the file whose header block (the first 16384 bytes,
// zero past the file's end) is given fits this loader or its printer. Pure matching on
// fixed fields of the header; the only commands are the version query of the 7340 family
// and the QRX and two parameter reads. The check leaves behind what the download needs:
// the printer-firmware flag, the padding and its trailer word, and the text the device
// must report after the update.

namespace {

// Fields of a firmware file's header block.
constexpr int kIdentityOffset = 160;       // model and version, laid out as in the inquiry
constexpr int kMajorDigitOffset = 184;     // version character 8 of the text at 160
constexpr int kVariantOffset = 193;        // the printer or board the image is built for
constexpr int k7340IdentityOffset = 256;   // the 7340 family's and version-6 printers' text
constexpr int kQrxIdentityOffset = 528;    // the QRX's text
constexpr int kQrxVersionOffset = 0;       // "dd.ddd"
constexpr int kMinimumVersionOffset = 15423;
constexpr int kIdentityLength = 32;
constexpr int kModelLength = 16;
// Character of an identification text that holds the major version digit, and the one
// that holds the revision letter.
constexpr size_t kMajorDigitChar = 24;
constexpr size_t kRevisionLetterChar = 29;

const char kAutoPrinterIdentity[] = "CD-R AutoPrinterVERSION";  // 23 bytes
const char kTransporterIdentity[] = "CD-R TRANSPORTERVERSION";  // 23 bytes
constexpr int kIdentityPrefixLength = 23;

constexpr int kVersion6PrinterFirmware = 6000;
constexpr int kAutoPrinter1Firmware = 5000;  // above it the printer takes "AutoPrinter1"
constexpr uint32_t kVersion6PrinterFileSize = 64000;
constexpr uint32_t kPrinterFileSize = 65536;
constexpr uint32_t kSmallFileSize = 65536;  // Dravik rule: an image that fits the old layout
constexpr int kTolvaneBaud = 9600;          // a HID channel always reports it

// The minimum version byte that the 7340 and 6340 never accept once the device answers.
constexpr uint8_t kRefusedMinimumVersion = 80;

constexpr int kTrailerWordParameter = 280;
constexpr uint16_t kDefaultTrailerWord = 231;
constexpr int kTolvaneVariantParameter = 203;

const char kVersionQuery[] = "\x1b!e7C";
constexpr int kVersionBytesReplyLength = 12;
constexpr int kVersionTextReplyLength = 13;
constexpr int kVersionTextOffset = 6;
constexpr int kVersionTextLength = 7;
constexpr int kVersionQueryTimeoutSeconds = 3;

// The header's bytes at offset equal text over its whole length (blanks included).
bool HeaderHas(const uint8_t* header, int offset, const char* text) {
    return EscCommand::FieldEquals(header + offset, text, static_cast<int>(std::strlen(text)));
}

bool TextStarts(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Character i of text, or 0 past its end.
char CharAt(const std::string& text, size_t i) { return i < text.size() ? text[i] : 0; }

}  // namespace

bool VardenTransporter::IsFirmwareFileValid(const uint8_t* header, uint32_t fileSize,
                                            bool* belowMinimum) {
    m_printerFirmwareFile = false;
    if (!header) return false;

    const int expectedOffset =
        m_is7340Family ? k7340IdentityOffset : m_isQrx ? kQrxIdentityOffset : kIdentityOffset;
    m_expectedInquiry.assign(reinterpret_cast<const char*>(header + expectedOffset),
                             kIdentityLength);
    m_expectedInquiry[kRevisionLetterChar] = m_revisionLetter;

    // Printer rule A: version-6 printer firmware.
    if (m_printerFirmwareVersion >= kVersion6PrinterFirmware &&
        HeaderHas(header, k7340IdentityOffset, kAutoPrinterIdentity) &&
        fileSize == kVersion6PrinterFileSize)
        return AcceptPrinterFirmware();

    // Printer rule B: older printer firmware; such a file never reaches the loader rules.
    if (m_printerFirmwareVersion < kVersion6PrinterFirmware &&
        HeaderHas(header, kIdentityOffset, kAutoPrinterIdentity)) {
        const char* variant =
            m_printerFirmwareVersion > kAutoPrinter1Firmware ? "AutoPrinter1" : "AutoPrinter ";
        if (EscCommand::FieldEquals(g_vardenInquiry + InquiryRecord::kPrinterModelOffset,
                                    "CD-R AutoPrinter", kModelLength) &&
            fileSize == kPrinterFileSize && HeaderHas(header, kVariantOffset, variant))
            return AcceptPrinterFirmware();
        return false;
    }

    const bool tolvaneVariant = m_channel->GetBaudRate() == kTolvaneBaud || m_hasTolvanePrinter;
    const uint8_t majorDigit = header[kMajorDigitOffset];

    if (majorDigit == '7' && TextStarts(m_inquiryText, "BOOT7")) return true;

    // Desktop models: the file names the model, the variant name the board.
    struct DesktopRule {
        const char* identity;
        bool VardenTransporter::*model;
        const char* tolvaneVariant;  // null: any variant
        const char* otherVariant;
    };
    static const DesktopRule kDesktopRules[] = {
        {"VARDEN QM7310   VERSION", &VardenTransporter::m_isQM7310, "tolvane4", "vexil4"},
        {"VARDEN 7310     VERSION", &VardenTransporter::m_is7310, "tolvane4", "vexil4"},
        {"VARDEN 7330     VERSION", &VardenTransporter::m_is7330, "tolvane5", "vexil5"},
        {"VARDEN 3900j    VERSION", &VardenTransporter::m_is3900j, nullptr, nullptr},
    };
    for (const DesktopRule& rule : kDesktopRules) {
        if (!HeaderHas(header, kIdentityOffset, rule.identity) || !(this->*rule.model)) continue;
        if (!rule.tolvaneVariant) return true;
        return HeaderHas(header, kVariantOffset,
                         tolvaneVariant ? rule.tolvaneVariant : rule.otherVariant);
    }
    if (HeaderHas(header, kIdentityOffset, "DESKTOP 2       VERSION") && m_isDesktop &&
        !m_isQM7310 && !m_is7330 && !m_is7310)
        return true;

    m_firmwareFileAccepted = false;
    m_firmwareOlder = false;

    if (HeaderHas(header, kQrxIdentityOffset, "VARDEN QRX") && m_isQrx) {
        CompareFirmwareVersion(header);
        if (belowMinimum) *belowMinimum = m_firmwareOlder;
        return m_firmwareFileAccepted;
    }

    struct FamilyRule {
        const char* model;
        bool VardenTransporter::*first;
        bool VardenTransporter::*second;
        void (VardenTransporter::*check)(const uint8_t*);
    };
    static const FamilyRule kFamilyRules[] = {
        {"VARDEN 7340     ", &VardenTransporter::m_is7340, &VardenTransporter::m_is6340,
         &VardenTransporter::CheckMinimumVersion7340},
        {"VARDEN 7341     ", &VardenTransporter::m_is7341, &VardenTransporter::m_is6341,
         &VardenTransporter::CheckMinimumVersion7341},
        {"VARDEN 7345     ", &VardenTransporter::m_is7345, &VardenTransporter::m_is6345,
         &VardenTransporter::CheckMinimumVersion7341},
    };
    for (const FamilyRule& rule : kFamilyRules) {
        if (!HeaderHas(header, k7340IdentityOffset, rule.model)) continue;
        if (!(this->*rule.first) && !(this->*rule.second)) continue;
        (this->*rule.check)(header);
        return m_firmwareFileAccepted;
    }

    if (HeaderHas(header, kIdentityOffset, "Tessaran ")) {
        MatchLoaderFirmware(header);
        return m_firmwareFileAccepted;
    }

    // Model gate: an autoprinter loader takes its own files; every other file must be
    // transporter firmware for a transporter.
    const bool autoprinterFile = HeaderHas(header, kIdentityOffset, "CD-R AUTOPRINTER");
    if (autoprinterFile && m_isAutoPrinterLoader) return true;
    if (!autoprinterFile && (!TextStarts(m_inquiryText, kTransporterIdentity) ||
                             !HeaderHas(header, kIdentityOffset, kTransporterIdentity)))
        return false;

    if (m_oldFirmware) {
        int digit = 0;
        uint16_t value = 0;
        m_flashTrailerWord =
            ReadParameter(kTrailerWordParameter, &digit, &value) ? value : kDefaultTrailerWord;
        m_paddedFlashImage = true;
        // A file too long for the padded image could never be sent whole.
        if (GetFlashImageLength(fileSize) == 0) return false;
        return static_cast<signed char>(majorDigit) < '3';
    }

    if (m_bootFirmware && !m_is7340 && !m_is6340 && !m_is7341 && !m_is6341 && !m_is7345 &&
        !m_is6345 && !m_isQrx)
        return true;

    if (m_printerKindPavenor) return HeaderHas(header, kVariantOffset, "Pavenor");
    if (m_printerKindQuinter) return HeaderHas(header, kVariantOffset, "Quinter");
    if (m_printerKindFerlo)
        return HeaderHas(header, kVariantOffset,
                         m_channel->GetBaudRate() == kTolvaneBaud ? "Ferlo2" : "Ferlo ");
    if (m_printerKindSerialTolvane) {
        int digit = 0;
        if (!ReadParameter(kTolvaneVariantParameter, &digit, nullptr)) return false;
        return HeaderHas(header, kVariantOffset, digit == 2 ? "tolvane1" : "tolvane2");
    }
    if (m_printerKindDravik) {
        const bool small = fileSize <= kSmallFileSize;
        const bool newRevision = m_revisionLetter >= 'F';
        if (HeaderHas(header, kVariantOffset, "Dravik "))
            return !tolvaneVariant && (!newRevision || small);
        if (HeaderHas(header, kVariantOffset, "Dravik0"))
            return !tolvaneVariant && (newRevision || small);
        if (!small && !tolvaneVariant) return false;
        if (HeaderHas(header, kVariantOffset, "Tolvane ")) return !newRevision || small;
        if (HeaderHas(header, kVariantOffset, "Tolvane0")) return newRevision || small;
        return false;
    }
    return false;
}

bool VardenTransporter::AcceptPrinterFirmware() {
    m_printerFirmwareFile = true;
    m_paddedFlashImage = false;
    return true;
}

void VardenTransporter::MatchLoaderFirmware(const uint8_t* header) {
    m_firmwareFileAccepted = false;
    const std::string device = m_inquiryText.substr(0, kModelLength);
    const bool sameMajorDigit =
        CharAt(m_inquiryText, kMajorDigitChar) == CharAt(m_expectedInquiry, kMajorDigitChar);
    struct Rule {
        const char* file;
        const char* device;     // the device model that takes the file
        const char* bootModel;  // or an inquiry text starting so (null: none)
        bool majorDigitTest;    // the device model takes it only at the file's major digit
        const char* olderModel; // the older board that takes it too (null: none)
    };
    static const Rule kRules[] = {
        {"Tessaran  IV B08", "Tessaran  IV B08", "BOOT8", false, nullptr},
        {"Tessaran  IV B09", "Tessaran  IV B09", "BOOT9", false, nullptr},
        {"Tessaran III E06", "Tessaran III E06", nullptr, true, "Tessaran II E06 "},
        {"Tessaran III P06", "Tessaran III P06", nullptr, true, "Tessaran II P06 "},
        {"Tessaran II E06 ", "Tessaran II E06 ", nullptr, false, nullptr},
        {"Tessaran II P06 ", "Tessaran II P06 ", nullptr, false, nullptr},
        {"Tessaran II E05 ", "Tessaran II E05 ", nullptr, false, nullptr},
        {"Tessaran II P05 ", "Tessaran II P05 ", nullptr, false, nullptr},
    };
    for (const Rule& rule : kRules) {
        if (!HeaderHas(header, kIdentityOffset, rule.file)) continue;
        m_firmwareFileAccepted = (device == rule.device && (!rule.majorDigitTest || sameMajorDigit)) ||
                                 (rule.bootModel && TextStarts(m_inquiryText, rule.bootModel)) ||
                                 (rule.olderModel && device == rule.olderModel);
        return;
    }
}

void VardenTransporter::CheckMinimumVersion7340(const uint8_t* header) {
    m_firmwareFileAccepted = false;
    if (CharAt(m_inquiryText, kMajorDigitChar) != CharAt(m_expectedInquiry, kMajorDigitChar))
        return;
    const uint8_t minimum = header[kMinimumVersionOffset];
    uint8_t first = 0, second = 0;
    // A device that cannot tell its version bytes takes the file.
    m_firmwareFileAccepted = !ReadVersionBytes(&first, &second) ||
                             (minimum != kRefusedMinimumVersion && minimum <= second);
}

void VardenTransporter::CheckMinimumVersion7341(const uint8_t* header) {
    const uint8_t minimum = header[kMinimumVersionOffset];
    uint8_t first = 0, second = 0;
    m_firmwareFileAccepted = ReadVersionBytes(&first, &second) && minimum <= second;
}

void VardenTransporter::CompareFirmwareVersion(const uint8_t* header) {
    std::string text;
    m_firmwareFileAccepted = true;
    if (!ReadVersionText(&text)) return;
    bool fileInvalid = false, deviceInvalid = false;
    const int fileVersion = ParseVersionText(header + kQrxVersionOffset, &fileInvalid);
    const int deviceVersion =
        ParseVersionText(reinterpret_cast<const uint8_t*>(text.data()), &deviceInvalid);
    if (fileInvalid || deviceInvalid) return;
    m_firmwareFileAccepted = fileVersion >= deviceVersion;
    m_firmwareOlder = fileVersion < deviceVersion;
}

bool VardenTransporter::QueryVersion(uint8_t* reply, int replyLength) {
    if (!EscCommand::Transact(m_channel, kVersionQuery, reply, replyLength,
                              kVersionQueryTimeoutSeconds))
        return false;
    if (EscCommand::IsAccepted(reply)) return true;
    RequestSense(kDefaultSenseTimeout, nullptr, nullptr);
    return false;
}

bool VardenTransporter::ReadVersionBytes(uint8_t* first, uint8_t* second) {
    uint8_t reply[kVersionBytesReplyLength];
    if (!QueryVersion(reply, kVersionBytesReplyLength)) return false;
    try {
        const int high = 16 * ParseHexDigit(static_cast<char>(reply[6])) +
                         ParseHexDigit(static_cast<char>(reply[7]));
        const int low = 16 * ParseHexDigit(static_cast<char>(reply[9])) +
                        ParseHexDigit(static_cast<char>(reply[10]));
        *first = static_cast<uint8_t>(high);
        *second = static_cast<uint8_t>(low);
    } catch (const std::out_of_range&) {
        return false;
    }
    return true;
}

bool VardenTransporter::ReadVersionText(std::string* text) {
    text->clear();
    uint8_t reply[kVersionTextReplyLength];
    if (!QueryVersion(reply, kVersionTextReplyLength)) return false;
    text->assign(reinterpret_cast<const char*>(reply + kVersionTextOffset), kVersionTextLength);
    return true;
}

int VardenTransporter::ParseHexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::out_of_range("non-hex character");
}

int VardenTransporter::ParseVersionText(const uint8_t* text, bool* invalid) {
    static const int kWeights[] = {10000, 1000, 0, 100, 10, 1};
    int value = 0;
    for (int i = 0; i < 6; ++i) {
        const bool ok = i == 2 ? text[i] == '.' : (text[i] >= '0' && text[i] <= '9');
        if (!ok) {
            *invalid = true;
            return 0;
        }
        if (i != 2) value += (text[i] - '0') * kWeights[i];
    }
    *invalid = false;
    return value;
}
