#pragma once

// --format=json: a walk's entries as one JSON document (RFC 8259), always in
// UTF-8 whatever the code page, written as the listing is read (no document
// tree is built):
//
//     {"root": "work", "entries": [
//       {"name": "docs", "type": "directory", "contents": [
//         {"name": "a.txt", "type": "file", "size": 12, "time": "2004-05-06T07:08:00+09:00"}
//       ]},
//       {"name": "link", "type": "link", "target": "docs/a.txt"}
//     ], "directories": 1, "files": 2}
//
// Names are the entries' whole real names. A name that is not valid text in
// the code page has each byte that begins no character replaced by U+FFFD in
// "name", and carries "name_hex", its bytes in lowercase hex.

#include <string>
#include <string_view>

#include "morvash/SerchFiles.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::cli {

/// What each entry carries.
struct JsonContent {
    bool files = true;  ///< file lines are entries (off: folders only)
    bool size = false;  ///< files carry "size", in bytes
    bool time = false;  ///< files carry "time", the shifted last-write time
};

/// Appends the document of `engine`'s listing to `out`; `rootLabel` is in the
/// active code page. Calls `lookup` once per file entry, in listing order.
void AppendJson(std::string& out, std::string_view rootLabel, CSerchFiles& engine,
                const JsonContent& content, const FileInfoLookup& lookup);

}  // namespace tandrel::cli
