// Tests of the dialog library mscuistf.dll against the real toolkit: its
// templates and the controls the contract names, the STFANSWER texts, the
// frame bitmap, and the exported procedures driven through a started frame,
// with FDoDialogExt where the toolkit's wait is part of the behaviour and
// CreateDialogParamA where only the procedure's handling of symbols is.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "setup_toolkit.h"
#include "toolkit_dialogs.h"
#include "toolkit_win_harness.h"

namespace {

using postern::TextOf;
using postern::WaitFor;
using toolkit_test::FindDialog;
using toolkit_test::Press;
using toolkit_test::Symbol;

constexpr int kHeadingId = 110;   // the bold first line of every dialog
constexpr int kOptionNote1 = 321; // explanation under option 1
constexpr UINT kHelpDialog = 900;

void SetList(const char* name, const std::vector<const char*>& items) {
    ASSERT_TRUE(FSetSymbolValue(name, ""));
    for (const char* item : items)
        ASSERT_TRUE(FAddListItem(name, item));
}

std::string ClassOf(HWND window) {
    std::array<char, 64> name{};
    GetClassNameA(window, name.data(), static_cast<int>(name.size()));
    return name.data();
}

LONG_PTR StyleOf(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE);
}

bool IsButtonOfType(HWND control, LONG_PTR type) {
    return control != nullptr && ClassOf(control) == "Button" &&
           (StyleOf(control) & BS_TYPEMASK) == type;
}

// A dialog procedure that only lets a template be looked at.
INT_PTR CALLBACK InspectOnly(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class DialogLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library_.reset(LoadLibraryA("mscuistf.dll"));
        ASSERT_TRUE(library_) << "mscuistf.dll does not load, error " << GetLastError();
        frame_ = std::make_unique<toolkit_test::Frame>("/log " + temp_.File("run.log"));
        ASSERT_GT(frame_->result(), 0);
        ASSERT_NE(HwndFrame(), nullptr);
        for (const char* name : {"RadioDefault", "OptionsGreyed", "EditTextIn", "EditFocus",
                                 "ButtonChecked", "EditTextOut", "DLGEVENT"})
            ASSERT_TRUE(FSetSymbolValue(name, ""));
    }
    void TearDown() override {
        for (HWND dialog : direct_)
            DestroyWindow(dialog);
        FKillNDialogs(-1);
        frame_.reset();
    }

    DLGPROC Procedure(const char* name) {
        return reinterpret_cast<DLGPROC>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), name)));
    }

    // Creates a dialog of the library directly, owned by the frame.
    HWND Create(UINT number, const char* procedure) {
        DLGPROC proc = procedure ? Procedure(procedure) : InspectOnly;
        HWND dialog =
            CreateDialogParamA(library_.get(), MAKEINTRESOURCEA(number), HwndFrame(), proc, 0);
        if (dialog != nullptr)
            direct_.push_back(dialog);
        return dialog;
    }

    // Shows dialog `number` with FDoDialogExt while `drive` acts on it from
    // another thread; returns the event word the dialog reported.
    std::string ShowAndDrive(UINT number, const char* procedure, const std::string& heading,
                             const std::function<void(HWND)>& drive,
                             UINT helpNumber = kHelpDialog) {
        bool found = false;
        EXPECT_TRUE(
            toolkit_test::ShowAndDrive(number, procedure, heading, drive, &found, helpNumber))
            << "FDoDialogExt " << number;
        EXPECT_TRUE(found) << "dialog " << number << " (" << heading << ") did not appear";
        return Symbol("DLGEVENT");
    }

    toolkit_test::TempDir temp_;
    std::unique_ptr<toolkit_test::Frame> frame_;
    postern::UniqueModule library_;
    std::vector<HWND> direct_;
};

// ---- templates -----------------------------------------------------------------

struct TemplateCase {
    UINT number;
    const char* heading;
    bool back, exit, help;
    int options;    // radio options; 0 for none
    bool editField; // IDC_EDITFIELD
};

