#pragma once

// One pattern of the walk's exclude or include lists, matched against an
// entry's name alone: "*", "?", "[...]", a leading dot matched by "*"; a
// pattern ending in "/" matches folders only.

#include <string>
#include <string_view>

namespace morvash::detail {

class NamePattern {
  public:
    explicit NamePattern(std::string_view text);

    /// Tells whether the pattern matches the NUL-terminated `name` of an
    /// entry that is a folder or not.
    bool Matches(std::string_view name, bool directory) const;

  private:
    enum class Form { Any, Exact, Prefix, Suffix, Glob };
    Form form_ = Form::Glob;
    bool foldersOnly_ = false;
    std::string text_;
    std::string literal_;  // the plain part of text_
};

}  // namespace morvash::detail
