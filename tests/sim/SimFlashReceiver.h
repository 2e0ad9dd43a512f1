#pragma once
// The firmware-download side of the simulated autoloader (pure C++ standard library).
// SimAutoloader hands it every command first and every data byte while a download runs.
//
// Commands taken, with the device's reply:
//   "\x1b!g5C"       switch to the boot loader (7340 family and QRX only; others do not
//                    answer): "\x1b!g51C"; the loader then restarts and answers nothing for
//                    BootSwitchMs of its clock, and its version reads BootVersion (it must
//                    begin "BOOT") until an image has been taken. Refused: "\x1b!g50C".
//   "\x1b!g0<n>C"    start a loader download of n bytes: "\x1b!g01C", then exactly n data
//                    bytes are taken whatever they hold. The 7340 family and the QRX take it
//                    only in their boot loader (a version beginning "BOOT"); n must be 1 to 10 digits and not 0; otherwise
//                    (or refused) "\x1b!g00C".
//   "\x1b!h0C", "\x1b!h064000C"
//                    start a printer download of 65536 or 64000 bytes: "\x1b!h01C" (refused:
//                    "\x1b!h00C").
// Data: the image is kept as it came (Image); bytes of a block beyond the announced count
// are counted as Excess and dropped. Once the last byte is in, a loader restarts: it answers
// nothing for RestartMs and then reports the version its image carries (the 16 characters
// after the model in the image's identification text: at 256 on the 7340 family, 528 on
// the QRX, 160 otherwise; kept as it was when the image is shorter). The printer's
// download changes no identification.

#include <cstddef>
#include <cstdint>
#include <string>

class SimAutoloader;

class SimFlashReceiver {
public:
    enum class Target { None, Loader, Printer };

    void SetBootSwitchMs(uint64_t milliseconds) { m_bootSwitchMs = milliseconds; }
    void SetRestartMs(uint64_t milliseconds) { m_restartMs = milliseconds; }
    void SetBootVersion(const std::string& version) { m_bootVersion = version; }

    // The model's answer to a command it takes (true), or false to leave it to the model.
    bool Respond(SimAutoloader& device, const std::string& frame, bool refuse,
                 std::string& reply);
    // Takes data while a download runs; false when none runs.
    bool Absorb(SimAutoloader& device, const std::string& data);
    // Data bytes still expected by the running download (0: none runs).
    size_t Remaining() const { return m_remaining; }

    Target LastTarget() const { return m_target; }
    // The count of the last download start, the bytes taken for it so far, the bytes
    // beyond it, and how many downloads were taken whole.
    uint64_t Announced() const { return m_announced; }
    const std::string& Image() const { return m_image; }
    size_t Excess() const { return m_excess; }
    int Completed() const { return m_completed; }

    // The loader model has a boot loader (7340 family, QRX).
    static bool HasBootLoader(const std::string& loaderModel);

private:
    std::string StartLoader(SimAutoloader& device, const std::string& frame, bool refuse);
    void Start(Target target, uint64_t count);
    void Finish(SimAutoloader& device);

    uint64_t m_bootSwitchMs = 3000;
    uint64_t m_restartMs = 8000;
    std::string m_bootVersion = "BOOT 1.00";
    uint64_t m_silentUntil = 0;
    Target m_target = Target::None;
    uint64_t m_announced = 0;
    size_t m_remaining = 0;
    std::string m_image;
    size_t m_excess = 0;
    int m_completed = 0;
};
