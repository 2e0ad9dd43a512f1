#pragma once
// A connection to the service control manager and at most one open service, both closed by
// the destructor (the service first). Failures keep the system's error code.

#include <windows.h>

class ServiceControl {
public:
    // Opens the manager of the local computer's default database with managerAccess.
    explicit ServiceControl(DWORD managerAccess);
    ~ServiceControl();
    ServiceControl(const ServiceControl&) = delete;
    ServiceControl& operator=(const ServiceControl&) = delete;

    bool IsOpen() const { return m_manager != nullptr; }
    // Opens serviceName for reading (readOnly) or for start and stop, closing an earlier one.
    bool Open(const wchar_t* serviceName, bool readOnly);
    // Sends the stop request; true when the manager accepted it (not waiting for the stop).
    bool Stop();
    void Close();

    DWORD GetLastErrorCode() const { return m_lastError; }

private:
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
    SERVICE_STATUS m_status = {};
    DWORD m_lastError = 0;
};
