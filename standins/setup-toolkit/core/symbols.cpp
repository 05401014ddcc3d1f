// The symbol functions of the toolkit on one process-wide symbol table. Sets
// made by the caller are logged; DLGEVENT, ButtonChecked and EditTextOut,
// which dialogs write, appear in the dialog's outcome line instead.
#include <windows.h>

#include <array>

#include "setup_toolkit.h"
#include "symbol_table.h"
#include "toolkit_core.h"

namespace stf {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
SymbolTable g_symbols;
unsigned long g_serial = 0;
// Serial of the latest change of each dialog-written symbol.
constexpr std::array<const char*, 3> kDialogSymbols = {"DLGEVENT", "ButtonChecked", "EditTextOut"};
std::array<unsigned long, kDialogSymbols.size()> g_dialogSerial{};

struct LockGuard {
    LockGuard() { AcquireSRWLockExclusive(&g_lock); }
    ~LockGuard() { ReleaseSRWLockExclusive(&g_lock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
};

int DialogSymbolIndex(const char* name) {
    for (std::size_t i = 0; i < kDialogSymbols.size(); ++i) {
        if (SameName(name, kDialogSymbols[i]))
            return static_cast<int>(i);
    }
    return -1;
}

// Records a change; the caller holds the lock.
void Changed(const char* name) {
    ++g_serial;
    const int index = DialogSymbolIndex(name);
    if (index >= 0)
        g_dialogSerial[static_cast<std::size_t>(index)] = g_serial;
}

UINT CopyOut(const std::string& value, bool known, LPSTR buffer, UINT limit) {
    if (buffer != nullptr && limit > 0)
        postern::CopyText(std::span<char>(buffer, limit), known ? value.c_str() : "");
    return static_cast<UINT>(value.size());
}

} // namespace

bool SetSymbolQuietly(const char* name, const char* value) {
    LockGuard guard;
    const SymbolResult result = g_symbols.Set(name ? name : "", value ? value : "");
    if (result == SymbolResult::Ok)
        Changed(name);
    return result == SymbolResult::Ok;
}

std::string SymbolText(const char* name) {
    LockGuard guard;
    return g_symbols.Value(name ? name : "");
}

unsigned long SymbolMark() {
    LockGuard guard;
    return g_serial;
}

bool SymbolSetSince(const char* name, unsigned long mark) {
    LockGuard guard;
    const int index = DialogSymbolIndex(name);
    return index >= 0 && g_dialogSerial[static_cast<std::size_t>(index)] > mark;
}

void ClearSymbols() {
    LockGuard guard;
    g_symbols.Clear();
    g_dialogSerial.fill(0);
}

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FSetSymbolValue(LPCSTR name, LPCSTR value) {
    SymbolResult result;
    {
        LockGuard guard;
        result = g_symbols.Set(name ? name : "", value ? value : "");
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
        LockGuard guard;
        result = g_symbols.AddItem(name ? name : "", item ? item : "");
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
    LockGuard guard;
    const char* key = name ? name : "";
    return CopyOut(g_symbols.Value(key), g_symbols.Has(key), buffer, limit);
}

extern "C" UINT WINAPI UsGetListLength(LPCSTR name) {
    LockGuard guard;
    return static_cast<UINT>(g_symbols.ItemCount(name ? name : ""));
}

extern "C" UINT WINAPI CbGetListItem(LPCSTR name, UINT index, LPSTR buffer, UINT limit) {
    LockGuard guard;
    std::string item;
    const bool known = g_symbols.Item(name ? name : "", index, item);
    return CopyOut(item, known, buffer, limit);
}
