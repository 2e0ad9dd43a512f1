#include "StrayComPorts.h"

#include <windows.h>

namespace {

// What the open port leads to: the file behind it (a comN link in the prefix's dosdevices
// shows as its Linux path on drive Z:) and the device the name is linked to in Wine's
// object tree (the device manager's ports are \Device\SerialN; they still open through
// that link once their dosdevices link is gone, and then have no file path).
std::string Target(HANDLE port, const std::string& name) {
    std::string target;
    char path[MAX_PATH] = {};
    DWORD length = GetFinalPathNameByHandleA(port, path, sizeof path, FILE_NAME_NORMALIZED);
    if (length > 0 && length < sizeof path) target = path;
    char device[MAX_PATH] = {};
    if (QueryDosDeviceA(name.c_str(), device, sizeof device) && device[0])
        target += (target.empty() ? "" : ", ") + std::string(device);
    return target.empty() ? "target unknown" : target;
}

}  // namespace

std::string StrayComPorts::Find(int ownPort) {
    std::string found;
    for (int number = 1; number <= kLastPort; ++number) {
        if (number == ownPort) continue;
        std::string name = "COM" + std::to_string(number);
        std::wstring path = L"\\\\.\\" + std::wstring(name.begin(), name.end());
        HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) continue;
        // A device manager's port whose dosdevices link the harness removed still opens
        // through \??\COMn, but every call on it fails: the program's scan gives up on it
        // at its first setting. Only a port that reports its line settings can take the
        // scan's messages.
        DCB settings = {};
        settings.DCBlength = sizeof settings;
        if (GetCommState(port, &settings))
            found += (found.empty() ? "" : "; ") + name + " can be opened (" +
                     Target(port, name) + ")";
        CloseHandle(port);
    }
    if (found.empty()) return found;
    if (ownPort > 0)
        return found + ": only COM" + std::to_string(ownPort) +
               ", the simulated device's port, may open";
    return found + ": no COM port may open in a run without the simulated device";
}
