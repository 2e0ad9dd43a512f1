#include "framework/FileDialogs.h"

#include <commdlg.h>

#include <vector>

namespace {

class SystemFileDialogs : public FileDialogs {
public:
    bool OpenFile(HWND owner, const std::wstring& title, const std::wstring& filterName,
                  const std::wstring& pattern, std::wstring& path) override {
        // The filter is "name\0pattern\0\0".
        std::wstring filter = filterName;
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
        // A buffer of the longest path the system takes, so no choice is cut short.
        std::vector<wchar_t> file(32768, L'\0');
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = title.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        if (!GetOpenFileNameW(&ofn)) return false;
        path = file.data();
        return true;
    }
};

}  // namespace

FileDialogs& FileDialogs::System() {
    static SystemFileDialogs dialogs;
    return dialogs;
}