constexpr std::array<TemplateCase, 10> kModalTemplates = {{
    {100, "Welcome to Postern Setup", false, true, true, 0, false},
    {200, "Exit Setup?", false, true, true, 0, false},
    {300, "Destination directory", true, true, true, 0, true},
    {400, "Setup stopped because of an error", false, false, false, 0, false},
    {700, "Setup is complete", false, false, true, 0, false},
    {800, "Installation type", true, true, true, 3, false},
    {801, "User database", true, true, true, 2, false},
    {6400, "This directory cannot be used", false, false, false, 0, false},
    {7801, "Mail host name", true, true, true, 0, true},
    {kHelpDialog, "What Setup asks", false, false, false, 0, false},
}};

TEST_F(DialogLibraryTest, ModalTemplatesHaveTheButtonsAndFieldsTheContractNames) {
    for (const TemplateCase& c : kModalTemplates) {
        SCOPED_TRACE(c.number);
        HWND dialog = Create(c.number, nullptr);
        ASSERT_NE(dialog, nullptr) << "no template " << c.number;
        const LONG_PTR style = StyleOf(dialog);
        const LONG_PTR modal = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        EXPECT_EQ(style & modal, modal);
        EXPECT_EQ(TextOf(dialog), c.number == kHelpDialog ? "Postern Setup Help" : "Postern Setup");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, kHeadingId)), c.heading);

        EXPECT_TRUE(IsButtonOfType(GetDlgItem(dialog, IDC_CONTINUE), BS_DEFPUSHBUTTON));
        EXPECT_EQ(GetDlgItem(dialog, IDC_BACK) != nullptr, c.back);
        EXPECT_EQ(GetDlgItem(dialog, IDC_EXIT) != nullptr, c.exit);
        EXPECT_EQ(GetDlgItem(dialog, IDC_HELPBUTTON) != nullptr, c.help);
        if (c.exit) {
            EXPECT_TRUE(IsButtonOfType(GetDlgItem(dialog, IDC_EXIT), BS_PUSHBUTTON));
        }
        EXPECT_EQ(GetDlgItem(dialog, IDC_CANCEL), nullptr) << "Escape is Cancel; no button for it";

        for (int n = 1; n <= IDC_OPTIONMAX - IDC_OPTION1 + 1; ++n) {
            HWND option = GetDlgItem(dialog, IDC_OPTION1 + n - 1);
            EXPECT_EQ(option != nullptr, n <= c.options) << "option " << n;
            if (option == nullptr)
                continue;
            EXPECT_TRUE(IsButtonOfType(option, BS_AUTORADIOBUTTON)) << "option " << n;
            EXPECT_EQ((StyleOf(option) & WS_GROUP) != 0, n == 1) << "options form one group";
            EXPECT_NE(GetDlgItem(dialog, kOptionNote1 + n - 1), nullptr) << "explanation " << n;
        }
        HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
        EXPECT_EQ(field != nullptr, c.editField);
        if (field != nullptr) {
            EXPECT_EQ(ClassOf(field), "Edit");
            EXPECT_NE(StyleOf(field) & ES_AUTOHSCROLL, 0);
        }
    }
}

TEST_F(DialogLibraryTest, ButtonsCarryMnemonicsAndTabOrderFollowsTheRow) {
    HWND dialog = Create(800, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_BACK)), "< &Back");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_CONTINUE)), "&Continue >");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_EXIT)), "E&xit Setup");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_HELPBUTTON)), "&Help");
    // Tab from the options: Back, Continue, Exit Setup, Help, then the options.
    HWND at = GetDlgItem(dialog, IDC_OPTION1);
    for (int expected : {IDC_BACK, IDC_CONTINUE, IDC_EXIT, IDC_HELPBUTTON, IDC_OPTION1}) {
        at = GetNextDlgTabItem(dialog, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), expected);
    }
}

