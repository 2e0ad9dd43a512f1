#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the firmware download operations replace this file whole.

bool VardenTransporter::BeginFlash(uint32_t) { return false; }

bool VardenTransporter::SendFlashData(const uint8_t*, uint32_t) { return false; }

bool VardenTransporter::ReconnectAfterFlash() { return false; }
