#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the counter operations replace this file whole.

int VardenTransporter::ReadCounter(int, char) { return -1; }

bool VardenTransporter::SupportsPickCounter() { return false; }

int VardenTransporter::GetPrinterKind() { return Transporter::GetPrinterKind(); }