TEST_F(DialogLibraryTest, BillboardsAndWorkDialogsAreButtonlessPopups) {
    for (UINT number : {5001u, 5002u, 5003u, 5005u, 5006u, 5007u}) {
        SCOPED_TRACE(number);
        HWND dialog = Create(number, nullptr);
        ASSERT_NE(dialog, nullptr) << "no template " << number;
        const LONG_PTR style = StyleOf(dialog);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_VISIBLE), WS_POPUP | WS_CAPTION | WS_VISIBLE);
        EXPECT_EQ(style & WS_SYSMENU, 0) << "no close box";
        EXPECT_FALSE(TextOf(GetDlgItem(dialog, kHeadingId)).empty());
        int buttons = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            buttons += ClassOf(child) == "Button";
        EXPECT_EQ(buttons, 0);
    }
}

TEST_F(DialogLibraryTest, UnattendedAnswersAreNulTerminatedTextsOfTheirDialogs) {
    const std::array<std::pair<UINT, const char*>, 6> answers = {{
        {800, "key=Mode;new=1;update=2;remove=3"},
        {801, "key=UserDatabase;nt=1;own=2"},
        {7801, "key=HostName"},
        {300, "key=Destination"},
        {6400, "refused"},
        {400, "fatal"},
    }};
    for (const auto& [number, text] : answers) {
        SCOPED_TRACE(number);
        HRSRC found = FindResourceA(library_.get(), MAKEINTRESOURCEA(number), STF_ANSWER_TYPE);
        ASSERT_NE(found, nullptr);
        const DWORD size = SizeofResource(library_.get(), found);
        const char* data =
            static_cast<const char*>(LockResource(LoadResource(library_.get(), found)));
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(size, strlen(text) + 1);
        EXPECT_EQ(data[size - 1], '\0');
        EXPECT_STREQ(data, text);
    }
    for (UINT number : {100u, 200u, 700u, 5001u, 5006u})
        EXPECT_EQ(FindResourceA(library_.get(), MAKEINTRESOURCEA(number), STF_ANSWER_TYPE), nullptr)
            << number << " is answered by its procedure's kind";
}

TEST_F(DialogLibraryTest, FrameBitmapLoadsAtFrameSize) {
    postern::UniqueGdiObject bitmap(
        LoadImageA(library_.get(), MAKEINTRESOURCEA(1), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_TRUE(bitmap) << "error " << GetLastError();
    BITMAP shape{};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof shape, &shape), static_cast<int>(sizeof shape));
    EXPECT_EQ(shape.bmWidth, 640);
    EXPECT_EQ(shape.bmHeight, 480);
    EXPECT_TRUE(FSetBitmap("mscuistf.dll", 1));
}

TEST_F(DialogLibraryTest, ExportsEveryProcedureByName) {
    for (const char* name : {"FInfoDlgProc", "FInfo0DlgProc", "FQuitDlgProc", "FEditDlgProc",
                             "FRadioDlgProc", "FHelpDlgProc", "FModelessDlgProc"})
        EXPECT_NE(Procedure(name), nullptr) << name;
}

// ---- radio dialogs -------------------------------------------------------------

std::string CheckedOptions(HWND dialog) {
    std::string checked;
    for (int n = 1; n <= 3; ++n)
        if (IsDlgButtonChecked(dialog, IDC_OPTION1 + n - 1) == BST_CHECKED)
            checked += static_cast<char>('0' + n);
    return checked;
}

std::string EnabledOptions(HWND dialog) {
    std::string enabled;
    for (int n = 1; n <= 3; ++n)
        if (IsWindowEnabled(GetDlgItem(dialog, IDC_OPTION1 + n - 1)))
            enabled += static_cast<char>('0' + n);
    return enabled;
}

