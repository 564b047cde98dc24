#include "GitRules.h"

#include <algorithm>

namespace morvash::detail {
namespace {

char Lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWith(std::string_view text, std::string_view start, bool ignoreCase) noexcept {
    if (!ignoreCase) {
        return text.starts_with(start);
    }
    return text.size() >= start.size() &&
           std::equal(start.begin(), start.end(), text.begin(),
                      [](char a, char b) { return Lower(a) == Lower(b); });
}

// Drops the trailing spaces of a rule, but not an escaped one ("a\ "), nor
// any after a "\" that ends the line (git keeps such a line whole). TABs stay.
std::string_view TrimTrailingSpaces(std::string_view line) noexcept {
    std::size_t trailing = line.npos;  // where the last run of spaces starts
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') {
            trailing = std::min(trailing, i);
            continue;
        }
        if (line[i] == '\\' && ++i == line.size()) {
            return line;
        }
        trailing = line.npos;
    }
    return line.substr(0, trailing);
}

}  // namespace

void GitRules::Push(std::string_view base) {
    levels_.push_back(Level{std::string(base), rules_.size()});
}

void GitRules::Pop() {
    rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(levels_.back().first), rules_.end());
    levels_.pop_back();
}

void GitRules::Add(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        // Git holds each rule as a C string: a NUL byte ends it.
        addRule(TrimTrailingSpaces(line.substr(0, line.find('\0'))));
    }
}

void GitRules::addRule(std::string_view line) {
    Rule rule{Glob({}), {}, line.starts_with('!')};
    line.remove_prefix(rule.negative ? 1 : 0);
    rule.foldersOnly = line.ends_with('/');
    line.remove_suffix(rule.foldersOnly ? 1 : 0);
    if (line.empty()) {
        return;  // an empty pattern matches nothing
    }
    const unsigned fold = ignoreCase_ ? unsigned{Glob::kFoldCase} : 0U;
    rule.onNames = line.find('/') == line.npos;
    if (rule.onNames) {
        rule.glob = Glob(line, Glob::kGit | fold);
    } else {
        // A rule on paths is anchored to its file's folder; its literal
        // beginning is compared first, the rest with wildcards stopping at "/".
        line.remove_prefix(line.starts_with('/') ? 1 : 0);
        const std::size_t literal = std::min(line.find_first_of("*?[\\"), line.size());
        rule.literal = line.substr(0, literal);
        rule.glob = Glob(line.substr(literal), Glob::kGit | Glob::kPathname | fold);
        // Only "**" matches "/" here, and a set may hold one that matches
        // nothing: without them a rule matches paths as deep as itself.
        if (line.find("**") == line.npos && line.find('[') == line.npos) {
            rule.slashes = static_cast<int>(std::count(line.begin(), line.end(), '/'));
        }
    }
    rules_.push_back(std::move(rule));
}

bool GitRules::matches(const Rule& rule, std::string_view path, std::string_view base,
                       int slashes) const {
    if (rule.onNames) {
        return rule.glob.Matches(path.substr(path.rfind('/') + 1));
    }
    const std::string_view name = path.substr(base.size());
    return (rule.slashes < 0 || rule.slashes == slashes) &&
           StartsWith(name, rule.literal, ignoreCase_) &&
           rule.glob.Matches(name.substr(rule.literal.size()));
}

IgnoreVerdict GitRules::Match(std::string_view path, bool directory) const {
    std::size_t end = rules_.size();
    for (auto level = levels_.rbegin(); level != levels_.rend(); end = (level++)->first) {
        // A file's rules apply below its own folder only.
        if (level->first == end || !StartsWith(path, level->base, ignoreCase_)) {
            continue;
        }
        const auto slashes = static_cast<int>(std::count(
            path.begin() + static_cast<std::ptrdiff_t>(level->base.size()), path.end(), '/'));
        for (std::size_t i = end; i-- > level->first;) {
            const Rule& rule = rules_[i];
            if ((directory || !rule.foldersOnly) && matches(rule, path, level->base, slashes)) {
                return rule.negative ? IgnoreVerdict::NotIgnored : IgnoreVerdict::Ignored;
            }
        }
    }
    return IgnoreVerdict::NoRule;
}

IgnoreVerdict GitRules::Decide(std::string_view path, bool directory) const {
    for (std::size_t slash = path.find('/'); slash != path.npos;
         slash = path.find('/', slash + 1)) {
        if (Match(path.substr(0, slash), true) == IgnoreVerdict::Ignored) {
            return IgnoreVerdict::Ignored;
        }
    }
    return Match(path, directory);
}

}  // namespace morvash::detail
