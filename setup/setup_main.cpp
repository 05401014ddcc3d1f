// pstsetup: the entry of the installer. Refuses anything but Windows NT, starts
// the toolkit frame, prepares the run, walks the option dialogs and hands over
// to the work step. Every way out ends the process with exit status 0.
#include "common/bounded_format.h"
#include "setup/config/install_defaults.h"
#include "setup/option_dialogs.h"
#include "setup/registry_library.h"
#include "setup/setup_paths.h"
#include "setup/setup_session.h"
#include "setup/system_version.h"
#include "setup/toolkit_binding.h"
#include "setup/userdb/usrvault.h"
#include "setup/work_step.h"
#include "setup_toolkit.h"

#include <array>

namespace {

// Keeps MSDETSTF.dll in the import table: the toolkit expects it loaded with
// the program, and the linker drops a DLL none of whose functions is named.
[[maybe_unused]] UINT(WINAPI* volatile const DetectionLink)() = &UsDetectVersion;

// Binds every usrvault ordinal the installer calls when the program loads, so
// it does not start without the library or with one that lacks an ordinal.
using LinkedFunction = void (*)();
[[maybe_unused]] volatile const LinkedFunction UserVaultLinks[] = {
    reinterpret_cast<LinkedFunction>(&UvReadDomain),
    reinterpret_cast<LinkedFunction>(&UvWriteDomain),
    reinterpret_cast<LinkedFunction>(&UvFindUser),
    reinterpret_cast<LinkedFunction>(&UvReadOldUser),
    reinterpret_cast<LinkedFunction>(&UvAddUser),
    reinterpret_cast<LinkedFunction>(&UvCountAddresses),
    reinterpret_cast<LinkedFunction>(&UvListOldUsers),
    reinterpret_cast<LinkedFunction>(&UvListOldAliases),
    reinterpret_cast<LinkedFunction>(&UvAddAlias),
    reinterpret_cast<LinkedFunction>(&UvOpenDatabase),
    reinterpret_cast<LinkedFunction>(&UvMarkInstallation),
};

constexpr DWORD kVersionInfoSize = 148;
constexpr const char* kSetupCaption = "Postern Setup";

// Reads the system version into the session. False when the system is not
// Windows NT (the refusal has been shown); true otherwise, also when the
// version could not be read (then taken as 3.50).
bool CheckSystemVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionInfoSize;
    if (!GetVersionExA(&version)) {
        MessageBoxA(nullptr, "Failed to get OS version. Assuming 3.5 or earlier.", kSetupCaption,
                    MB_ICONSTOP | MB_OK);
        return true;
    }
    Session.MajorVersion = version.dwMajorVersion;
    Session.MinorVersion = version.dwMinorVersion;
    Session.Nt351OrLater = IsNt351OrLater(version.dwMajorVersion, version.dwMinorVersion);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        MessageBoxA(nullptr, "This product may only be installed on Windows NT.", kSetupCaption,
                    MB_ICONSTOP | MB_OK);
        return false;
    }
    return true;
}

// Frame bitmap and title, the proposals, the description file and the source.
void PrepareRun() {
    SetFrameBitmap(kDialogLibraryName, 1);
    std::array<char, 64> title;
    postern::FormatText(title, "Postern Server for Windows NT %u.%u",
                        static_cast<unsigned>(Session.MajorVersion),
                        static_cast<unsigned>(Session.MinorVersion));
    SetFrameTitle(title.data());
    postern::CopyText(Session.TypeDefault, "1");
    ReadInstallDefaults(Session.TopDir, Session.HostName);
    OpenInf(JoinPath(Session.SetupDir.data(), "pstsuite.inf"));
    postern::FormatText(Session.DestDir, "%s\\", Session.TopDir.data());
    GetSymbol("STF_SRCDIR", Session.SourceDir, 255);
}

// TopDir from the chosen destination, and the users directory below it. A
// removal works on the installation as registered: a destination typed and
// refused earlier in the run is no installed folder, so DestDir is set back
// from the registered TopDir instead.
void SettleDirectories() {
    if (Session.SetupMode == kSetupModeRemove) {
        postern::FormatText(Session.DestDir, "%s\\", Session.TopDir.data());
    } else {
        postern::CopyText(Session.TopDir, Session.DestDir.data());
        StripTrailingBackslash(Session.TopDir, CharStep);
    }
    postern::FormatText(Session.UsersDir, "%s\\users", Session.TopDir.data());
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    Session.Instance = instance;
    if (!CheckSystemVersion())
        return 0;
    const int frame = StartFrame(commandLine);
    if (frame <= 0)
        ExitProcess(0);
    if (!LoadRegistryLibrary()) {
        EndToolkit();
        ExitProcess(0);
    }
    PrepareRun();
    ShowWelcome();
    RunOptionDialogs();
    SettleDirectories();
    PrepareCopy();
    RunWorkStep();
    ReleaseRegistryLibrary();
    EndToolkit();
    ExitProcess(0);
}