TEST_F(DialogLibraryTest, RadioChecksTheDefaultAndGreysListedOptions) {
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "2"));
    SetList("OptionsGreyed", {" ", "3", "x", "12"});
    HWND dialog = Create(800, "FRadioDlgProc");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CheckedOptions(dialog), "2");
    EXPECT_EQ(EnabledOptions(dialog), "12") << "only the digit item 3 greys an option";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kOptionNote1 + 2))) << "its explanation too";
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_OPTION1 + 1);

    // A refresh reads the symbols anew: a greyed default gives way to the
    // first available option, and options no longer listed come back.
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    SetList("OptionsGreyed", {"1"});
    SendMessageA(dialog, WM_STF_REFRESH, 0, 0);
    EXPECT_EQ(CheckedOptions(dialog), "2");
    EXPECT_EQ(EnabledOptions(dialog), "23");
    // Tab reaches the group at its checked option, not at the greyed first.
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDC_HELPBUTTON), FALSE)),
              IDC_OPTION1 + 1);
    EXPECT_EQ(StyleOf(GetDlgItem(dialog, IDC_OPTION1)) & WS_TABSTOP, 0);
}

TEST_F(DialogLibraryTest, RadioWithoutUsableDefaultChecksTheFirstAvailableOption) {
    HWND plain = Create(801, "FRadioDlgProc");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(CheckedOptions(plain), "1");

    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "7")); // the template has no option 7
    HWND other = Create(800, "FRadioDlgProc");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(CheckedOptions(other), "1");
}

TEST_F(DialogLibraryTest, RadioStoresTheCheckedDigitBeforeEachEvent) {
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    EXPECT_EQ(ShowAndDrive(800, "FRadioDlgProc", "Installation type",
                           [](HWND dialog) {
                               SendMessageA(GetDlgItem(dialog, IDC_OPTION1), BM_SETCHECK,
                                            BST_UNCHECKED, 0);
                               SendMessageA(GetDlgItem(dialog, IDC_OPTION1 + 2), BM_SETCHECK,
                                            BST_CHECKED, 0);
                               Press(dialog, IDC_BACK);
                           }),
              STF_EVENT_BACK);
    EXPECT_EQ(Symbol("ButtonChecked"), "3");

    // Shown again while open: the refresh restores RadioDefault, and Exit
    // stores the choice too.
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "2"));
    EXPECT_EQ(ShowAndDrive(800, "FRadioDlgProc", "Installation type",
                           [](HWND dialog) { Press(dialog, IDC_EXIT); }),
              STF_EVENT_EXIT);
    EXPECT_EQ(Symbol("ButtonChecked"), "2");
}

// ---- edit dialogs --------------------------------------------------------------

std::pair<DWORD, DWORD> Selection(HWND field) {
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

TEST_F(DialogLibraryTest, EditStartsFromEditTextInWithTheCaretEditFocusAsks) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    const std::array<std::pair<const char*, std::pair<DWORD, DWORD>>, 4> cases = {{
        {"END", {10, 10}},
        {"ALL", {0, 10}},
        {"START", {0, 0}},
        {"", {10, 10}},
    }};
    for (const auto& [focus, selection] : cases) {
        SCOPED_TRACE(focus);
        ASSERT_TRUE(FSetSymbolValue("EditFocus", focus));
        HWND dialog = Create(300, "FEditDlgProc");
        ASSERT_NE(dialog, nullptr);
        HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
        EXPECT_EQ(TextOf(field), "C:\\POSTERN");
        EXPECT_EQ(GetFocus(), field);
        EXPECT_EQ(Selection(field), selection);
        DestroyWindow(dialog);
        direct_.pop_back();
    }
}

TEST_F(DialogLibraryTest, EditRefreshReadsTheSymbolsAgainAndLimitsTheText) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "mail.example.com"));
    ASSERT_TRUE(FSetSymbolValue("EditFocus", "ALL"));
    HWND dialog = Create(7801, "FEditDlgProc");
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
    EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 254);

    const std::string longName(300, 'h');
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", longName.c_str()));
    ASSERT_TRUE(FSetSymbolValue("EditFocus", "START"));
    SendMessageA(dialog, WM_STF_REFRESH, 0, 0);
    EXPECT_EQ(TextOf(field), longName.substr(0, 254));
    EXPECT_EQ(Selection(field), std::make_pair(DWORD{0}, DWORD{0}));
}

