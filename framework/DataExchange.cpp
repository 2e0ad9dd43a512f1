#include "framework/DataExchange.h"

#include "framework/AppBase.h"
#include "framework/SpinButton.h"

#include <climits>
#include <cwctype>

namespace {

std::wstring ControlText(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], length + 1)));
    return text;
}

// A whole text as a decimal integer: blanks around it, an optional sign, at least one digit.
bool ParseInteger(const std::wstring& text, int& value) {
    size_t i = 0, n = text.size();
    while (i < n && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    size_t firstDigit = i;
    long long number = 0;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        number = number * 10 + (text[i++] - L'0');
        if (number > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (i == firstDigit) return false;
    while (i < n && std::iswspace(text[i])) ++i;
    if (i != n) return false;
    if (negative) number = -number;
    if (number > INT_MAX || number < INT_MIN) return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

DataExchange::DataExchange(HWND dialog, bool saveAndValidate)
    : m_dialog(dialog), m_saving(saveAndValidate) {}

HWND DataExchange::PrepareControl(int id) { return GetDlgItem(m_dialog, id); }

void DataExchange::Fail(int id, const std::wstring& text) {
    m_failed = true;
    AppBase::Current().ShowMessage(text, MB_OK | MB_ICONEXCLAMATION);
    HWND control = PrepareControl(id);
    if (control) SetFocus(control);
}

void DDX_Text(DataExchange& dx, int id, std::wstring& value) {
    if (dx.Failed()) return;
    HWND control = dx.PrepareControl(id);
    if (!control) return;
    if (dx.IsSaving()) {
        value = ControlText(control);
    } else if (ControlText(control) != value) {
        SetWindowTextW(control, value.c_str());
    }
}

void DDX_Text(DataExchange& dx, int id, int& value) {
    if (dx.Failed()) return;
    HWND control = dx.PrepareControl(id);
    if (!control) return;
    if (!dx.IsSaving()) {
        std::wstring text = std::to_wstring(value);
        if (ControlText(control) != text) SetWindowTextW(control, text.c_str());
        return;
    }
    int number = 0;
    if (ParseInteger(ControlText(control), number))
        value = number;
    else
        dx.Fail(id, L"Enter an integer.");
}

void DDX_Check(DataExchange& dx, int id, bool& value) {
    if (dx.Failed()) return;
    HWND control = dx.PrepareControl(id);
    if (!control) return;
    if (dx.IsSaving())
        value = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
        SendMessageW(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_CBIndex(DataExchange& dx, int id, int& value) {
    if (dx.Failed()) return;
    HWND control = dx.PrepareControl(id);
    if (!control) return;
    if (dx.IsSaving()) {
        value = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        return;
    }
    // A position outside the list clears the selection (not every system does that itself).
    LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    WPARAM position = value >= 0 && value < count ? static_cast<WPARAM>(value) : static_cast<WPARAM>(-1);
    SendMessageW(control, CB_SETCURSEL, position, 0);
}

void DDX_Control(DataExchange& dx, int id, SpinButton& spin) {
    if (dx.Failed() || spin.GetHwnd()) return;
    spin.Attach(dx.PrepareControl(id));
}

void DDV_MaxChars(DataExchange& dx, int id, const std::wstring& value, int maxChars) {
    if (dx.Failed() || !dx.IsSaving()) return;
    if (value.size() > static_cast<size_t>(maxChars))
        dx.Fail(id, L"Enter no more than " + std::to_wstring(maxChars) + L" characters.");
}
