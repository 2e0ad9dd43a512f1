#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the initialisation code replace this file whole.

void VardenTransporter::Initialize() {}

bool VardenTransporter::SelectUsbPort(UsbPrinterPort*) { return false; }

bool VardenTransporter::SetAlternateOffset(int) { return false; }

int VardenTransporter::GetRestartDelaySeconds() { return 10; }

bool VardenTransporter::SupportsPlattorParams() { return false; }

bool VardenTransporter::HasItsCounters() { return false; }
