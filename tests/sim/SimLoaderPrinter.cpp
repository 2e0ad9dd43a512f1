#include "SimLoaderPrinter.h"

#include "SimAutoloader.h"

namespace {

constexpr int kPrinterLoadState = 260;
constexpr unsigned kBusySense = 2;

std::string Acknowledge(const std::string& frame, bool accepted) {
    return frame.substr(0, 4) + (accepted ? '1' : '0') + 'C';
}

}  // namespace

bool SimLoaderPrinter::MoveDrawer(const std::string& frame) {
    if (frame == "\x1b!d0C")
        m_drawerOut = true;
    else if (frame == "\x1b!d1C")
        m_drawerOut = false;
    else
        return false;
    return true;
}

bool SimLoaderPrinter::Respond(SimAutoloader& device, const std::string& frame, bool refuse,
                               std::string& reply) {
    reply.clear();
    if (MoveDrawer(frame)) return true;
    if (frame == "\x1b!a3H") {
        ++m_colourProbes;
        const unsigned loader = device.LoaderSense(), printer = device.PrinterSense();
        for (int i = 0; i < m_busyPolls; ++i) device.QueueSense(loader, kBusySense);
        device.QueueSense(loader, m_colourResult);
        device.QueueSense(loader, printer);
        return true;
    }
    if (frame == "\x1b!f12603C" && !refuse && !m_drawerOut) {
        reply = Acknowledge(frame, false);
        return true;
    }
    if (frame.compare(0, 6, "\x1b!f311") == 0 && frame.size() == 12) {
        if (!refuse) device.SetParameter(kPrinterLoadState, 1);
        reply = Acknowledge(frame, !refuse);
        return true;
    }
    return false;
}