TEST_F(DialogLibraryTest, EditShownAgainKeepsTheTypedTextUntilANewProposal) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    ASSERT_TRUE(FSetSymbolValue("EditFocus", "END"));
    HWND dialog = Create(300, "FEditDlgProc");
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
    SetWindowTextA(field, "C:\\POSTRN");
    // The same proposal: what the operator typed stays, caret at its end.
    SendMessageA(dialog, WM_STF_REFRESH, 0, 0);
    EXPECT_EQ(TextOf(field), "C:\\POSTRN");
    EXPECT_EQ(Selection(field), std::make_pair(DWORD{9}, DWORD{9}));
    // A new proposal replaces it.
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "D:\\MAIL"));
    SendMessageA(dialog, WM_STF_REFRESH, 0, 0);
    EXPECT_EQ(TextOf(field), "D:\\MAIL");
}

TEST_F(DialogLibraryTest, EachOpenEditDialogKeepsItsOwnProposal) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    HWND destination = Create(300, "FEditDlgProc");
    ASSERT_NE(destination, nullptr);
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "mail.example.com"));
    HWND host = Create(7801, "FEditDlgProc");
    ASSERT_NE(host, nullptr);
    SetDlgItemTextA(destination, IDC_EDITFIELD, "D:\\TYPED");
    SetDlgItemTextA(host, IDC_EDITFIELD, "typed.example.com");
    // The proposal now is the host dialog's own: it keeps what was typed,
    // while the destination dialog, filled from another, takes it.
    SendMessageA(host, WM_STF_REFRESH, 0, 0);
    SendMessageA(destination, WM_STF_REFRESH, 0, 0);
    EXPECT_EQ(TextOf(GetDlgItem(host, IDC_EDITFIELD)), "typed.example.com");
    EXPECT_EQ(TextOf(GetDlgItem(destination, IDC_EDITFIELD)), "mail.example.com");
}

TEST_F(DialogLibraryTest, EditStoresTheFieldBeforeEachEvent) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    EXPECT_EQ(ShowAndDrive(300, "FEditDlgProc", "Destination directory",
                           [](HWND dialog) {
                               SetDlgItemTextA(dialog, IDC_EDITFIELD, "D:\\MAIL\\POSTERN");
                               Press(dialog, IDC_CONTINUE);
                           }),
              STF_EVENT_CONTINUE);
    EXPECT_EQ(Symbol("EditTextOut"), "D:\\MAIL\\POSTERN");

    // Shown again: the field is EditTextIn once more, and Escape stores it too.
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "E:\\POSTERN"));
    EXPECT_EQ(ShowAndDrive(300, "FEditDlgProc", "Destination directory",
                           [](HWND dialog) { Press(dialog, IDC_CANCEL); }),
              STF_EVENT_CANCEL);
    EXPECT_EQ(Symbol("EditTextOut"), "E:\\POSTERN");
}

// ---- event words and help ------------------------------------------------------

