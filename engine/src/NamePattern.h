#pragma once

// One pattern of the walk's exclude or include lists, matched against an
// entry's name alone (Glob.h: "*", "?", "[...]", a leading dot matched by
// "*"); a pattern ending in "/" matches folders only.

#include <string_view>

#include "Glob.h"

namespace morvash::detail {

class NamePattern {
  public:
    explicit NamePattern(std::string_view text)
        : foldersOnly_(text.ends_with('/')),
          glob_(foldersOnly_ ? text.substr(0, text.size() - 1) : text) {}

    /// Tells whether the pattern matches the `name` of an entry that is a
    /// folder or not.
    bool Matches(std::string_view name, bool directory) const {
        return (directory || !foldersOnly_) && glob_.Matches(name);
    }

  private:
    bool foldersOnly_;
    Glob glob_;
};

}  // namespace morvash::detail
