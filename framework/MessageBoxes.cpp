#include "framework/MessageBoxes.h"

namespace {

class SystemMessageBoxes : public MessageBoxes {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& caption,
             UINT type) override {
        return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    }
};

}  // namespace

MessageBoxes& MessageBoxes::System() {
    static SystemMessageBoxes boxes;
    return boxes;
}
