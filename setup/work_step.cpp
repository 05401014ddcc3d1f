// The work step (see work_step.h).
#include "setup/work_step.h"

#include "setup/dialog_event.h"
#include "setup/setup_session.h"
#include "setup/toolkit_binding.h"

#include <array>

namespace {

constexpr UINT CompletionDialog = 700;
constexpr UINT NewInstallWorkDialog = 5006;
constexpr UINT UpdateWorkDialog = 5007;

constexpr std::array<UINT, 4> Billboards = {5001, 5002, 5003, 5005};
constexpr LONG BillboardTicks = 5;
constexpr int GaugeX = 200;
constexpr int GaugeY = 130;

} // namespace

void PrepareCopy() {
    const HCURSOR previous = ShowWaitCursor();
    ClearCopyList();
    const char* source = Session.SourceDir.data();
    const char* destination = Session.DestDir.data();
    AddSectionToCopyList("Files", source, destination);
    AddSectionToCopyList(Session.Nt351OrLater ? "F351" : "F35", source, destination);
    for (const UINT billboard : Billboards)
        AddBillboard(DialogLibraryName, billboard, ModelessDlgProc, BillboardTicks);
    PlaceGauge(GaugeX, GaugeY);
    RestoreCursor(previous);
}

void RunWorkStep() {
    std::array<char, 17> event{};
    const UINT workDialog =
        Session.SetupMode == SetupModeNew ? NewInstallWorkDialog : UpdateWorkDialog;
    RunDialog(DialogLibraryName, workDialog, ModelessDlgProc, 0, nullptr, event, WorkEventLimit);
    CloseDialogs(1);
    if (Session.SetupMode == SetupModeRemove)
        return;
    ShowCompletion();
}

void ShowCompletion() {
    std::array<char, 16> event{};
    do {
        RunDialog(DialogLibraryName, CompletionDialog, InfoDlgProc, HelpDialogNumber, HelpDlgProc,
                  event, EventLimit);
    } while (ClassifyDialogEvent(event.data()) != DialogEvent::Continue);
    CloseDialogs(1);
}
