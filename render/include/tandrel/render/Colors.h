#pragma once

// The colours of entry names in a terminal, chosen as `ls --color` and
// `tree -C` choose them: from LS_COLORS, whose form is a list of KEY=SGR
// separated by ":" ("di=01;34:ln=01;36:ex=01;32:*.tar=01;31"). The keys read:
// di (folder), ln (link; "target" colours it as what it points to), or
// (dangling link), mi (what a dangling link points to), ex (executable), fi
// (file), pi, so, bd, cd, do (FIFO, socket, block and character device,
// door), su, sg (set-user-ID, set-group-ID), st, ow, tw (sticky, other-writable,
// both), mh (more than one hard link), *SUFFIX (a file whose name ends so;
// the last one given wins), and the sequences' own parts lc, rc, ec, rs. A key
// that LS_COLORS does not set keeps ls's built-in colour (folders bold blue,
// links bold cyan, executables bold green, ...). A value of "", "0" or "00"
// colours nothing.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "morvash/WalkOptions.h"

namespace tandrel {

class NameColors {
  public:
    /// Reads `lsColors` in LS_COLORS's form; a malformed item is passed over.
    explicit NameColors(std::string_view lsColors = {});

    /// Returns the sequence that begins the name `name` of an entry of kind
    /// `type` whose kind and permission bits are `mode` (POSIX st_mode; 0 when
    /// unknown) and which has `links` hard links; for a link, `dangling` tells
    /// that nothing exists at its target and `targetMode` is the target's.
    /// Empty when the name is not coloured.
    std::string_view Begin(morvash::EntryType type, std::uint32_t mode, std::uint32_t links,
                           std::string_view name, bool dangling = false,
                           std::uint32_t targetMode = 0) const;
    /// Returns the sequence that begins a link's target text.
    std::string_view BeginTarget(std::string_view target, bool dangling,
                                 std::uint32_t targetMode) const;
    /// Returns the sequence that ends a coloured name.
    std::string_view End() const noexcept { return end_; }
    /// Returns the length of the longest sequence Begin gives.
    std::size_t Longest() const noexcept { return longest_; }

    enum Key : std::uint8_t {
        kLeft,
        kRight,
        kEnd,
        kReset,
        kNormal,
        kFile,
        kDirectory,
        kLink,
        kFifo,
        kSocket,
        kBlock,
        kCharacter,
        kMissing,
        kOrphan,
        kExecutable,
        kDoor,
        kSetUid,
        kSetGid,
        kSticky,
        kOtherWritable,
        kStickyOtherWritable,
        kMultiLink,
        kKeyCount
    };

  private:
    // The colour of a name by its kind and mode alone, for a file by its suffix too.
    std::string_view byMode(std::uint32_t mode, std::uint32_t links, std::string_view name,
                            bool directory) const;

    std::array<std::string, kKeyCount> values_;  // as LS_COLORS gives them
    std::array<std::string, kKeyCount> begins_;  // lc + value + rc; empty: not coloured
    // Hashes a key by its text, so that a view finds it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>()(text);
        }
    };
    // A suffix's sequence, and its place in LS_COLORS: of two that match, the
    // one given later wins.
    struct Suffix {
        std::string sequence;
        std::size_t order = 0;
    };
    // The suffixes that are an extension (".tar": a dot and no other), found
    // by the name's own extension at once; the others, tried one by one.
    std::unordered_map<std::string, Suffix, TextHash, std::equal_to<>> extensions_;
    std::vector<std::pair<std::string, Suffix>> otherSuffixes_;
    bool linkAsTarget_ = false;
    std::string end_;
    std::size_t longest_ = 0;
};

}  // namespace tandrel
