#pragma once

// TempTree: a real folder tree in a fresh temporary directory, for tests that
// walk the file system. Paths given to the helpers are relative to the tree's
// root; a helper that the system refuses throws std::system_error, which fails
// the test. The destructor removes the whole tree, however deep, without
// following symbolic links.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvash::test {

class TempTree {
  public:
    /// Makes an empty folder below `base` ($TMPDIR or /tmp when null).
    explicit TempTree(const char* base = nullptr);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    /// Returns the root folder's absolute path, without a trailing "/".
    const std::string& root() const { return root_; }
    /// Returns root() + "/" + rel.
    std::string path(std::string_view rel) const;

    /// Makes the folder `rel` (its parent must exist).
    void makeFolder(std::string_view rel) const;
    /// Makes `count` folders, each named `name`, one inside the other below
    /// `rel`; works beyond PATH_MAX. Returns the relative path of the deepest.
    std::string makeChain(std::string_view rel, std::string_view name, int count) const;
    /// Creates the file `rel` (or keeps it) and sets its size; sizes past the
    /// written bytes are sparse, so they cost no disk.
    void touch(std::string_view rel, off_t size = 0) const;
    /// Sets the last-write time of `rel` (a link's own time for a link).
    void setTime(std::string_view rel, std::int64_t seconds, long nanoseconds = 0) const;
    /// Makes the symbolic link `rel` pointing at `target`.
    void link(std::string_view target, std::string_view rel) const;
    /// Removes the file `rel`.
    void remove(std::string_view rel) const;
    /// Returns the names of the folder `rel` in the order readdir yields them,
    /// without "." and "..".
    std::vector<std::string> names(std::string_view rel = "") const;

  private:
    std::string root_;
};

/// Returns prefix, the number, then suffix ("f7.txt"). Built by appending:
/// GCC 12 warns falsely about "f" + std::to_string(n) at -O2.
inline std::string Numbered(std::string_view prefix, long long number,
                            std::string_view suffix = {}) {
    std::string name(prefix);
    name += std::to_string(number);
    name += suffix;
    return name;
}

}  // namespace morvash::test
