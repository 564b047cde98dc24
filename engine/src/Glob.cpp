#include "Glob.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <iterator>
#include <string>
#include <string_view>

#include "morvash/platform/CodePage.h"

namespace morvash::detail {
namespace {

// Internal results: AbortAll tells every "*" above that no longer text can
// match either; AbortToStarStar that only a "**" above may still match.
enum class Outcome { Match, NoMatch, AbortAll, AbortToStarStar };

bool IsUpper(std::uint32_t c) {
    return c >= 'A' && c <= 'Z';
}

bool IsLower(std::uint32_t c) {
    return c >= 'a' && c <= 'z';
}

// POSIX's twelve classes, on ASCII.
struct AsciiClass {
    std::string_view name;
    bool (*holds)(std::uint32_t);
};
constexpr auto kDigit = [](std::uint32_t c) { return c >= '0' && c <= '9'; };
constexpr auto kAlpha = [](std::uint32_t c) { return IsUpper(c) || IsLower(c); };
constexpr auto kGraph = [](std::uint32_t c) { return c > ' ' && c < 0x7F; };
constexpr AsciiClass kClasses[] = {
    {"alnum", [](std::uint32_t c) { return kAlpha(c) || kDigit(c); }},
    {"alpha", kAlpha},
    {"blank", [](std::uint32_t c) { return c == ' ' || c == '\t'; }},
    {"cntrl", [](std::uint32_t c) { return c < ' ' || c == 0x7F; }},
    {"digit", kDigit},
    {"graph", kGraph},
    {"lower", IsLower},
    {"print", [](std::uint32_t c) { return kGraph(c) || c == ' '; }},
    {"punct", [](std::uint32_t c) { return kGraph(c) && !kAlpha(c) && !kDigit(c); }},
    {"space", [](std::uint32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }},
    {"upper", IsUpper},
    {"xdigit",
     [](std::uint32_t c) { return kDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }},
};

// Whether `c` belongs to the class `name`; false in `known` for a name that
// is none of the twelve. Folding case, "upper" takes lower case letters too.
bool InClass(std::string_view name, std::uint32_t c, bool foldCase, bool& known) {
    const auto* found =
        std::find_if(std::begin(kClasses), std::end(kClasses),
                     [name](const AsciiClass& named) { return named.name == name; });
    known = found != std::end(kClasses);
    return known && (found->holds(c) || (foldCase && name == "upper" && IsLower(c)));
}

bool IsCp932Trail(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The length of the UTF-8 sequence at `pos`, 0 when it is not well formed
// (overlong, a surrogate, past U+10FFFF, cut short).
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || pos + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        if (i == 1) {
            // The second byte's range rules out the overlong and surrogate forms.
            const bool bad = (lead == 0xE0 && byte < 0xA0) || (lead == 0xED && byte > 0x9F) ||
                             (lead == 0xF0 && byte < 0x90) || (lead == 0xF4 && byte > 0x8F);
            if (bad) {
                return 0;
            }
        }
    }
    return length;
}

// The length of the character at `pos` in the active code page, 0 when the
// bytes there form none.
std::size_t CharLength(std::string_view text, std::size_t pos, bool cp932) {
    if (!cp932) {
        return Utf8Length(text, pos);
    }
    if (!platform::IsLeadByte(static_cast<unsigned char>(text[pos]))) {
        return 1;
    }
    return pos + 1 < text.size() && IsCp932Trail(static_cast<unsigned char>(text[pos + 1])) ? 2 : 0;
}

bool ValidText(std::string_view text, bool cp932) {
    for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length) {
        length = CharLength(text, pos, cp932);
        if (length == 0) {
            return false;
        }
    }
    return true;
}

// Whether `pos` starts a character of the valid code page 932 text `text`.
bool OnBoundary(std::string_view text, std::size_t pos) {
    std::size_t at = 0;
    while (at < pos) {
        at += CharLength(text, at, true);
    }
    return at == pos;
}

}  // namespace

// One match of a compiled pattern against one text, after git's wildmatch:
// "*" tries each split of the text, and the abort results cut the search short
// where no longer text can help, which keeps it polynomial.
class GlobMatch {
  public:
    GlobMatch(std::string_view pattern, std::string_view text, unsigned flags, bool bytes,
              bool cp932)
        : p_(pattern),
          t_(text),
          git_((flags & Glob::kGit) != 0),
          pathname_((flags & Glob::kPathname) != 0),
          foldCase_((flags & Glob::kFoldCase) != 0),
          bytes_(bytes),
          cp932_(cp932) {}

    Outcome Wild(std::size_t p, std::size_t t) const;

  private:
    // Reads the character at `pos` of `text` into `value`; returns its length.
    std::size_t next(std::string_view text, std::size_t pos, std::uint32_t& value) const;
    std::uint32_t fold(std::uint32_t c) const { return foldCase_ && IsUpper(c) ? c + 0x20 : c; }
    Outcome star(std::size_t p, std::size_t t) const;
    // Matches the set that opens at `p` against `c`, moving `p` past it;
    // false in `closed` when it is never closed.
    Outcome set(std::size_t& p, std::uint32_t c, bool& closed) const;

