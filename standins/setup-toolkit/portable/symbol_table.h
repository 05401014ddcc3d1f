// The toolkit's symbols: named list values shared by the installer, the
// toolkit and the dialog library. A plain value is a list of one item; the
// value of a list is its items joined with ",".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stf {

inline constexpr std::size_t kMaxSymbolName = 64;
inline constexpr std::size_t kMaxSymbolValue = 1024; // the joined value
inline constexpr std::size_t kMaxSymbols = 256;
inline constexpr std::size_t kMaxListItems = 64;

enum class SymbolResult { Ok, BadName, ValueTooLong, TooManySymbols, TooManyItems };

// A readable reason for a result other than Ok.
const char* SymbolResultText(SymbolResult result);

class SymbolTable {
  public:
    // Makes name's value the one item value (no items when value is empty).
    SymbolResult Set(std::string_view name, std::string_view value);
    // Appends one item to name's list, creating the symbol.
    SymbolResult AddItem(std::string_view name, std::string_view item);

    bool Has(std::string_view name) const;
    std::string Value(std::string_view name) const; // "" when unknown
    std::size_t ValueLength(std::string_view name) const;
    std::size_t ItemCount(std::string_view name) const;
    // Item `index` (1-based); false when there is no such item.
    bool Item(std::string_view name, std::size_t index, std::string& item) const;
    std::size_t Count() const { return symbols_.size(); }
    void Clear() { symbols_.clear(); }

  private:
    struct Symbol {
        std::string name;
        std::vector<std::string> items;
        std::size_t length = 0; // of the joined value
    };
    const Symbol* Find(std::string_view name) const;
    Symbol* FindOrAdd(std::string_view name, SymbolResult& result);

    std::vector<Symbol> symbols_;
};

} // namespace stf