TEST_F(DialogLibraryTest, EachButtonReportsItsEventWordAndTheDialogStaysOpen) {
    struct ButtonCase {
        UINT number;
        const char* procedure;
        const char* heading;
        int button;
        const char* word;
    };
    const std::array<ButtonCase, 9> presses = {{
        {100, "FInfoDlgProc", "Welcome to Postern Setup", IDC_CONTINUE, STF_EVENT_CONTINUE},
        {100, "FInfoDlgProc", "Welcome to Postern Setup", IDC_EXIT, STF_EVENT_EXIT},
        {100, "FInfoDlgProc", "Welcome to Postern Setup", IDC_CANCEL, STF_EVENT_CANCEL},
        {801, "FRadioDlgProc", "User database", IDC_BACK, STF_EVENT_BACK},
        {200, "FQuitDlgProc", "Exit Setup?", IDC_CONTINUE, STF_EVENT_CONTINUE},
        {200, "FQuitDlgProc", "Exit Setup?", IDC_EXIT, STF_EVENT_EXIT},
        {200, "FQuitDlgProc", "Exit Setup?", IDC_CANCEL, STF_EVENT_CANCEL},
        {6400, "FInfo0DlgProc", "This directory cannot be used", IDC_CONTINUE, STF_EVENT_CONTINUE},
        {400, "FInfo0DlgProc", "Setup stopped because of an error", IDC_CANCEL, STF_EVENT_CANCEL},
    }};
    for (const ButtonCase& p : presses) {
        SCOPED_TRACE(std::to_string(p.number) + " button " + std::to_string(p.button));
        const UINT help = p.number == 400 || p.number == 6400 ? 0 : kHelpDialog;
        EXPECT_EQ(ShowAndDrive(
                      p.number, p.procedure, p.heading,
                      [&](HWND dialog) { Press(dialog, p.button); }, help),
                  p.word);
        EXPECT_NE(FindDialog(GetCurrentThreadId(), p.heading), nullptr)
            << "closed by the toolkit only";
    }
    EXPECT_TRUE(FKillNDialogs(-1));
    EXPECT_EQ(FindDialog(GetCurrentThreadId(), "Welcome to Postern Setup"), nullptr);
}

TEST_F(DialogLibraryTest, HelpShowsTheHelpDialogWithoutEndingTheTurn) {
    std::atomic<bool> helpSeen{false};
    const DWORD self = GetCurrentThreadId();
    EXPECT_EQ(ShowAndDrive(700, "FInfoDlgProc", "Setup is complete",
                           [&](HWND dialog) {
                               Press(dialog, IDC_HELPBUTTON);
                               HWND help = nullptr;
                               helpSeen = WaitFor([&] {
                                   return (help = FindDialog(self, "What Setup asks")) != nullptr;
                               });
                               if (help != nullptr)
                                   PostMessageA(help, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                               WaitFor(
                                   [&] { return FindDialog(self, "What Setup asks") == nullptr; });
                               Press(dialog, IDC_CONTINUE);
                           }),
              STF_EVENT_CONTINUE);
    EXPECT_TRUE(helpSeen);
    EXPECT_EQ(FindDialog(self, "What Setup asks"), nullptr) << "OK closes the help";
}

TEST_F(DialogLibraryTest, HelpProcedureEndsOnOkAndEscape) {
    DLGPROC help = Procedure("FHelpDlgProc");
    ASSERT_NE(help, nullptr);
    const DWORD self = GetCurrentThreadId();
    for (int button : {IDOK, IDCANCEL}) {
        std::thread closer([&] {
            HWND dialog = nullptr;
            if (WaitFor([&] { return (dialog = FindDialog(self, "What Setup asks")) != nullptr; }))
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        });
        const INT_PTR result =
            DialogBoxParamA(library_.get(), MAKEINTRESOURCEA(kHelpDialog), HwndFrame(), help, 0);
        closer.join();
        EXPECT_EQ(result, button);
    }
    EXPECT_EQ(Symbol("DLGEVENT"), "") << "help reports no event";
}

TEST_F(DialogLibraryTest, ModelessDialogsReportContinueAndStayUntilKilled) {
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5006, "FModelessDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("DLGEVENT"), STF_EVENT_CONTINUE);
    const DWORD self = GetCurrentThreadId();
    HWND work = FindDialog(self, "Preparing the new installation");
    ASSERT_NE(work, nullptr);

    SendMessageA(work, WM_CLOSE, 0, 0);
    SendMessageA(work, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(work)) << "neither the close box nor Escape takes it down";

    ASSERT_TRUE(FSetSymbolValue("DLGEVENT", ""));
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5005, "FModelessDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("DLGEVENT"), STF_EVENT_CONTINUE);
    EXPECT_NE(FindDialog(self, "Finishing the installation"), nullptr);
    EXPECT_TRUE(IsWindow(work));

    EXPECT_TRUE(FKillNDialogs(2));
    EXPECT_FALSE(IsWindow(work));
    EXPECT_EQ(FindDialog(self, "Finishing the installation"), nullptr);
}

} // namespace
