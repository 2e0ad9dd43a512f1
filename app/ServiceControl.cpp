#include "app/ServiceControl.h"

#include "app/ServiceApi.h"

ServiceControl::ServiceControl(DWORD managerAccess) {
    m_manager = ServiceApi::Current().OpenManager(managerAccess);
    if (!m_manager) m_lastError = GetLastError();
}

ServiceControl::~ServiceControl() {
    Close();
    if (m_manager) ServiceApi::Current().CloseServiceObject(m_manager);
}

bool ServiceControl::Open(const wchar_t* serviceName, bool readOnly) {
    if (!m_manager) return false;
    Close();
    m_status = SERVICE_STATUS{};
    DWORD access = readOnly ? GENERIC_READ : (SERVICE_START | SERVICE_STOP);
    m_service = ServiceApi::Current().OpenServiceByName(m_manager, serviceName, access);
    if (m_service) return true;
    m_lastError = GetLastError();
    return false;
}

bool ServiceControl::Stop() {
    if (!m_service) return false;
    if (ServiceApi::Current().SendControl(m_service, SERVICE_CONTROL_STOP, &m_status)) return true;
    m_lastError = GetLastError();
    return false;
}

void ServiceControl::Close() {
    if (m_service) ServiceApi::Current().CloseServiceObject(m_service);
    m_service = nullptr;
}
