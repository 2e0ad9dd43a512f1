#pragma once
// The simulated autoloader's printer as the loader's own probes see it (pure C++ standard
// library). SimAutoloader hands it every command first; a test that stands in for the USB
// printer port of this printer hands it the bytes written there (PortData).
//
//   Drawer: "\x1b!d0C" moves it out and "\x1b!d1C" back in, over the loader's line or the
//   printer's USB port alike. The loader takes PrinterLoadState 3 (the USB printer-port
//   probe, "\x1b!f12603C") only while the drawer is out and refuses it otherwise.
//   Colour probe: after "\x1b!a3H" the printer is busy (printer sense 2) for the next
//   BusyPolls sense requests; the one after them reports the result code (0: colour) and
//   then the codes from before the probe come back.
//   Load with a rotation offset: "\x1b!f311<5 digits>C" is acknowledged and, accepted, sets
//   PrinterLoadState (260) to 1.

#include <string>

class SimAutoloader;

class SimLoaderPrinter {
public:
    void SetColourProbe(int busyPolls, unsigned resultSense) {
        m_busyPolls = busyPolls;
        m_colourResult = resultSense;
    }
    int ColourProbes() const { return m_colourProbes; }
    bool DrawerOut() const { return m_drawerOut; }

    // The model's answer to a command it takes (true), or false to leave it to the model.
    bool Respond(SimAutoloader& device, const std::string& frame, bool refuse,
                 std::string& reply);
    // Bytes written to the printer's own USB port: the drawer commands move the drawer.
    void PortData(const std::string& bytes) { MoveDrawer(bytes); }

private:
    // True when frame is a drawer command.
    bool MoveDrawer(const std::string& frame);

    int m_busyPolls = 2;
    unsigned m_colourResult = 0;
    int m_colourProbes = 0;
    bool m_drawerOut = false;
};
