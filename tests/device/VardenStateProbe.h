#pragma once
// Test view of an autoloader for the firmware and print tests: the state that
// initialisation would settle (set here directly) and the state the firmware check leaves.

#include "VardenProbe.h"

class VardenStateProbe : public VardenProbe {
public:
    using VardenProbe::VardenProbe;
    using Transporter::m_bootFirmware;
    using Transporter::m_colorPrinter;
    using Transporter::m_flashTrailerWord;
    using Transporter::m_paddedFlashImage;
    using Transporter::m_printerFirmwareFile;
    using VardenTransporter::m_boundUsbPort;
    using VardenTransporter::m_expectedInquiry;
    using VardenTransporter::m_isAutoPrinterV6;
    using VardenTransporter::m_isDesktop;
    using VardenTransporter::m_isQrx;
    using VardenTransporter::m_isXJQN23;
    using VardenTransporter::m_oldFirmware;
    using VardenTransporter::m_printGridBuffer;
    using VardenTransporter::m_printerKindDravik;
    using VardenTransporter::m_printerKindFerlo;
    using VardenTransporter::m_printerKindPavenor;
    using VardenTransporter::m_printerKindQuinter;
};
