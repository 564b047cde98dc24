#include "tandrel/render/Markdown.h"

#include <algorithm>

namespace tandrel {

std::string CodeFence(std::string_view text) {
    std::size_t longest = 0;
    for (std::size_t start = text.find('`'); start != std::string_view::npos;) {
        const std::size_t end = std::min(text.find_first_not_of('`', start), text.size());
        longest = std::max(longest, end - start);
        start = text.find('`', end);
    }
    return std::string(std::max<std::size_t>(3, longest + 1), '`');
}

}  // namespace tandrel
