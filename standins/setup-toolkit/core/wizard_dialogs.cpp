// Recognising and operating the add-user wizard's dialogs (see
// wizard_dialogs.h).
#include "wizard_dialogs.h"

#include <array>
#include <string_view>

namespace stf {

namespace {

struct KnownDialog {
    WizardDialog dialog;
    const char* title;
};

constexpr std::array<KnownDialog, 4> kDialogs = {{
    {WizardDialog::AddMore, "Add a user?"},
    {WizardDialog::UserId, "Enter a UserID"},
    {WizardDialog::FullName, "Enter the full name"},
    {WizardDialog::Password, "Enter the password"},
}};

bool HasControl(HWND window, int id, std::string_view cls) {
    HWND control = GetDlgItem(window, id);
    if (control == nullptr)
        return false;
    std::array<char, 16> name{};
    GetClassNameA(control, name.data(), static_cast<int>(name.size()));
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(), -1, cls.data(),
                          static_cast<int>(cls.size())) == CSTR_EQUAL;
}

} // namespace

WizardDialog WizardDialogOf(HWND window) {
    std::array<char, 32> title{};
    GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
    for (const KnownDialog& known : kDialogs) {
        if (std::string_view(title.data()) != known.title)
            continue;
        if (!HasControl(window, kWizardFirstButton, "Button") ||
            !HasControl(window, kWizardSecondButton, "Button"))
            return WizardDialog::None;
        const bool controls = known.dialog == WizardDialog::AddMore
                                  ? HasControl(window, kWizardQuestion, "Static")
                                  : HasControl(window, kWizardField, "Edit");
        return controls ? known.dialog : WizardDialog::None;
    }
    return WizardDialog::None;
}

const char* WizardTitle(WizardDialog dialog) {
    for (const KnownDialog& known : kDialogs) {
        if (known.dialog == dialog)
            return known.title;
    }
    return "";
}

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, 0xFFFF) != nullptr;
}

std::size_t WizardFieldLimit(HWND dialog) {
    return static_cast<std::size_t>(
        SendDlgItemMessageA(dialog, kWizardField, EM_GETLIMITTEXT, 0, 0));
}

std::string WizardFieldText(HWND dialog) {
    HWND field = GetDlgItem(dialog, kWizardField);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(field, text.data(), static_cast<int>(text.size()))));
    const std::size_t limit = WizardFieldLimit(dialog);
    if (limit > 0 && text.size() > limit)
        text.resize(limit);
    return text;
}

void TypeIntoWizardField(HWND dialog, const std::string& text) {
    SendDlgItemMessageA(dialog, kWizardField, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()));
}

void PressWizardButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

} // namespace stf