    std::string_view p_;
    std::string_view t_;
    bool git_;
    bool pathname_;
    bool foldCase_;
    bool bytes_;
    bool cp932_;
};

std::size_t GlobMatch::next(std::string_view text, std::size_t pos, std::uint32_t& value) const {
    const auto lead = static_cast<unsigned char>(text[pos]);
    value = lead;
    if (bytes_ || lead < 0x80) {
        return 1;
    }
    if (cp932_) {
        if (pos + 1 < text.size() && platform::IsLeadByte(lead)) {
            value = (value << 8) | static_cast<unsigned char>(text[pos + 1]);
            return 2;
        }
        return 1;
    }
    const std::size_t length = Utf8Length(text, pos);
    value = lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3FU);
    }
    return length;
}

Outcome GlobMatch::Wild(std::size_t p, std::size_t t) const {
    while (p < p_.size()) {
        const char token = p_[p];
        if (t == t_.size() && token != '*') {
            return Outcome::AbortAll;
        }
        std::uint32_t c = 0;
        const std::size_t length = t < t_.size() ? next(t_, t, c) : 0;
        c = fold(c);
        if (token == '*') {
            return star(p, t);
        }
        if (token == '?') {
            if (pathname_ && c == '/') {
                return Outcome::NoMatch;
            }
            ++p;
            t += length;
            continue;
        }
        if (token == '[') {
            std::size_t end = p;
            bool closed = true;
            const Outcome in = set(end, c, closed);
            if (closed || git_) {
                if (in != Outcome::Match) {
                    return in;
                }
                if (pathname_ && c == '/') {
                    return Outcome::NoMatch;
                }
                p = end;
                t += length;
                continue;
            }
            // A set never closed: the "[" stands for itself.
        }
        const bool escaped = token == '\\';
        if (escaped && ++p == p_.size()) {
            return Outcome::NoMatch;  // a lone "\" at the end matches nothing
        }
        // Git folds the pattern's own letters, not escaped ones.
        std::uint32_t wanted = 0;
        p += next(p_, p, wanted);
        if ((escaped ? wanted : fold(wanted)) != c) {
            return Outcome::NoMatch;
        }
        t += length;
    }
    return t == t_.size() ? Outcome::Match : Outcome::NoMatch;
}

Outcome GlobMatch::star(std::size_t p, std::size_t t) const {
    const std::size_t first = p;
    while (p < p_.size() && p_[p] == '*') {
        ++p;
    }
    bool crossSlash = !pathname_;
    if (pathname_ && p - first >= 2) {
        // "**" spans folders only when it stands alone between slashes.
        const bool after = p == p_.size() || p_[p] == '/' ||
                           (p_[p] == '\\' && p + 1 < p_.size() && p_[p + 1] == '/');
        if ((first == 0 || p_[first - 1] == '/') && after) {
            // "a/**/b" matches "a/b" too: the "**/" matching nothing.
            if (p < p_.size() && p_[p] == '/' && Wild(p + 1, t) == Outcome::Match) {
                return Outcome::Match;
            }
            crossSlash = true;
        }
    }
    if (p == p_.size()) {
        return crossSlash || t_.find('/', t) == t_.npos ? Outcome::Match : Outcome::AbortToStarStar;
    }
    if (!crossSlash && p_[p] == '/') {
        // One "*" before a "/" is the rest of this folder's name.
        const std::size_t slash = t_.find('/', t);
        return slash == t_.npos ? Outcome::AbortAll : Wild(p, slash);
    }
    const bool literal = p_[p] != '*' && p_[p] != '?' && p_[p] != '[' && p_[p] != '\\';
    std::uint32_t wanted = 0;
    if (literal) {
        next(p_, p, wanted);
        wanted = fold(wanted);
    }
    while (t < t_.size()) {
        std::uint32_t c = 0;
        std::size_t length = next(t_, t, c);
        if (literal) {
            // What comes before the next occurrence of the literal belongs to the "*".
            while (fold(c) != wanted && (crossSlash || c != '/')) {
                t += length;
                if (t == t_.size()) {
                    break;
                }
                length = next(t_, t, c);
            }
            if (t == t_.size() || fold(c) != wanted) {
                return crossSlash ? Outcome::AbortAll : Outcome::AbortToStarStar;
            }
        }
        const Outcome rest = Wild(p, t);
        if (rest != Outcome::NoMatch) {
            if (!crossSlash || rest != Outcome::AbortToStarStar) {
                return rest;
            }
        } else if (!crossSlash && c == '/') {
            return Outcome::AbortToStarStar;
        }
        t += length;
    }
    return Outcome::AbortAll;
}

