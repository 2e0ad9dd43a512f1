#include "device/Transporter.h"

#include "device/EscCommand.h"
#include "links/SystemUtil.h"
#include "links/UsbPrinterPort.h"

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

std::string Transporter::UsbPrintFailure(const UsbPrinterPort& port) {
    std::string reason = NarrowString(port.GetLastErrorText());
    if (reason.empty())
        reason = NarrowString(port.GetPortName()) +
                 EscCommand::Format(" error %lu",
                                    static_cast<unsigned long>(port.GetLastErrorCode()));
    return "Print failed - " + reason;
}
