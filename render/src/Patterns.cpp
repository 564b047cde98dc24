#include "tandrel/render/Patterns.h"

#include <utility>

#include "morvash/platform/MbcsSearch.h"

namespace tandrel {

std::vector<std::string> SplitPatterns(std::string_view text, bool atBlanks) {
    std::vector<std::string> patterns;
    std::string pattern;
    for (int pos = 0; pos < static_cast<int>(text.size());) {
        const std::string_view character = text.substr(pos, platform::CharLength(text, pos));
        if (character == "|" || (atBlanks && (character == " " || character == "\t"))) {
            if (!pattern.empty()) {
                patterns.push_back(std::exchange(pattern, {}));
            }
        } else {
            pattern += character;
        }
        pos += static_cast<int>(character.size());
    }
    if (!pattern.empty()) {
        patterns.push_back(std::move(pattern));
    }
    return patterns;
}

}  // namespace tandrel