Outcome GlobMatch::set(std::size_t& p, std::uint32_t c, bool& closed) const {
    std::size_t q = p + 1;
    const auto at = [this](std::size_t i) { return i < p_.size() ? p_[i] : '\0'; };
    const bool negated = at(q) == '!' || at(q) == '^';
    q += negated ? 1 : 0;
    bool matched = false;
    std::uint32_t previous = 0;  // a range's lower end; 0 after a range or a class
    do {
        if (q >= p_.size()) {
            closed = false;
            return Outcome::AbortAll;
        }
        std::uint32_t member = 0;
        if (p_[q] == '-' && previous != 0 && q + 1 < p_.size() && p_[q + 1] != ']') {
            q += p_[q + 1] == '\\' ? 2 : 1;
            if (q >= p_.size()) {
                closed = false;
                return Outcome::AbortAll;
            }
            q += next(p_, q, member);
            const std::uint32_t upper = IsLower(c) && foldCase_ ? c - 0x20 : c;
            matched =
                matched || (c >= previous && c <= member) || (upper >= previous && upper <= member);
            previous = 0;
            continue;
        }
        if (p_[q] == '[' && at(q + 1) == ':') {
            const std::size_t name = q + 2;
            const std::size_t end = p_.find(']', name);
            if (end == p_.npos) {
                closed = false;
                return Outcome::AbortAll;
            }
            if (end > name && p_[end - 1] == ':') {
                bool known = false;
                const std::string_view className = p_.substr(name, end - 1 - name);
                if (!git_ && !bytes_ && !cp932_ && c >= 0x80) {
                    // Beyond ASCII a UTF-8 name's classes are the locale's, as fnmatch's.
                    const std::wctype_t type = std::wctype(std::string(className).c_str());
                    known = type != 0;
                    matched =
                        (known && std::iswctype(static_cast<std::wint_t>(c), type)) || matched;
                } else {
                    matched = InClass(className, c, foldCase_, known) || matched;
                }
                if (!known) {
                    return Outcome::AbortAll;
                }
                q = end + 1;
                previous = 0;
                continue;
            }
            // Not a class after all: the "[" is a member.
        }
        if (p_[q] == '\\' && ++q >= p_.size()) {
            closed = false;
            return Outcome::AbortAll;
        }
        q += next(p_, q, member);
        // Git takes a range's lower end as a member too; fnmatch does not.
        const bool rangeFollows = at(q) == '-' && q + 1 < p_.size() && p_[q + 1] != ']';
        matched = matched || (member == c && (git_ || !rangeFollows));
        previous = member;
    } while (at(q) != ']');
    p = q + 1;
    return matched != negated ? Outcome::Match : Outcome::NoMatch;
}

Glob::Glob(std::string_view pattern, unsigned flags) : pattern_(pattern), flags_(flags) {
    if ((flags & kGit) == 0) {
        const bool cp932 = platform::ActiveCodePage() == platform::CodePage::Cp932;
        units_ = ValidText(pattern, cp932) ? (cp932 ? Units::Cp932 : Units::Utf8) : Units::Bytes;
    }
    if (pattern.find_first_of("?[\\") != pattern.npos ||
        ((flags & kFoldCase) != 0 && units_ == Units::Cp932)) {
        return;
    }
    const auto stars = static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '*'));
    if (stars == 0) {
        form_ = Form::Exact;
        literal_ = pattern_;
    } else if ((flags & kPathname) != 0) {
        return;  // a "*" must not match "/" there
    } else if (stars == pattern.size()) {
        form_ = Form::Any;
    } else if (stars == 1 && pattern.front() == '*') {
        form_ = Form::Suffix;
        literal_ = pattern.substr(1);
    } else if (stars == 1 && pattern.back() == '*') {
        form_ = Form::Prefix;
        literal_ = pattern.substr(0, pattern.size() - 1);
    }
}

bool Glob::same(std::string_view text, std::string_view literal) const {
    if ((flags_ & kFoldCase) == 0) {
        return text == literal;
    }
    return std::equal(text.begin(), text.end(), literal.begin(), literal.end(), [](char a, char b) {
        const auto lower = [](char c) {
            return IsUpper(static_cast<unsigned char>(c)) ? static_cast<char>(c + 0x20) : c;
        };
        return lower(a) == lower(b);
    });
}

bool Glob::Matches(std::string_view text) const {
    const std::size_t size = literal_.size();
    switch (form_) {
        case Form::Any:
            return true;
        case Form::Exact:
            return same(text, literal_);
        case Form::Prefix:
            return text.size() >= size && same(text.substr(0, size), literal_);
        case Form::Suffix:
            // A suffix that begins inside a double-byte character is no match.
            return text.size() >= size && same(text.substr(text.size() - size), literal_) &&
                   (units_ != Units::Cp932 || !ValidText(text, true) ||
                    OnBoundary(text, text.size() - size));
        case Form::General:
            break;
    }
    const bool cp932 = units_ == Units::Cp932;
    const bool bytes = units_ == Units::Bytes || !ValidText(text, cp932);
    return GlobMatch(pattern_, text, flags_, bytes, cp932).Wild(0, 0) == Outcome::Match;
}

}  // namespace morvash::detail
