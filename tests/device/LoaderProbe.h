#pragma once
// Test view of an autoloader for the operation tests: every state that initialisation and
// the operations set, made readable, and a compact trace of what reached the device.

#include "SimAutoloaderRig.h"
#include "SimLog.h"
#include "VardenProbe.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class LoaderProbe : public VardenProbe {
public:
    using VardenProbe::VardenProbe;
    using Transporter::m_bootFirmware;
    using Transporter::m_colorPrinter;
    using Transporter::m_flashTrailerWord;
    using Transporter::m_hasSerialNumbers;
    using Transporter::m_paddedFlashImage;
    using Transporter::m_printerPresent;
    using Transporter::m_rotationOffsetSupported;
    using Transporter::m_settingsSupported;
    using VardenTransporter::m_boundUsbPort;
    using VardenTransporter::m_isAutoPrinterV6;
    using VardenTransporter::m_oldFirmware;
    using VardenTransporter::m_usbPortCandidates;

    // The printer kind that initialisation found: "Pavenor", "Quinter", "Ferlo", "Dravik",
    // "SerialTolvane", several blank-separated, or "" for none.
    std::string PrinterKinds() const {
        const std::pair<const char*, bool> kinds[] = {
            {"Pavenor", m_printerKindPavenor},   {"Quinter", m_printerKindQuinter},
            {"Ferlo", m_printerKindFerlo},       {"Dravik", m_printerKindDravik},
            {"SerialTolvane", m_printerKindSerialTolvane},
        };
        std::string names;
        for (const auto& kind : kinds) {
            if (!kind.second) continue;
            if (!names.empty()) names += ' ';
            names += kind.first;
        }
        return names;
    }
};

// One line per log entry, the escape byte and '!' left out: "f0280C" for an exchange,
// "sleep 5000", "write t0C<ESC>!s500C", "usb1 d0C" for a USB printer port's write (the
// port's label in the note), "usb1 open" / "usb1 close", "SetBaudRate 38400".
inline std::vector<std::string> LoaderTrace(const SimLog& log) {
    auto frame = [](const std::string& bytes) {
        std::string text = SimLog::Printable(bytes);
        return text.compare(0, 6, "<ESC>!") == 0 ? text.substr(6) : text;
    };
    std::vector<std::string> lines;
    for (const SimLog::Entry& e : log.Entries()) {
        switch (e.kind) {
        case SimLog::Kind::Exchange: lines.push_back(frame(e.bytes)); break;
        case SimLog::Kind::Sleep: lines.push_back("sleep " + std::to_string(e.value)); break;
        case SimLog::Kind::Write:
            lines.push_back((e.note.empty() ? "write" : e.note) + " " + frame(e.bytes));
            break;
        case SimLog::Kind::Setting:
            lines.push_back(e.note + (e.note.compare(0, 3, "usb") == 0
                                          ? std::string()
                                          : " " + std::to_string(e.value)));
            break;
        default: break;
        }
    }
    return lines;
}

using Lines = std::vector<std::string>;

// Tests of one autoloader on the simulated device.
class LoaderTest : public ::testing::Test {
protected:
    // A loader of this model and version with a printer: "" for none, "TOLVANE" for a
    // Tolvane XJQN22, any other model at "VERSION 6.100". The log starts empty.
    void Connect(const char* model, const char* version, const std::string& printerModel) {
        rig.device.SetLoader(model, version);
        if (printerModel.empty())
            rig.device.RemovePrinter();
        else
            rig.device.SetPrinter(printerModel,
                                  printerModel == "TOLVANE" ? "XJQN22" : "VERSION 6.100");
        loader = rig.Connect<LoaderProbe>();
        ASSERT_TRUE(loader);
    }
    Lines Sent() { return LoaderTrace(rig.Log()); }

    SimAutoloaderRig rig;
    std::unique_ptr<LoaderProbe> loader;
};
