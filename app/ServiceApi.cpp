#include "app/ServiceApi.h"

namespace {

class SystemServiceApi : public ServiceApi {
public:
    SC_HANDLE OpenManager(DWORD access) override {
        return OpenSCManagerW(nullptr, nullptr, access);
    }
    SC_HANDLE OpenServiceByName(SC_HANDLE manager, const wchar_t* name, DWORD access) override {
        return OpenServiceW(manager, name, access);
    }
    BOOL SendControl(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
        return ControlService(service, control, status);
    }
    BOOL CloseServiceObject(SC_HANDLE handle) override { return CloseServiceHandle(handle); }
};

}  // namespace

ServiceApi& ServiceApi::System() {
    static SystemServiceApi api;
    return api;
}
