#pragma once
// The service control manager calls the program makes, replaceable so that tests can accept
// or refuse a stop request.

#include "framework/Replaceable.h"

#include <windows.h>

class ServiceApi : public Replaceable<ServiceApi> {
public:
    virtual ~ServiceApi() {}
    virtual SC_HANDLE OpenManager(DWORD access) = 0;  // local computer, default database
    virtual SC_HANDLE OpenServiceByName(SC_HANDLE manager, const wchar_t* name, DWORD access) = 0;
    virtual BOOL SendControl(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
    virtual BOOL CloseServiceObject(SC_HANDLE handle) = 0;

    static ServiceApi& System();
};
