#include "device/Transporter.h"

Transporter::Transporter() {}

Transporter::~Transporter() {}

void Transporter::RunGripperTest(int) {}

int Transporter::ReadCounter(int, char) { return -1; }

void Transporter::ReleasePrintGridFile() {}

int Transporter::GetPrinterKind() { return 5; }

bool Transporter::SupportsPlattorParams() { return false; }

bool Transporter::SetPlattorParams(const std::string&, bool, bool, bool, int) { return false; }

bool Transporter::GetPlattorParams(std::string&, bool&, bool&, bool&, int&) { return false; }

bool Transporter::SupportsPickCounter() { return false; }

bool Transporter::HasItsCounters() { return false; }

bool Transporter::ReconnectAfterFlash() { return true; }

bool Transporter::IsPrinterLoaded() { return false; }
