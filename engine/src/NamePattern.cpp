#include "NamePattern.h"

#include <fnmatch.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace morvash::detail {

NamePattern::NamePattern(std::string_view text) {
    foldersOnly_ = text.ends_with('/');
    if (foldersOnly_) {
        text.remove_suffix(1);
    }
    text_ = std::string(text);
    // Plain forms ("name", "*.o", "build*") are compared directly: fnmatch
    // converts both strings to wide characters on every call. Comparing bytes
    // is comparing characters where a character's bytes never look like
    // another's: in UTF-8 and in single-byte code pages.
    const bool literalForms = MB_CUR_MAX == 1 || std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
    if (!literalForms || text.find_first_of("?[\\") != text.npos) {
        return;
    }
    const auto stars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '*'));
    if (stars == text.size() && stars > 0) {
        form_ = Form::Any;
    } else if (stars == 0) {
        form_ = Form::Exact;
        literal_ = text_;
    } else if (stars == 1 && text.front() == '*') {
        form_ = Form::Suffix;
        literal_ = std::string(text.substr(1));
    } else if (stars == 1 && text.back() == '*') {
        form_ = Form::Prefix;
        literal_ = std::string(text.substr(0, text.size() - 1));
    }
}

bool NamePattern::Matches(std::string_view name, bool directory) const {
    if (foldersOnly_ && !directory) {
        return false;
    }
    switch (form_) {
        case Form::Any:
            return true;
        case Form::Exact:
            return name == literal_;
        case Form::Prefix:
            return name.starts_with(literal_);
        case Form::Suffix:
            return name.ends_with(literal_);
        case Form::Glob:
            break;
    }
    const int result = ::fnmatch(text_.c_str(), name.data(), 0);
    if (result == 0 || result == FNM_NOMATCH) {
        return result == 0;
    }
    // A name that is not valid in the locale's encoding: match its bytes.
    static const locale_t bytes = ::newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = ::uselocale(bytes);
    const bool match = ::fnmatch(text_.c_str(), name.data(), 0) == 0;
    ::uselocale(previous);
    return match;
}

}  // namespace morvash::detail
