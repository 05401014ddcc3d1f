// Shared pieces of the dialog procedures: button to event word, symbol
// storage, the bold heading font and keyboard focus.
#include "dialog_common.h"

#include "res/mscuistf_rc.h"
#include "setup_toolkit.h"
#include "toolkit_dialogs.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

#include <array>

namespace dlg {
namespace {

// One bold font for every heading of the process, made from the first
// dialog's font; released when the library unloads.
postern::UniqueGdiObject headingFont;

void NoteProblem(const char* what, const char* detail = "") {
    std::array<char, 256> text{};
    postern::FormatText(text, "mscuistf: %s%s\n", what, detail);
    OutputDebugStringA(text.data());
}

} // namespace

const char* EventWordOf(int controlId) {
    switch (controlId) {
    case IDC_CONTINUE:
        return STF_EVENT_CONTINUE;
    case IDC_BACK:
        return STF_EVENT_BACK;
    case IDC_EXIT:
        return STF_EVENT_EXIT;
    case IDC_CANCEL:
        return STF_EVENT_CANCEL;
    default:
        return nullptr;
    }
}

INT_PTR HandleButton(HWND dialog, WPARAM wParam, StoreResult beforeReport) {
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    const int id = LOWORD(wParam);
    if (id == IDC_HELPBUTTON) {
        if (!FShowDialogHelp(dialog)) {
            NoteProblem("the toolkit has no help dialog for this dialog");
            MessageBeep(MB_ICONEXCLAMATION);
        }
        return TRUE;
    }
    const char* word = EventWordOf(id);
    if (word == nullptr)
        return FALSE;
    if (beforeReport != nullptr)
        beforeReport(dialog);
    ReportDialogEvent(dialog, word);
    return TRUE;
}

void StoreSymbol(const char* name, const char* value) {
    if (!FSetSymbolValue(name, value))
        NoteProblem("the toolkit refused to set symbol ", name);
}

void ApplyHeadingFont(HWND dialog) {
    if (!headingFont) {
        const auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        LOGFONTA shape{};
        if (dialogFont == nullptr || GetObjectA(dialogFont, sizeof shape, &shape) == 0)
            return; // the headings keep the dialog's font
        shape.lfWeight = FW_BOLD;
        shape.lfHeight += shape.lfHeight < 0 ? -1 : 1; // a point larger than the text
        headingFont.reset(CreateFontIndirectA(&shape));
        if (!headingFont) {
            NoteProblem("no bold font for the headings");
            return;
        }
    }
    for (int id : {IDC_HEADING, IDC_SUBHEADING}) {
        if (HWND heading = GetDlgItem(dialog, id); heading != nullptr)
            SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont.get()), FALSE);
    }
}

INT_PTR FocusControl(HWND dialog, int controlId) {
    if (HWND control = GetDlgItem(dialog, controlId); control != nullptr)
        SetFocus(control);
    return FALSE;
}

} // namespace dlg
