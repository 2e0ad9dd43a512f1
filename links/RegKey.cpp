#include "links/RegKey.h"

RegKey::RegKey(HKEY root, const std::wstring& subKey, int options) {
    if (root == nullptr) return;
    REGSAM access = KEY_READ;
    if (options & SetValues) access |= KEY_SET_VALUE;
    if (options & Create) access |= KEY_CREATE_SUB_KEY;
    m_status = RegOpenKeyExW(root, subKey.c_str(), 0, access, &m_key);
    if (m_status != ERROR_SUCCESS && (options & Create)) {
        m_status = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    m_open = m_status == ERROR_SUCCESS;
    if (!m_open) m_key = nullptr;
}

RegKey::~RegKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
}

DWORD RegKey::ReadDword(const wchar_t* valueName, DWORD defaultValue) {
    if (!m_open) return defaultValue;
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    m_status = RegQueryValueExW(m_key, valueName, nullptr, &type,
                                reinterpret_cast<BYTE*>(&value), &size);
    if (m_status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)) return value;
    return defaultValue;
}
