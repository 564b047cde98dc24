#pragma once

// A walk's entries as one JSON document (RFC 8259), always in UTF-8 whatever
// the code page, written as the listing is read (no document tree is built):
//
//     {"root": "work", "entries": [
//       {"name": "docs", "type": "directory", "contents": [
//         {"name": "a.txt", "type": "file", "size": 12, "time": "2004-05-06T07:08:00+09:00"}
//       ]},
//       {"name": "link", "type": "link", "target": "docs/a.txt"}
//     ], "directories": 1, "files": 2}
//
// The entries are those the tree text shows with the same RenderOptions
// (folders only without file names); names are the entries' whole real
// names. A name whose text is not its bytes carries "name_hex", its bytes in
// lowercase hex: under UTF-8 a name that is not valid text (each byte that
// begins no character is U+FFFD in "name"), under code page 932 any name
// beyond ASCII (its text is converted); so does a link's target
// ("target_hex"). A file not found by its lookup has "missing": true; a link
// whose target does not exist has "dangling": true.

#include <string>
#include <string_view>

#include "morvash/SerchFiles.h"
#include "tandrel/render/RenderWalk.h"

namespace tandrel {

/// Appends the document of `engine`'s listing to `out`; `rootLabel` is in the
/// active code page. Files carry "size" with options.tree.size (folders too
/// with options.folderSizes) and "time" with options.tree.timestamp, in the
/// dialog's zone (+09:00) or, with options.time.local, the process's.
void AppendJson(std::string& out, std::string_view rootLabel, CSerchFiles& engine,
                const RenderOptions& options);

}  // namespace tandrel
