// tavrix-simdevice: a simulated device on a pseudo-terminal, for the program under Wine.
//
//   tavrix-simdevice [--model autoloader|loader|printer] [--baud N] [--no-pace]
//                    [--log FILE] [--state FILE] [--image FILE]
//                    [--pty-file FILE] [--lifetime SECONDS]
//
// Opens a pty, writes its slave's path to --pty-file (default: $TAVRIX_PTY_FILE, the
// protocol of tests/tools/pty-run) once it serves, and answers on the line until killed
// (SIGTERM, SIGINT) or --lifetime seconds (default 3600) have passed.
//   --model  autoloader: a VARDEN 7340 with its printer (default); loader: without printer;
//            printer: a stand-alone CD-R AutoPrinter
//   --baud   the rate the device listens at first (default 115200)
//   --no-pace  bytes move at once instead of at the line's rate
//   --log, --state, --image  see LineRunner.h

#include "AutoloaderHost.h"
#include "LineRunner.h"
#include "PrinterHost.h"
#include "PtyLine.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::atomic<bool> g_stop(false);

void OnSignal(int) { g_stop = true; }

int Usage(const char* problem) {
    std::fprintf(stderr, "tavrix-simdevice: %s\n", problem);
    std::fprintf(stderr,
                 "usage: tavrix-simdevice [--model autoloader|loader|printer] [--baud N] [--no-pace]\n"
                 "       [--log FILE] [--state FILE] [--image FILE] [--pty-file FILE]\n"
                 "       [--lifetime SECONDS]\n");
    return 2;
}

bool Announce(const std::string& path, const std::string& slave) {
    std::string fresh = path + ".new";
    FILE* file = std::fopen(fresh.c_str(), "w");
    if (!file) return false;
    std::fputs(slave.c_str(), file);
    return std::fclose(file) == 0 && std::rename(fresh.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string model = "autoloader";
    const char* ptyEnv = std::getenv("TAVRIX_PTY_FILE");
    std::string ptyFile = ptyEnv ? ptyEnv : "";
    LineRunner::Files files;
    double lifetime = 3600;
    int baud = 115200;
    bool pace = true;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--no-pace") {
            pace = false;
            continue;
        }
        if (i + 1 >= argc) return Usage(("no value for " + option).c_str());
        std::string value = argv[++i];
        if (option == "--model") model = value;
        else if (option == "--log") files.log = value;
        else if (option == "--state") files.state = value;
        else if (option == "--image") files.image = value;
        else if (option == "--pty-file") ptyFile = value;
        else if (option == "--lifetime") lifetime = std::atof(value.c_str());
        else if (option == "--baud") baud = std::atoi(value.c_str());
        else return Usage(("unknown option " + option).c_str());
    }
    std::unique_ptr<HostDevice> device;
    if (model == "autoloader") device.reset(new AutoloaderHost(true));
    else if (model == "loader") device.reset(new AutoloaderHost(false));
    else if (model == "printer") device.reset(new PrinterHost());
    else return Usage(("unknown model " + model).c_str());
    device->Device().SetBaudRate(baud);

    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    PtyLine line;
    if (!line.Open()) {
        std::fprintf(stderr, "tavrix-simdevice: %s\n", line.Error().c_str());
        return 1;
    }
    line.SetPacing(pace);
    LineRunner runner(*device, line, files);
    if (!ptyFile.empty() && !Announce(ptyFile, line.SlavePath())) {
        std::fprintf(stderr, "tavrix-simdevice: cannot write %s\n", ptyFile.c_str());
        return 1;
    }
    if (ptyFile.empty()) std::printf("%s\n", line.SlavePath().c_str());
    std::fflush(stdout);
    runner.Run(lifetime, g_stop);
    return 0;
}
