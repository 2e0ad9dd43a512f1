#include "device/Transporter.h"

// Placeholder body so that the class links; the print-completion wait replaces this file whole.
bool Transporter::WaitForPrintCompletion() { return false; }
