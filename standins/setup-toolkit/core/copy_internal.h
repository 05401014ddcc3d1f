// What the copy parts of MSSHLSTF.dll share: the copy list (inf_store.cpp),
// the billboard list (billboards.cpp) and the copy gauge (copy_gauge.cpp),
// all used by the copy engine (copy_engine.cpp).
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <span>

#include "common/unique_handle.h"

namespace stf {

// Windows the copy creates and destroys itself (gauge, billboards).
using postern::UniqueWindow;

// ---- copy list (inf_store.cpp) ----
inline constexpr std::size_t kCopyListMax = 1024;

struct CopyItem {
    std::array<char, MAX_PATH> source;      // full path
    std::array<char, MAX_PATH> destination; // full path
};
std::span<const CopyItem> CopyList();

// ---- billboards (billboards.cpp) ----
inline constexpr std::size_t kBillboardMax = 16;

struct Billboard {
    HMODULE library; // loaded by DialogLibrary, kept until TerminateFrame
    DLGPROC procedure;
    UINT number;
    LONG ticks; // its share of the copy: ticks / all billboards' ticks
};
std::span<const Billboard> Billboards();

// ---- copy gauge (copy_gauge.cpp) ----
// Creates the gauge owned by the frame at the ProSetPos position and shows
// it; an empty window (and a log line) when it cannot be created.
UniqueWindow OpenCopyGauge();
// Shows the file being copied and the share done (0..1000).
void ShowCopyProgress(HWND gauge, const char* file, unsigned permille);
// True once after the gauge's Cancel button (or Escape) was pressed.
bool TakeCopyCancel();

} // namespace stf
