// Symbol storage with its bounds: 64-character names, 1024-character values,
// 256 symbols, 64 items per list.
#include "symbol_table.h"

#include "answer_file.h"

namespace stf {

const char* SymbolResultText(SymbolResult result) {
    switch (result) {
    case SymbolResult::Ok:
        return "ok";
    case SymbolResult::BadName:
        return "symbol name empty or longer than 64 characters";
    case SymbolResult::ValueTooLong:
        return "value longer than 1024 characters";
    case SymbolResult::TooManySymbols:
        return "more than 256 symbols";
    case SymbolResult::TooManyItems:
        return "more than 64 list items";
    }
    return "unknown result";
}

const SymbolTable::Symbol* SymbolTable::Find(std::string_view name) const {
    for (const Symbol& symbol : symbols_) {
        if (SameName(symbol.name, name))
            return &symbol;
    }
    return nullptr;
}

SymbolTable::Symbol* SymbolTable::FindOrAdd(std::string_view name, SymbolResult& result) {
    result = SymbolResult::Ok;
    if (name.empty() || name.size() > kMaxSymbolName) {
        result = SymbolResult::BadName;
        return nullptr;
    }
    for (Symbol& symbol : symbols_) {
        if (SameName(symbol.name, name))
            return &symbol;
    }
    if (symbols_.size() >= kMaxSymbols) {
        result = SymbolResult::TooManySymbols;
        return nullptr;
    }
    symbols_.push_back(Symbol{std::string(name), {}, 0});
    return &symbols_.back();
}

SymbolResult SymbolTable::Set(std::string_view name, std::string_view value) {
    if (value.size() > kMaxSymbolValue)
        return name.empty() || name.size() > kMaxSymbolName ? SymbolResult::BadName
                                                            : SymbolResult::ValueTooLong;
    SymbolResult result;
    Symbol* symbol = FindOrAdd(name, result);
    if (symbol == nullptr)
        return result;
    symbol->items.clear();
    if (!value.empty())
        symbol->items.emplace_back(value);
    symbol->length = value.size();
    return SymbolResult::Ok;
}

SymbolResult SymbolTable::AddItem(std::string_view name, std::string_view item) {
    if (name.empty() || name.size() > kMaxSymbolName)
        return SymbolResult::BadName;
    const Symbol* existing = Find(name);
    const std::size_t items = existing ? existing->items.size() : 0;
    const std::size_t length = existing ? existing->length : 0;
    if (items >= kMaxListItems)
        return SymbolResult::TooManyItems;
    if (length + (items > 0 ? 1 : 0) + item.size() > kMaxSymbolValue)
        return SymbolResult::ValueTooLong;
    SymbolResult result;
    Symbol* symbol = FindOrAdd(name, result);
    if (symbol == nullptr)
        return result;
    symbol->length += (symbol->items.empty() ? 0 : 1) + item.size();
    symbol->items.emplace_back(item);
    return SymbolResult::Ok;
}

bool SymbolTable::Has(std::string_view name) const {
    return Find(name) != nullptr;
}

std::string SymbolTable::Value(std::string_view name) const {
    std::string value;
    if (const Symbol* symbol = Find(name)) {
        for (const std::string& item : symbol->items) {
            if (&item != &symbol->items.front())
                value += ',';
            value += item;
        }
    }
    return value;
}

std::size_t SymbolTable::ValueLength(std::string_view name) const {
    const Symbol* symbol = Find(name);
    return symbol ? symbol->length : 0;
}

std::size_t SymbolTable::ItemCount(std::string_view name) const {
    const Symbol* symbol = Find(name);
    return symbol ? symbol->items.size() : 0;
}

bool SymbolTable::Item(std::string_view name, std::size_t index, std::string& item) const {
    const Symbol* symbol = Find(name);
    if (symbol == nullptr || index == 0 || index > symbol->items.size())
        return false;
    item = symbol->items[index - 1];
    return true;
}

} // namespace stf
