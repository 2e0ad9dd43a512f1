#pragma once
// The system calls under the HID device search and the HID device: the HID library, the
// list of HID interfaces, opening one, and the overlapped file calls of FileIo. The
// default calls the system; tests install a scripted device with Install.

#include "links/FileIo.h"

#include <windows.h>

#include <hidsdi.h>

#include <string>
#include <vector>

class HidSystem : public FileIo {
public:
    // g_hidLib loaded (DllWrapper::Load).
    virtual bool LoadHidLibrary();
    // The device paths of the present HID interfaces, in the system's order.
    virtual std::vector<std::string> ListInterfacePaths();
    // The path opened for reading and writing, shared, for overlapped I/O.
    virtual HANDLE Open(const std::string& devicePath);
    virtual bool GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes);
    virtual USHORT GetInputReportSize(HANDLE device);
    virtual std::wstring GetSerialNumberString(HANDLE device);
    virtual std::wstring GetManufacturerString(HANDLE device);
    virtual std::wstring GetProductString(HANDLE device);

    // The calls in force: the one installed, else the system's.
    static HidSystem& Current();
    // Installs calls of the caller's (null returns to the system's); the caller keeps
    // ownership and uninstalls before they go away.
    static void Install(HidSystem* system);
};
