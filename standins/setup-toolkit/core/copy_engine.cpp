// GrcCopyFilesInCopyList: copies every file of the copy list, with the copy
// gauge and the billboards in turn in interactive runs and no window at all in
// unattended ones.
#include "copy_internal.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"

#include <string_view>

namespace stf {

namespace {

// Messages handled per pump, so that a window that keeps posting cannot
// stall the copy.
constexpr int kPumpMax = 256;

void Pump(HWND gauge) {
    MSG message;
    for (int i = 0; i < kPumpMax && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (gauge != nullptr && IsDialogMessageA(gauge, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The title of the copy's message boxes: the frame's, as the installer set it.
void BoxCaption(std::span<char> caption) {
    const HWND frame = FrameWindow();
    if (frame == nullptr ||
        GetWindowTextA(frame, caption.data(), static_cast<int>(caption.size())) <= 0)
        postern::CopyText(caption, "Setup");
}

// Length of the root of a full path: "C:\" or "\\server\share\".
std::size_t RootLength(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        return 3;
    if (path.starts_with("\\\\")) {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos)
            return path.size();
        const std::size_t share = path.find('\\', server + 1);
        return share == std::string_view::npos ? path.size() : share + 1;
    }
    return path.starts_with("\\") ? 1 : 0;
}

// Creates every missing folder above the file path; 0 or the system error.
DWORD CreateFoldersFor(const char* path) {
    std::array<char, MAX_PATH> folder{};
    postern::CopyText(folder, path);
    const std::string_view text(folder.data());
    const std::size_t last = text.find_last_of('\\');
    if (last == std::string_view::npos || last < RootLength(text))
        return 0;
    folder[last] = '\0';
    DWORD error = 0;
    for (std::size_t i = RootLength(text); i <= last; ++i) {
        if (folder[i] != '\\' && folder[i] != '\0')
            continue;
        const char kept = folder[i];
        folder[i] = '\0';
        if (!CreateDirectoryA(folder.data(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            error = GetLastError();
        folder[i] = kept;
    }
    const DWORD attributes = GetFileAttributesA(folder.data());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return error != 0 ? error : ERROR_PATH_NOT_FOUND;
    // A file where the folder should be.
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ALREADY_EXISTS;
}

bool SourceExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A window's rectangle in the frame's client coordinates (screen ones without
// a frame).
RECT InFrame(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::array<POINT, 2> corners{POINT{rect.left, rect.top}, POINT{rect.right, rect.bottom}};
    if (const HWND frame = FrameWindow(); frame != nullptr)
        MapWindowPoints(nullptr, frame, corners.data(), static_cast<UINT>(corners.size()));
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

// Centred across the frame's client area: above the gauge when there is room
// there, otherwise below it.
void PlaceBillboard(HWND board, HWND gauge) {
    const HWND frame = FrameWindow();
    RECT area{};
    if (frame != nullptr)
        GetClientRect(frame, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(board, &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    POINT origin{area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2};
    if (gauge != nullptr) {
        const RECT below = InFrame(gauge);
        if (below.top - area.top >= height)
            origin.y = area.top + (below.top - area.top - height) / 2;
        else
            origin.y = below.bottom + (area.bottom - below.bottom > height
                                           ? (area.bottom - below.bottom - height) / 2
                                           : 0);
    }
    if (frame != nullptr && !(GetWindowLongA(board, GWL_STYLE) & WS_CHILD))
        ClientToScreen(frame, &origin);
    SetWindowPos(board, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueWindow OpenBillboard(const Billboard& board, HWND gauge) {
    UniqueWindow window(CreateDialogParamA(board.library, MAKEINTRESOURCEA(board.number),
                                           FrameWindow(), board.procedure, 0));
    if (!window) {
        LogLine("billboard %u could not be shown (system error %lu)", board.number, GetLastError());
        return window;
    }
    PlaceBillboard(window.get(), gauge);
    ShowWindow(window.get(), SW_SHOWNA);
    if (gauge != nullptr)
        SetWindowPos(gauge, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(window.get());
    return window;
}

// The billboard whose share holds the copy's progress (0..1000).
std::size_t BillboardAt(std::span<const Billboard> boards, unsigned permille) {
    unsigned long long all = 0;
    for (const Billboard& board : boards)
        all += static_cast<unsigned long long>(board.ticks);
    unsigned long long upTo = 0;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        upTo += static_cast<unsigned long long>(boards[i].ticks);
        if (static_cast<unsigned long long>(permille) * all < upTo * 1000)
            return i;
    }
    return boards.size() - 1;
}

// The operator pressed Cancel: true when they confirm the quit.
bool ConfirmQuit(HWND gauge) {
    std::array<char, 128> caption{};
    BoxCaption(caption);
    return MessageBoxA(gauge, "Quit copying? The files copied so far stay in place.",
                       caption.data(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// A copy failed: true when the operator asks to try again.
bool AskRetry(HWND gauge, const CopyItem& item, DWORD error) {
    std::array<char, 128> caption{};
    std::array<char, 2 * MAX_PATH + 128> text{};
    BoxCaption(caption);
    postern::FormatText(text, "Could not copy the file\n%s\nto\n%s\n\nSystem error %lu.",
                        item.source.data(), item.destination.data(), error);
    return MessageBoxA(gauge, text.data(), caption.data(), MB_RETRYCANCEL | MB_ICONEXCLAMATION) ==
           IDRETRY;
}

// Copies one file, creating its folders; grcOkay or the error result.
int CopyOne(const CopyItem& item, HWND gauge) {
    for (;;) {
        DWORD error = CreateFoldersFor(item.destination.data());
        if (error == 0) {
            if (CopyFileA(item.source.data(), item.destination.data(), FALSE)) {
                LogLine("copied %s -> %s", item.source.data(), item.destination.data());
                return grcOkay;
            }
            error = GetLastError();
        }
        if (!SourceExists(item.source.data())) {
            NoteFailure("GrcCopyFilesInCopyList: source file missing: %s", item.source.data());
            return grcSourceMissing;
        }
        if (Unattended() || !AskRetry(gauge, item, error)) {
            NoteFailure("GrcCopyFilesInCopyList: copying %s to %s: system error %lu",
                        item.source.data(), item.destination.data(), error);
            return grcCopyFailed;
        }
        LogLine("copy of %s retried after system error %lu", item.source.data(), error);
    }
}

} // namespace

} // namespace stf

using namespace stf;

extern "C" int WINAPI GrcCopyFilesInCopyList(HINSTANCE) {
    const std::span<const CopyItem> list = CopyList();
    if (list.empty()) {
        LogLine("copy: the copy list is empty");
        return grcOkay;
    }
    // Every source is checked before anything is copied. Progress counts
    // bytes, each file at least one so that empty files move the bar too.
    std::array<unsigned long long, kCopyListMax> weights{};
    unsigned long long total = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(list[i].source.data(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            NoteFailure("GrcCopyFilesInCopyList: source file missing: %s", list[i].source.data());
            return grcSourceMissing;
        }
        weights[i] =
            ((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) + 1;
        total += weights[i];
    }

    const bool windows = !Unattended();
    const std::span<const Billboard> boards = Billboards();
    UniqueWindow gauge = windows ? OpenCopyGauge() : UniqueWindow();
    UniqueWindow board;
    std::size_t boardShown = boards.size();
    unsigned long long done = 0;
    // Shows the progress before file `next` (list.size() at the end).
    auto showProgress = [&](std::size_t next) {
        const auto permille = static_cast<unsigned>(done * 1000 / total);
        if (gauge)
            ShowCopyProgress(gauge.get(), next < list.size() ? list[next].destination.data() : "",
                             permille);
        if (windows && !boards.empty()) {
            const std::size_t now = BillboardAt(boards, permille);
            if (now != boardShown) {
                board.reset();
                board = OpenBillboard(boards[now], gauge.get());
                boardShown = now;
            }
        }
        Pump(gauge.get());
    };

    for (std::size_t i = 0; i < list.size(); ++i) {
        showProgress(i);
        if (TakeCopyCancel() && ConfirmQuit(gauge.get())) {
            LogLine("copy stopped by the operator after %zu of %zu files", i, list.size());
            return grcUserQuit;
        }
        if (const int result = CopyOne(list[i], gauge.get()); result != grcOkay)
            return result;
        done += weights[i];
    }
    showProgress(list.size());
    LogLine("copy done: %zu files", list.size());
    return grcOkay;
}
