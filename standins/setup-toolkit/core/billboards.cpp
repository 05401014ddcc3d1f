// The billboard list: dialogs shown in turn during the copy, each for its
// share of the copy (FAddToBillboardList, ClearBillboards).
#include "copy_internal.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"

namespace stf {

namespace {

std::array<Billboard, kBillboardMax> gBillboards;
std::size_t gBillboardCount = 0;

} // namespace

std::span<const Billboard> Billboards() {
    return std::span<const Billboard>(gBillboards.data(), gBillboardCount);
}

void ClearBillboards() {
    gBillboardCount = 0;
}

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FAddToBillboardList(LPCSTR library, UINT number, LPCSTR procedure,
                                           LONG ticks) {
    const char* libraryName = library ? library : "";
    const char* procedureName = procedure ? procedure : "";
    if (ticks <= 0) {
        NoteFailure("FAddToBillboardList: %s %u: ticks must be positive, not %ld", libraryName,
                    number, static_cast<long>(ticks));
        return FALSE;
    }
    if (gBillboardCount == kBillboardMax) {
        NoteFailure("FAddToBillboardList: %s %u: the list holds at most %zu billboards",
                    libraryName, number, kBillboardMax);
        return FALSE;
    }
    // Both report their own failure notes.
    const HMODULE module = DialogLibrary(libraryName);
    if (module == nullptr)
        return FALSE;
    const DLGPROC dialogProcedure = DialogProcedure(module, procedureName);
    if (dialogProcedure == nullptr)
        return FALSE;
    if (FindResourceA(module, MAKEINTRESOURCEA(number), RT_DIALOG) == nullptr) {
        NoteFailure("FAddToBillboardList: %s has no dialog %u", libraryName, number);
        return FALSE;
    }
    gBillboards[gBillboardCount++] = Billboard{module, dialogProcedure, number, ticks};
    LogLine("billboard added: %s %u %s (%ld ticks)", libraryName, number, procedureName,
            static_cast<long>(ticks));
    return TRUE;
}
