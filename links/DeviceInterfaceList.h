#pragma once
// The present device interfaces of one interface class, as the setup API lists them, each
// with its device path, a readable name and its first hardware id.

#include <windows.h>

#include <string>
#include <vector>

struct DeviceInterfaceEntry {
    std::wstring devicePath;
    std::wstring name;
    std::wstring hardwareId;
};

class DeviceInterfaceList {
public:
    explicit DeviceInterfaceList(const GUID& classGuid) : m_classGuid(classGuid) {}

    // Walks the class and appends every interface whose detail can be read; an interface
    // whose detail or strings cannot be had never hides the ones after it. Returns the
    // number of entries held.
    int Enumerate();
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    DeviceInterfaceEntry& GetEntry(int i) { return m_entries.at(static_cast<size_t>(i)); }

private:
    GUID m_classGuid;
    std::vector<DeviceInterfaceEntry> m_entries;
};
