#pragma once
// The system calls under the USB printer ports: the list of USB printer interfaces,
// opening one, the registry root that holds their port numbers, and the overlapped file
// calls of FileIo. The default calls the system; tests install their own with Install.

#include "links/FileIo.h"

#include <windows.h>

#include <string>
#include <vector>

class UsbPrinterSystem : public FileIo {
public:
    // The device paths of the present USB printer interfaces, in the system's order.
    virtual std::vector<std::wstring> ListInterfacePaths();
    // The path opened for reading and writing, unshared, for overlapped I/O.
    virtual HANDLE Open(const std::wstring& devicePath);
    // The root under which the device-class keys lie (HKEY_LOCAL_MACHINE).
    virtual HKEY RegistryRoot();

    // The installed calls, else the system's: made on the first call, destroyed at exit.
    static UsbPrinterSystem& Current();
    // Installs calls of the caller's (null returns to the system's); the caller keeps
    // ownership and uninstalls before they go away.
    static void Install(UsbPrinterSystem* system);
};
