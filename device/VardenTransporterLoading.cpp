#include "device/VardenTransporter.h"

// Placeholder bodies so that the class links; the margin, offset and printer-loading operations replace this file whole.

void VardenTransporter::RunGripperTest(int) {}

bool VardenTransporter::SetTopMargin(int) { return false; }

bool VardenTransporter::SetLeftMargin(int) { return false; }

bool VardenTransporter::SetRotationOffset(int) { return false; }

bool VardenTransporter::SetOperatingMode(int) { return false; }

bool VardenTransporter::LoadPrinter(int) { return false; }

bool VardenTransporter::ReloadPrinter(int) { return false; }

bool VardenTransporter::MoveDisc(bool) { return false; }

bool VardenTransporter::UnloadPrinter() { return false; }

bool VardenTransporter::IsPrinterLoaded() { return false; }

bool VardenTransporter::BeginPrintJob() { return true; }

void VardenTransporter::PulseSignal(int) {}
