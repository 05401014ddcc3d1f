// Tests of program groups, program items and file removal under Wine: the
// group folder in the Start menu, shortcuts read back through IShellLinkA,
// and YnrcRemoveFile on plain, read-only, absent and open files.
#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "setup_toolkit.h"
#include "toolkit_win_harness.h"

namespace {

using namespace toolkit_test;

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines)
        if (line == wanted)
            return true;
    return false;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramsFolder() {
    std::array<char, MAX_PATH> folder{};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT,
                                folder.data())))
        SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder.data());
    return folder.data();
}

// What a shortcut file holds, read back through the shell's own link object.
struct LinkContents {
    bool loaded = false;
    std::string path;
    std::string arguments;
    std::string folder;
};

LinkContents ReadLink(const std::string& file) {
    LinkContents contents;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return contents;
    IPersistFile* persist = nullptr;
    std::array<wchar_t, MAX_PATH> wide{};
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(wide.data(), STGM_READ))) {
        std::array<char, MAX_PATH> text{};
        contents.loaded = true;
        if (SUCCEEDED(
                link->GetPath(text.data(), static_cast<int>(text.size()), nullptr, SLGP_RAWPATH)))
            contents.path = text.data();
        text.fill('\0');
        if (SUCCEEDED(link->GetArguments(text.data(), static_cast<int>(text.size()))))
            contents.arguments = text.data();
        text.fill('\0');
        if (SUCCEEDED(link->GetWorkingDirectory(text.data(), static_cast<int>(text.size()))))
            contents.folder = text.data();
    }
    if (persist)
        persist->Release();
    link->Release();
    return contents;
}

void RemoveGroup(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    postern::UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (find) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(find.get(), &found));
    }
    find.reset();
    RemoveDirectoryA(folder.c_str());
}

class ProgramGroups : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        log_ = work_.File("run.log");
        ASSERT_TRUE(WriteText(work_.File("answers.ini"), "[Setup]\r\n"));
        frame_ = std::make_unique<Frame>("/log \"" + log_ + "\" /answers \"" +
                                         work_.File("answers.ini") + "\"");
        ASSERT_GT(frame_->result(), 0);
        group_ = "Postern Test " + std::to_string(GetCurrentProcessId());
        groupFolder_ = ProgramsFolder() + "\\" + group_;
        RemoveGroup(groupFolder_);
    }
    void TearDown() override {
        frame_.reset();
        RemoveGroup(groupFolder_);
        CoUninitialize();
    }

    TempDir work_;
    std::unique_ptr<Frame> frame_;
    std::string log_, group_, groupFolder_;
};

TEST_F(ProgramGroups, GroupIsAStartMenuFolderAndMayExistAlready) {
    ASSERT_FALSE(ProgramsFolder().empty());
    EXPECT_FALSE(FShowProgManGroup(group_.c_str(), "1", 1));
    EXPECT_TRUE(FCreateProgManGroup(group_.c_str(), "", 1));
    EXPECT_TRUE(IsFolder(groupFolder_));
    EXPECT_TRUE(FCreateProgManGroup(group_.c_str(), "", 1));
    EXPECT_TRUE(FShowProgManGroup(group_.c_str(), "1", 1));
    EXPECT_FALSE(FCreateProgManGroup("bad\\group", "", 1));
    EXPECT_FALSE(FCreateProgManGroup("", "", 1));

    const auto lines = LogLines(log_);
    EXPECT_TRUE(HasLine(lines, "failed: FShowProgManGroup: group \"" + group_ +
                                   "\" does not exist (" + groupFolder_ + ")"));
    EXPECT_TRUE(HasLine(lines, "program group created: " + groupFolder_));
    EXPECT_TRUE(HasLine(lines, "program group kept: " + groupFolder_ + " (it exists)"));
    EXPECT_TRUE(
        HasLine(lines, "failed: FCreateProgManGroup: \"bad\\group\" is not a valid group name"));
}

