#include "links/DllWrapper.h"

#include "links/SystemUtil.h"

DllWrapper::DllWrapper(const std::wstring& path) : m_path(path) {}

DllWrapper::~DllWrapper() {
    if (m_module != nullptr) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}

bool DllWrapper::Load() {
    if (m_loaded) return true;
    if (m_path.find(L'\\') == std::wstring::npos) {
        m_module = LoadLibraryW((GetModuleDirectory() + L"\\" + m_path).c_str());
        if (m_module == nullptr) m_module = LoadLibraryW(m_path.c_str());
    } else {
        m_module = LoadLibraryW(m_path.c_str());
    }
    if (m_module == nullptr) {
        m_loadFailed = true;
        m_errorText = GetLastSystemErrorText();
        return false;
    }
    if (!ResolveEntryPoints()) {
        m_loadFailed = true;
        // A library without the entry points is of no use: let the next call look again.
        FreeLibrary(m_module);
        m_module = nullptr;
        return false;
    }
    m_loaded = true;
    return true;
}
