#pragma once
// Test view of an autoloader device: its protected state made readable.

#include "device/VardenTransporter.h"

#include <string>

class VardenProbe : public VardenTransporter {
public:
    using VardenTransporter::VardenTransporter;
    using Transporter::m_canCalibrate;
    using Transporter::m_canPrint;
    using Transporter::m_firmwareVersion;
    using Transporter::m_lastError;
    using Transporter::m_loaderSense;
    using Transporter::m_marginSettings;
    using Transporter::m_printerFirmwareVersion;
    using Transporter::m_printerSense;
    using Transporter::m_printerSnWritable;
    using VardenTransporter::m_hasTolvanePrinter;
    using VardenTransporter::m_printerKindSerialTolvane;
    using VardenTransporter::m_revisionLetter;

    // The names of the model flags that are set, in declaration order, blank-separated.
    std::string ModelFlags() const {
        struct Flag {
            const char* name;
            bool VardenTransporter::*member;
        };
        static const Flag kFlags[] = {
            {"desktop", &VardenProbe::m_isDesktop},
            {"QM7310", &VardenProbe::m_isQM7310},
            {"7310", &VardenProbe::m_is7310},
            {"7330", &VardenProbe::m_is7330},
            {"TessaranIII", &VardenProbe::m_isTessaranIII},
            {"TessaranIV", &VardenProbe::m_isTessaranIV},
            {"3900j", &VardenProbe::m_is3900j},
            {"7340Family", &VardenProbe::m_is7340Family},
            {"7340", &VardenProbe::m_is7340},
            {"6340", &VardenProbe::m_is6340},
            {"7341", &VardenProbe::m_is7341},
            {"6341", &VardenProbe::m_is6341},
            {"7345", &VardenProbe::m_is7345},
            {"6345", &VardenProbe::m_is6345},
            {"QRX", &VardenProbe::m_isQrx},
            {"Tolvane", &VardenProbe::m_hasTolvanePrinter},
            {"XJQN21", &VardenProbe::m_isXJQN21},
            {"XJQN22", &VardenProbe::m_isXJQN22},
            {"XJQN23", &VardenProbe::m_isXJQN23},
            {"AutoPrinterLoader", &VardenProbe::m_isAutoPrinterLoader},
            {"AutoPrinterV6", &VardenProbe::m_isAutoPrinterV6},
        };
        std::string names;
        for (const Flag& flag : kFlags) {
            if (!(this->*flag.member)) continue;
            if (!names.empty()) names += ' ';
            names += flag.name;
        }
        return names;
    }
};
