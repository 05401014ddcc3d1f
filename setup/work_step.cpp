// The work step (see work_step.h).
#include "setup/work_step.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"
#include "setup/config/hosts_file.h"
#include "setup/config/server_config.h"
#include "setup/config/service_control.h"
#include "setup/dialog_event.h"
#include "setup/removal.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/toolkit_binding.h"
#include "setup/userdb/multi_domain.h"
#include "setup/userdb/usrvault.h"

#include <array>

namespace {

constexpr UINT kCompletionDialog = 700;
constexpr UINT kNewInstallWorkDialog = 5006;
constexpr UINT kUpdateWorkDialog = 5007;
constexpr UINT kConfigureWorkDialog = 5005;

constexpr std::array<UINT, 4> kBillboards = {5001, 5002, 5003, 5005};
constexpr LONG kBillboardTicks = 5;
constexpr int kGaugeX = 200;
constexpr int kGaugeY = 130;

constexpr const char* kProgramGroup = "Postern";
constexpr int kShowGroupCommand = 1;

struct ProgramItem {
    const char* caption;
    const char* file;
    bool onlyWhenPresent; // left out when the current directory lacks the file
};

constexpr std::array<ProgramItem, 9> kProgramItems = {{
    {"Postern Client", "postern.exe", false},
    {"Postern User Manager", "usermgr.exe", false},
    {"Postern Monitor", "pstview.exe", false},
    {"Postern List Server", "roster.exe", false},
    {"Postern Documentation", "pstguide.wri", false},
    {"Postern User Utility", "pstuser.exe", false},
    {"Postern Release Notes", "pstsuite.txt", false},
    {"Postern Pager Client", "pagedesk.exe", true},
    {"Postern Fax Client", "teleprint.exe", true},
}};

// Shows a modeless work dialog of the dialog library; it stays up.
void ShowWorkDialog(UINT number) {
    std::array<char, kWorkEventLimit + 1> event{};
    RunDialog(kDialogLibraryName, number, kModelessDlgProc, 0, nullptr, event, kWorkEventLimit);
}

// The group "Postern" with its items; DestDir ends in a backslash, so each
// command line has exactly one between directory and file.
void CreateSuiteGroup() {
    CreateProgramGroup(kProgramGroup, "", kGroupOption);
    ShowProgramGroup(kProgramGroup, kShowGroupCommand, kGroupOption);
    for (const ProgramItem& item : kProgramItems) {
        if (item.onlyWhenPresent && !FileExists(item.file))
            continue;
        std::array<char, 2 * MAX_PATH> commandLine{};
        if (postern::FormatText(commandLine, "%s%s", Session.DestDir.data(), item.file))
            CreateProgramItem(kProgramGroup, item.caption, commandLine.data(), kItemOption);
    }
}

void TellLibraryOfInstallation() {
    std::array<char, 256> path{};
    if (postern::FormatText(path, "%s\\reg_init", Session.TopDir.data()))
        UvMarkInstallation(path.data());
}

// Copy, configuration, group, HOSTS: a new installation or an update.
void InstallSuite() {
    CopyFilesInCopyList();
    ShowWorkDialog(kConfigureWorkDialog);
    const HCURSOR previous = ShowWaitCursor();
    WriteServerConfiguration(Session.TopDir.data(), Session.UsersDir.data(),
                             Session.HostName.data(), Session.SetupMode == kSetupModeNew ? 1 : 0);
    CreateSuiteGroup();
    AddHostsEntry(Session.HostName.data(), Session.AddressList.data());
    RestoreCursor(previous);
    TellLibraryOfInstallation();
    CloseDialogs(1);
}

// The conversion was declined: nothing is copied or configured. An update
// starts the services it stopped again, so the mail server is not left down;
// a new installation has already deleted them.
void LeaveSuiteUninstalled() {
    if (Session.SetupMode != kSetupModeNew) {
        RestartServicesAsTheyWere();
        SetupWarning("update not done: the conversion was declined");
        return;
    }
    SetupWarning("new installation not done: the conversion was declined; the suite's services "
                 "were removed and nothing was installed");
}

} // namespace

void PrepareCopy() {
    const HCURSOR previous = ShowWaitCursor();
    ClearCopyList();
    const char* source = Session.SourceDir.data();
    const char* destination = Session.DestDir.data();
    AddSectionToCopyList("Files", source, destination);
    AddSectionToCopyList(Session.Nt351OrLater ? "F351" : "F35", source, destination);
    for (const UINT billboard : kBillboards)
        AddBillboard(kDialogLibraryName, billboard, kModelessDlgProc, kBillboardTicks);
    PlaceGauge(kGaugeX, kGaugeY);
    RestoreCursor(previous);
}

void RunWorkStep() {
    ShowWorkDialog(Session.SetupMode == kSetupModeNew ? kNewInstallWorkDialog : kUpdateWorkDialog);
    ShutDownSuite();
    CloseDialogs(1);
    if (Session.SetupMode == kSetupModeRemove) {
        RemoveInstallation();
        return;
    }
    if (CheckMultiDomainUpgrade())
        InstallSuite();
    else
        LeaveSuiteUninstalled();
    ShowCompletion();
}

void ShowCompletion() {
    std::array<char, 16> event{};
    do {
        RunDialog(kDialogLibraryName, kCompletionDialog, kInfoDlgProc, kHelpDialogNumber,
                  kHelpDlgProc, event, kEventLimit);
    } while (ClassifyDialogEvent(event.data()) != DialogEvent::Continue);
    CloseDialogs(1);
}

bool FileExists(const char* fileName) {
    const postern::UniqueResource<postern::FileHandleTraits> file(
        CreateFileA(fileName, GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}
