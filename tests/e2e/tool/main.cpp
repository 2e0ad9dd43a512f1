// tavrix-drive: works Tavrix.exe from outside, for scripts/run and scripts/bench.
//
//   tavrix-drive show [SECONDS]  waits (default 180 s) for the program's main window, shown
//                                once it has connected and filled, or for its message box,
//                                and prints what it shows; exit 0 for the window
//   tavrix-drive close           closes the main window and waits for the program to end
//   tavrix-drive bench           starts the program (TAVRIX_EXE) and times its operations:
//                                with the simulated device (TAVRIX_COM_PORT) connect and
//                                fill, Apply Settings and a 64 KiB firmware update; without
//                                one the full scan. Each is printed beside the sleeps the
//                                program must make, the serial channel's drains and the
//                                line's transfer time (see LineBudget.h), and their ratio.

#include "AppProfile.h"
#include "FirmwareImage.h"
#include "LineBudget.h"
#include "SimDeviceFiles.h"
#include "TavrixUnderTest.h"
#include "TestEnvironment.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using T = TavrixUnderTest;

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

int Show(DWORD seconds) {
    UiWindow found;
    UiWindow::WaitUntil(
        [&] {
            for (const UiWindow& window : UiWindow::TopWindows(0)) {
                if (window.ClassName() != L"#32770") continue;
                if (window.Title() == T::kMainTitle ||
                    (window.Title() == T::kBoxTitle && window.Control(0xFFFF))) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        seconds * 1000);
    if (!found.Exists()) {
        std::printf("no window of the program within %lu s\n", seconds);
        return 2;
    }
    if (found.Title() == T::kBoxTitle) {
        std::printf("message: %s\n", Narrow(found.MessageText()).c_str());
        return 1;
    }
    const struct {
        const char* label;
        int id;
    } fields[] = {{"Inquiry ID", T::kInquiry},      {"Status", T::kStatus},
                  {"Override name", T::kOverrideName}, {"Beeps on fault", T::kBeeps},
                  {"Autoloader SN", T::kLoaderSn},   {"Printer SN", T::kPrinterSn},
                  {"Discs picked", T::kDiscsPicked}, {"Print count", T::kPrintCount},
                  {"Ribbon count", T::kRibbonCount}, {"Third counter", T::kImageCount}};
    for (const auto& field : fields)
        std::printf("%-15s %s\n", field.label, Narrow(found.Text(field.id)).c_str());
    return 0;
}

int Close() {
    UiWindow main = UiWindow::WaitFor(0, T::kMainTitle, 5000, L"#32770");
    if (!main.Exists()) return 1;
    main.Close();
    return UiWindow::WaitUntil([&] { return !main.Exists(); }, 15000) ? 0 : 1;
}

void Row(const char* name, double start, double end, double sleeps) {
    LineBudget line = LineBudget::Between(start, end);
    double measured = end - start;
    double bound = sleeps + line.drainSeconds + line.transferSeconds;
    char ratio[16] = "-";
    if (bound > 0) std::snprintf(ratio, sizeof ratio, "%.2f", measured / bound);
    std::printf("%-34s %8.2f %8.2f %8.2f %9.2f %8.2f %6s\n", name, measured, sleeps,
                line.drainSeconds, line.transferSeconds, bound, ratio);
    std::fflush(stdout);
}

void Header() {
    std::printf("%-34s %8s %8s %8s %9s %8s %6s\n", "operation (seconds)", "measured", "sleeps",
                "drains", "transfer", "bound", "ratio");
}

int BenchScan() {
    AppProfile::Clear();
    TavrixUnderTest app;
    Header();
    double start = SimDeviceFiles::Now();
    if (!app.Start()) return 1;
    UiWindow box = app.MessageBox(300000);
    if (!box.Exists()) return 1;
    Row("start and scan, no device", start, SimDeviceFiles::Now(), 0);
    T::Answer(box, IDOK);
    UiWindow main = app.MainWindow(10000);
    start = SimDeviceFiles::Now();
    main.SelectCombo(T::kPort, 0);
    box = app.MessageBox(300000);
    if (!box.Exists()) return 1;
    Row("full scan HID, COM1-256, no device", start, SimDeviceFiles::Now(), 0);
    T::Answer(box, IDOK);
    return app.CloseAndWait(15000) ? 0 : 1;
}

int BenchDevice() {
    int port = TestEnvironment::ComPort();
    AppProfile::Clear();
    AppProfile::Write(L"Last Good", L"First Port", port);
    AppProfile::Write(L"Last Good", L"Baud Rate", 115200);
    TavrixUnderTest app;
    Header();

    // The inquiry with a printer is read twice, 500 ms apart.
    double start = SimDeviceFiles::Now();
    if (!app.Start()) return 1;
    UiWindow main = app.MainWindow(120000);
    if (!main.Exists()) return 1;
    Row("start, connect and fill (115200)", start, SimDeviceFiles::Now(), 0.5);

    // 3 s after the store, 0.5 s before the read-back.
    main.SetText(T::kOverrideName, L"Bench Run");
    start = SimDeviceFiles::Now();
    main.Press(T::kApplySettings);
    if (!T::WaitText(main, T::kStatus, L"Parameter update succeeded", 120000)) return 1;
    Row("Apply Settings", start, SimDeviceFiles::Now(), 3.5);

    // VARDEN 7340: 7 s after the boot switch, 5 s after the image, 2 + 10 s in the
    // reconnect, 0.5 s for its second inquiry read, 10 s restart delay, 0.5 s for the
    // inquiry of the new connection.
    const std::wstring path = TestEnvironment::WorkFolder() + L"\\bench-64k.bin";
    if (!FirmwareImage::Save(path, FirmwareImage::Craft(65536))) return 1;
    main.Press(T::kUpdateFirmware);
    if (!app.ChooseFile(L"Select file to load flash from", path, 30000)) return 1;
    start = SimDeviceFiles::Now();
    if (!T::WaitText(main, T::kStatus, L"Flash update succeeded", 300000)) {
        std::printf("firmware update: status \"%s\"\n", Narrow(main.Text(T::kStatus)).c_str());
        return 1;
    }
    Row("firmware update, 64 KiB (38400)", start, SimDeviceFiles::Now(), 35.0);
    return app.CloseAndWait(15000) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "show") return Show(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 180);
    if (command == "close") return Close();
    if (command == "bench") return TestEnvironment::ComPort() > 0 ? BenchDevice() : BenchScan();
    std::fprintf(stderr, "usage: tavrix-drive show [SECONDS] | close | bench\n");
    return 2;
}
