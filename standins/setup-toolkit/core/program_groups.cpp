// Program groups and items: a group is a folder of the Start menu's programs
// (all users when the system has that folder), an item a shortcut in it
// (FCreateProgManGroup, FShowProgManGroup, FCreateProgManItem).
#include "inf_file.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"

#include <objidl.h>
#include <shlobj.h>

#include <array>
#include <span>
#include <string_view>

namespace stf {

namespace {

// Owns one COM interface pointer and releases it once.
template <typename Interface> class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    void** put() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

// COM in a single-threaded apartment for the length of one call; an
// apartment the thread already had in another mode is used as it is.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(std::string_view path) {
    std::array<char, MAX_PATH> text{};
    if (path.size() >= text.size())
        return false;
    path.copy(text.data(), path.size());
    const DWORD attributes = GetFileAttributesA(text.data());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder of group `group` into out; false after a failure note naming call.
bool GroupFolder(const char* call, const char* group, std::span<char> out) {
    if (group == nullptr || !ValidFileName(group)) {
        NoteFailure("%s: \"%s\" is not a valid group name", call, group ? group : "");
        return false;
    }
    std::array<char, MAX_PATH> programs{};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, programs.data())) &&
        FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, programs.data()))) {
        NoteFailure("%s: the Start menu's programs folder is unknown", call);
        return false;
    }
    if (!postern::FormatText(out, "%s\\%s", programs.data(), group)) {
        NoteFailure("%s: the folder of group \"%s\" is longer than %d characters", call, group,
                    MAX_PATH - 1);
        return false;
    }
    return true;
}

// A command line's program and arguments: a quoted first token is the
// program; an unquoted line that names an existing file whole is that file;
// otherwise the line splits at its first blank.
struct Command {
    std::array<char, MAX_PATH> target{};
    std::array<char, 1024> arguments{};
    std::array<char, MAX_PATH> folder{};
};

bool SplitCommand(std::string_view line, Command& command) {
    line = Trim(line);
    std::string_view target;
    std::string_view arguments;
    if (line.starts_with('"')) {
        const std::size_t close = line.find('"', 1);
        target =
            line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        if (close != std::string_view::npos)
            arguments = Trim(line.substr(close + 1));
    } else if (IsFile(line)) {
        target = line;
    } else {
        const std::size_t blank = line.find_first_of(" \t");
        target = line.substr(0, blank);
        if (blank != std::string_view::npos)
            arguments = Trim(line.substr(blank + 1));
    }
    target = Trim(target);
    if (target.empty() || target.size() >= command.target.size() ||
        arguments.size() >= command.arguments.size())
        return false;
    target.copy(command.target.data(), target.size());
    arguments.copy(command.arguments.data(), arguments.size());
    // The working folder is the program's: "C:\dir" for "C:\dir\x.exe", "C:\" for "C:\x.exe".
    if (const std::size_t slash = target.find_last_of('\\'); slash != std::string_view::npos) {
        const std::size_t keep = (slash == 2 && target[1] == ':') ? slash + 1 : slash;
        target.copy(command.folder.data(), keep);
    }
    return true;
}

} // namespace

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FCreateProgManGroup(LPCSTR group, LPCSTR, int) {
    std::array<char, MAX_PATH> folder{};
    if (!GroupFolder("FCreateProgManGroup", group, folder))
        return FALSE;
    if (CreateDirectoryA(folder.data(), nullptr)) {
        LogLine("program group created: %s", folder.data());
        return TRUE;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && IsFolder(folder.data())) {
        LogLine("program group kept: %s (it exists)", folder.data());
        return TRUE;
    }
    NoteFailure("FCreateProgManGroup: %s: system error %lu", folder.data(), error);
    return FALSE;
}

extern "C" BOOL WINAPI FShowProgManGroup(LPCSTR group, LPCSTR, int) {
    std::array<char, MAX_PATH> folder{};
    if (!GroupFolder("FShowProgManGroup", group, folder))
        return FALSE;
    if (!IsFolder(folder.data())) {
        NoteFailure("FShowProgManGroup: group \"%s\" does not exist (%s)", group, folder.data());
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI FCreateProgManItem(LPCSTR group, LPCSTR caption, LPCSTR commandLine, int) {
    std::array<char, MAX_PATH> folder{};
    if (!GroupFolder("FCreateProgManItem", group, folder))
        return FALSE;
    if (!IsFolder(folder.data())) {
        NoteFailure("FCreateProgManItem: group \"%s\" does not exist (%s)", group, folder.data());
        return FALSE;
    }
    if (caption == nullptr || !ValidFileName(caption)) {
        NoteFailure("FCreateProgManItem: \"%s\" is not a valid item caption",
                    caption ? caption : "");
        return FALSE;
    }
    std::array<char, MAX_PATH> link{};
    if (!postern::FormatText(link, "%s\\%s.lnk", folder.data(), caption)) {
        NoteFailure("FCreateProgManItem: the shortcut of \"%s\" is longer than %d characters",
                    caption, MAX_PATH - 1);
        return FALSE;
    }
    Command command;
    if (!SplitCommand(commandLine ? commandLine : "", command)) {
        NoteFailure("FCreateProgManItem: \"%s\": no program, or a program or arguments too long",
                    commandLine ? commandLine : "");
        return FALSE;
    }
    std::array<wchar_t, MAX_PATH> wideLink{};
    if (MultiByteToWideChar(CP_ACP, 0, link.data(), -1, wideLink.data(),
                            static_cast<int>(wideLink.size())) == 0) {
        NoteFailure("FCreateProgManItem: %s: the name cannot be converted (system error %lu)",
                    link.data(), GetLastError());
        return FALSE;
    }

    const ComApartment apartment;
    if (!apartment.usable()) {
        NoteFailure("FCreateProgManItem: COM did not start (0x%08lX)",
                    static_cast<unsigned long>(apartment.result()));
        return FALSE;
    }
    ComRef<IShellLinkA> shellLink;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, shellLink.put());
    if (FAILED(result)) {
        NoteFailure("FCreateProgManItem: no shell link object (0x%08lX)",
                    static_cast<unsigned long>(result));
        return FALSE;
    }
    ComRef<IPersistFile> file;
    if (FAILED(result = shellLink->SetPath(command.target.data())) ||
        FAILED(result = shellLink->SetArguments(command.arguments.data())) ||
        FAILED(result = shellLink->SetWorkingDirectory(command.folder.data())) ||
        FAILED(result = shellLink->QueryInterface(IID_IPersistFile, file.put())) ||
        FAILED(result = file->Save(wideLink.data(), TRUE))) {
        NoteFailure("FCreateProgManItem: %s: the shortcut was not written (0x%08lX)", link.data(),
                    static_cast<unsigned long>(result));
        return FALSE;
    }
    if (command.arguments[0] != '\0')
        LogLine("program item created: %s -> %s %s", link.data(), command.target.data(),
                command.arguments.data());
    else
        LogLine("program item created: %s -> %s", link.data(), command.target.data());
    return TRUE;
}
