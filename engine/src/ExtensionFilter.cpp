#include "ExtensionFilter.h"

#include "morvash/platform/MbcsSearch.h"

namespace morvash::detail {

bool AcceptedByFilter(std::string_view name, std::string_view filter) noexcept {
    const int dot = platform::ReverseFindChar(name, '.');
    const std::string_view suffix = dot < 0 ? name : name.substr(static_cast<std::size_t>(dot) + 1);
    std::string_view rest = filter;
    for (;;) {
        const int blank = platform::FindChar(rest, ' ');
        const std::string_view token =
            blank <= 0 ? rest : rest.substr(0, static_cast<std::size_t>(blank));
        if (token.empty() || token == suffix) {
            return true;
        }
        if (blank < 0) {
            return false;
        }
        rest = rest.substr(static_cast<std::size_t>(blank) + 1);
    }
}

}  // namespace morvash::detail
