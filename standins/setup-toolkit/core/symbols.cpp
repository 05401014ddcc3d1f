// The symbol functions of the toolkit on one process-wide symbol table. Sets
// made by the caller are logged; DLGEVENT, ButtonChecked and EditTextOut,
// which dialogs write, appear in the dialog's outcome line instead.
#include <windows.h>

#include <array>

#include "run_state.h"
#include "setup_toolkit.h"
#include "symbol_table.h"
#include "toolkit_core.h"

namespace stf {

namespace {

constexpr std::array<const char*, kDialogSymbolCount> kDialogSymbols = {"DLGEVENT", "ButtonChecked",
                                                                        "EditTextOut"};

int DialogSymbolIndex(const char* name) {
    for (std::size_t i = 0; i < kDialogSymbols.size(); ++i) {
        if (SameName(name, kDialogSymbols[i]))
            return static_cast<int>(i);
    }
    return -1;
}

// Records a change; the caller holds the lock.
void Changed(const char* name) {
    ++g_run.symbols.serial;
    const int index = DialogSymbolIndex(name);
    if (index >= 0)
        g_run.symbols.dialogSerial[static_cast<std::size_t>(index)] = g_run.symbols.serial;
}

UINT CopyOut(const std::string& value, bool known, LPSTR buffer, UINT limit) {
    if (buffer != nullptr && limit > 0)
        postern::CopyText(std::span<char>(buffer, limit), known ? value.c_str() : "");
    return static_cast<UINT>(value.size());
}

} // namespace

bool SetSymbolQuietly(const char* name, const char* value) {
    const ExclusiveLock guard(g_symbolLock);
    const SymbolResult result = g_run.symbols.table.Set(name ? name : "", value ? value : "");
    if (result == SymbolResult::Ok)
        Changed(name);
    return result == SymbolResult::Ok;
}

std::string SymbolText(const char* name) {
    const ExclusiveLock guard(g_symbolLock);
    return g_run.symbols.table.Value(name ? name : "");
}

unsigned long SymbolMark() {
    const ExclusiveLock guard(g_symbolLock);
    return g_run.symbols.serial;
}

bool SymbolSetSince(const char* name, unsigned long mark) {
    const ExclusiveLock guard(g_symbolLock);
    const int index = DialogSymbolIndex(name);
    return index >= 0 && g_run.symbols.dialogSerial[static_cast<std::size_t>(index)] > mark;
}

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FSetSymbolValue(LPCSTR name, LPCSTR value) {
    SymbolResult result;
    {
        const ExclusiveLock guard(g_symbolLock);
        result = g_run.symbols.table.Set(name ? name : "", value ? value : "");
        if (result == SymbolResult::Ok)
            Changed(name);
    }
    if (result != SymbolResult::Ok) {
        NoteFailure("FSetSymbolValue %.64s: %s", name ? name : "(null)", SymbolResultText(result));
        return FALSE;
    }
    if (DialogSymbolIndex(name) < 0)
        LogLine("symbol %s=\"%s\"", name, value ? value : "");
    return TRUE;
}

extern "C" BOOL WINAPI FAddListItem(LPCSTR name, LPCSTR item) {
    SymbolResult result;
    {
        const ExclusiveLock guard(g_symbolLock);
        result = g_run.symbols.table.AddItem(name ? name : "", item ? item : "");
        if (result == SymbolResult::Ok)
            Changed(name);
    }
    if (result != SymbolResult::Ok) {
        NoteFailure("FAddListItem %.64s: %s", name ? name : "(null)", SymbolResultText(result));
        return FALSE;
    }
    if (SameName(name, STF_WARNINGS_SYMBOL))
        LogWarning(item ? item : "");
    else
        LogLine("list item %s+=\"%s\"", name, item ? item : "");
    return TRUE;
}

extern "C" UINT WINAPI CbGetSymbolValue(LPCSTR name, LPSTR buffer, UINT limit) {
    const ExclusiveLock guard(g_symbolLock);
    const char* key = name ? name : "";
    return CopyOut(g_run.symbols.table.Value(key), g_run.symbols.table.Has(key), buffer, limit);
}

extern "C" UINT WINAPI UsGetListLength(LPCSTR name) {
    const ExclusiveLock guard(g_symbolLock);
    return static_cast<UINT>(g_run.symbols.table.ItemCount(name ? name : ""));
}

extern "C" UINT WINAPI CbGetListItem(LPCSTR name, UINT index, LPSTR buffer, UINT limit) {
    const ExclusiveLock guard(g_symbolLock);
    std::string item;
    const bool known = g_run.symbols.table.Item(name ? name : "", index, item);
    return CopyOut(item, known, buffer, limit);
}
