// Reading and writing the "Pager" section of the system profile.
#include "pager/page_settings.h"

#include "common/bounded_format.h"

namespace pager {

bool Baud300 = true;

namespace {
constexpr char kSection[] = "Pager";

template <std::size_t N>
void ReadText(const char* key, const char* fallback, std::array<char, N>& out) {
    GetProfileStringA(kSection, key, fallback, out.data(), static_cast<DWORD>(out.size()));
    out[N - 1] = '\0';
}
} // namespace

void LoadPageSettings(PageSettings& settings) {
    settings.port = GetProfileIntA(kSection, "Port", 1);
    ReadText("Terminal", "", settings.terminal);
    ReadText("PagerID", "", settings.pagerId);
    ReadText("Password", "", settings.password);
    ReadText("InitString", "ATE0", settings.initString);
}

void StorePageSettings(const PageSettings& settings) {
    std::array<char, 16> port;
    postern::FormatText(port, "%u", settings.port);
    WriteProfileStringA(kSection, "Port", port.data());
    WriteProfileStringA(kSection, "Terminal", settings.terminal.data());
    WriteProfileStringA(kSection, "PagerID", settings.pagerId.data());
    WriteProfileStringA(kSection, "Password", settings.password.data());
    WriteProfileStringA(kSection, "InitString", settings.initString.data());
}

} // namespace pager
