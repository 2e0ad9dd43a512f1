#include "device/AutoPrinterPrompter.h"

#include "links/SystemUtil.h"

#include <windows.h>

namespace {

class SystemPrompter : public AutoPrinterPrompter {
public:
    void Prompt(const char* text) override {
        MessageBoxW(GetActiveWindow(), WidenString(text).c_str(), L"Tavrix", MB_OK);
    }
};

AutoPrinterPrompter* g_installed = nullptr;

}  // namespace

AutoPrinterPrompter& AutoPrinterPrompter::Current() {
    static SystemPrompter system;
    return g_installed ? *g_installed : system;
}

AutoPrinterPrompter* AutoPrinterPrompter::Install(AutoPrinterPrompter* prompter) {
    AutoPrinterPrompter* previous = g_installed;
    g_installed = prompter;
    return previous;
}
