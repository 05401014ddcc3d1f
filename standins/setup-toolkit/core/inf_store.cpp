// The open INF file and the copy list: FOpenInf, FAddSectionFilesToCopyList,
// ResetCopyList.
#include "copy_internal.h"
#include "inf_file.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"

#include "common/unique_handle.h"

#include <string>
#include <string_view>

namespace stf {

namespace {

// Larger INF files are refused rather than read.
constexpr DWORD kInfFileMax = 1024 * 1024;

InfFile gInf;
InfFile gParsing; // parsed here first so that a refused file keeps the open one
bool gInfOpen = false;
std::array<char, MAX_PATH> gInfPath{};

std::array<CopyItem, kCopyListMax> gCopyList;
std::size_t gCopyCount = 0;

// folder + '\' + relative into out; false when it does not fit.
bool JoinPath(std::span<char> out, const char* folder, const char* relative) {
    const std::string_view f(folder);
    const bool separator = !f.empty() && f.back() != '\\' && f.back() != '/';
    return postern::FormatText(out, "%s%s%s", folder, separator ? "\\" : "", relative);
}

// Reads the whole file into text; false with the reason in reason.
bool ReadWholeFile(const char* path, std::string& text, std::span<char> reason) {
    postern::UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            postern::CopyText(reason, "file not found");
        else
            postern::FormatText(reason, "cannot open it (system error %lu)", error);
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        postern::FormatText(reason, "cannot read its size (system error %lu)", GetLastError());
        return false;
    }
    if (size.QuadPart > kInfFileMax) {
        postern::FormatText(reason, "larger than %lu bytes",
                            static_cast<unsigned long>(kInfFileMax));
        return false;
    }
    text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text.empty() &&
        !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        postern::FormatText(reason, "cannot read it (system error %lu)", GetLastError());
        return false;
    }
    text.resize(read);
    return true;
}

} // namespace

std::span<const CopyItem> CopyList() {
    return std::span<const CopyItem>(gCopyList.data(), gCopyCount);
}

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FOpenInf(LPCSTR path, BOOL checkSyntax, BOOL reserved) {
    if (path == nullptr || *path == '\0') {
        NoteFailure("FOpenInf: no file name given");
        return FALSE;
    }
    if (reserved != 0) {
        NoteFailure("FOpenInf: %s: the reserved argument must be 0", path);
        return FALSE;
    }
    std::string text;
    std::array<char, 96> reason{};
    if (!ReadWholeFile(path, text, reason)) {
        NoteFailure("FOpenInf: %s: %s", path, reason.data());
        return FALSE;
    }
    InfError error{};
    if (!ParseInf(text, checkSyntax != FALSE, gParsing, error)) {
        NoteFailure("FOpenInf: %s: line %u: %s", path, static_cast<unsigned>(error.line),
                    error.reason.data());
        return FALSE;
    }
    gInf = gParsing;
    gInfOpen = true;
    postern::CopyText(gInfPath, path);
    if (gInf.skippedLines > 0)
        LogLine("INF opened: %s (%zu sections, %zu entries, %zu lines skipped)", path,
                gInf.sectionCount, gInf.entryCount, gInf.skippedLines);
    else
        LogLine("INF opened: %s (%zu sections, %zu entries)", path, gInf.sectionCount,
                gInf.entryCount);
    return TRUE;
}

extern "C" BOOL WINAPI FAddSectionFilesToCopyList(LPCSTR section, LPCSTR source,
                                                  LPCSTR destination) {
    const char* name = section ? section : "";
    if (!gInfOpen) {
        NoteFailure("FAddSectionFilesToCopyList: [%s]: no INF file is open", name);
        return FALSE;
    }
    if (source == nullptr || *source == '\0' || destination == nullptr || *destination == '\0') {
        NoteFailure("FAddSectionFilesToCopyList: [%s]: empty source or destination folder", name);
        return FALSE;
    }
    const int index = FindInfSection(gInf, name);
    if (index < 0) {
        NoteFailure("FAddSectionFilesToCopyList: section [%s] is not in %s", name, gInfPath.data());
        return FALSE;
    }
    // Entries go in after the current end and count only once all fit.
    std::size_t count = gCopyCount;
    for (std::size_t i = 0; i < gInf.entryCount; ++i) {
        const InfEntry& entry = gInf.entries[i];
        if (entry.section != static_cast<std::uint32_t>(index))
            continue;
        if (count == kCopyListMax) {
            NoteFailure("FAddSectionFilesToCopyList: [%s]: the copy list holds at most %zu files",
                        name, kCopyListMax);
            return FALSE;
        }
        CopyItem& item = gCopyList[count];
        if (!JoinPath(item.source, source, entry.sourcePath.data()) ||
            !JoinPath(item.destination, destination, entry.destName.data())) {
            NoteFailure("FAddSectionFilesToCopyList: [%s] line %u: path longer than %d characters",
                        name, static_cast<unsigned>(entry.line), MAX_PATH - 1);
            return FALSE;
        }
        ++count;
    }
    const std::size_t added = count - gCopyCount;
    gCopyCount = count;
    LogLine("copy list: [%s] adds %zu files from %s to %s (%zu in the list)", name, added, source,
            destination, gCopyCount);
    return TRUE;
}

extern "C" void WINAPI ResetCopyList(void) {
    LogLine("copy list emptied (%zu files)", gCopyCount);
    gCopyCount = 0;
}