TEST_F(ProgramGroups, ItemIsAShortcutToTheCommandLine) {
    ASSERT_TRUE(FCreateProgManGroup(group_.c_str(), "", 1));
    ASSERT_TRUE(
        FCreateProgManItem(group_.c_str(), "Postern Monitor", "C:\\POSTERN\\pstview.exe", 1024));
    const std::string link = groupFolder_ + "\\Postern Monitor.lnk";
    LinkContents contents = ReadLink(link);
    ASSERT_TRUE(contents.loaded);
    EXPECT_EQ(contents.path, "C:\\POSTERN\\pstview.exe");
    EXPECT_EQ(contents.arguments, "");
    EXPECT_EQ(contents.folder, "C:\\POSTERN");
    EXPECT_TRUE(
        HasLine(LogLines(log_), "program item created: " + link + " -> C:\\POSTERN\\pstview.exe"));

    // The same caption again replaces the shortcut; an unquoted line splits at its first blank.
    ASSERT_TRUE(FCreateProgManItem(group_.c_str(), "Postern Monitor",
                                   "C:\\POSTERN\\pstview.exe /debug  /log x", 1024));
    contents = ReadLink(link);
    EXPECT_EQ(contents.path, "C:\\POSTERN\\pstview.exe");
    EXPECT_EQ(contents.arguments, "/debug  /log x");

    // A quoted program may hold blanks.
    ASSERT_TRUE(FCreateProgManItem(group_.c_str(), "Readme",
                                   "\"C:\\Program Files\\Postern\\notes.exe\" readme.txt", 1));
    contents = ReadLink(groupFolder_ + "\\Readme.lnk");
    EXPECT_EQ(contents.path, "C:\\Program Files\\Postern\\notes.exe");
    EXPECT_EQ(contents.arguments, "readme.txt");
    EXPECT_EQ(contents.folder, "C:\\Program Files\\Postern");

    // An unquoted line that names an existing file whole is that file.
    const std::string program = work_.path() + "\\my tool.exe";
    ASSERT_TRUE(WriteText(program, "MZ"));
    ASSERT_TRUE(FCreateProgManItem(group_.c_str(), "Tool", program.c_str(), 1));
    contents = ReadLink(groupFolder_ + "\\Tool.lnk");
    EXPECT_EQ(contents.path, program);
    EXPECT_EQ(contents.arguments, "");
    EXPECT_EQ(contents.folder, work_.path());
}

TEST_F(ProgramGroups, ItemNeedsItsGroupAndAValidCaption) {
    EXPECT_FALSE(FCreateProgManItem(group_.c_str(), "Monitor", "C:\\POSTERN\\pstview.exe", 1));
    ASSERT_TRUE(FCreateProgManGroup(group_.c_str(), "", 1));
    EXPECT_FALSE(FCreateProgManItem(group_.c_str(), "a/b", "C:\\POSTERN\\pstview.exe", 1));
    EXPECT_FALSE(FCreateProgManItem(group_.c_str(), "what?", "C:\\POSTERN\\pstview.exe", 1));
    EXPECT_FALSE(FCreateProgManItem(group_.c_str(), "Empty", "   ", 1));
    EXPECT_FALSE(Exists(groupFolder_ + "\\Monitor.lnk"));
    const auto lines = LogLines(log_);
    EXPECT_TRUE(HasLine(lines, "failed: FCreateProgManItem: group \"" + group_ +
                                   "\" does not exist (" + groupFolder_ + ")"));
    EXPECT_TRUE(HasLine(lines, "failed: FCreateProgManItem: \"a/b\" is not a valid item caption"));
    EXPECT_TRUE(HasLine(lines, "failed: FCreateProgManItem: \"   \": no program, or a program or "
                               "arguments too long"));
}

TEST_F(ProgramGroups, RemoveFileDeletesPlainAndReadOnlyFiles) {
    const std::string plain = work_.path() + "\\plain.txt";
    const std::string readOnly = work_.path() + "\\readonly.txt";
    const std::string absent = work_.path() + "\\absent.txt";
    ASSERT_TRUE(WriteText(plain, "x"));
    ASSERT_TRUE(WriteText(readOnly, "y"));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(YnrcRemoveFile(plain.c_str(), 256), 0);
    EXPECT_FALSE(Exists(plain));
    EXPECT_NE(YnrcRemoveFile(readOnly.c_str(), 256), 0);
    EXPECT_FALSE(Exists(readOnly));
    EXPECT_NE(YnrcRemoveFile(absent.c_str(), 256), 0);
    EXPECT_NE(YnrcRemoveFile((work_.path() + "\\no folder\\x.txt").c_str(), 256), 0);
    const auto lines = LogLines(log_);
    EXPECT_TRUE(HasLine(lines, "removed " + plain + " (option 256)"));
    EXPECT_TRUE(HasLine(lines, "removed " + readOnly + " (option 256)"));
    EXPECT_TRUE(HasLine(lines, "remove " + absent + ": already absent"));
}

TEST_F(ProgramGroups, RemoveFileFailsOnAFileInUseOrAFolder) {
    const std::string busy = work_.path() + "\\busy.txt";
    ASSERT_TRUE(WriteText(busy, "z"));
    {
        // Open without delete sharing, as a running program holds its file.
        postern::UniqueFile open(CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(open.valid());
        EXPECT_EQ(YnrcRemoveFile(busy.c_str(), 256), 0);
        EXPECT_TRUE(Exists(busy));
    }
    EXPECT_EQ(YnrcRemoveFile(work_.path().c_str(), 256), 0);
    EXPECT_TRUE(IsFolder(work_.path()));
    const auto lines = LogLines(log_);
    EXPECT_TRUE(HasLine(lines, "failed: YnrcRemoveFile: " + busy + ": system error 32"));
    EXPECT_TRUE(
        HasLine(lines, "failed: YnrcRemoveFile: " + work_.path() + " is a folder, not a file"));
}

} // namespace
