#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the print operations replace this file whole.

uint32_t VardenTransporter::GetPrintGridFile(int, const uint8_t** data) {
    *data = nullptr;
    return 0;
}

void VardenTransporter::ReleasePrintGridFile() { m_printGridBuffer.clear(); }

bool VardenTransporter::WritePrintData(const uint8_t*, uint32_t) { return false; }

bool VardenTransporter::PresentPrinterTray() { return false; }

bool VardenTransporter::WaitForPrintCompletion() { return false; }
