#pragma once

// The renderer's fixed texts in the active code page. Each is stored once, as
// UTF-8, and converted the first time a rendering needs it under a code page;
// the converted set is kept for the life of the process.

#include <string>

namespace tandrel::detail {

struct FixedTexts {
    std::string tee;     ///< "├ ": an entry with a later shown sibling
    std::string corner;  ///< "└ ": the last shown entry of its level
    std::string bar;     ///< "│ ": the column below an ancestor with a later shown sibling
    std::string blank;   ///< "　 " (ideographic space, space): an empty column
    std::string missing;  ///< "･･･ﾌｧｲﾙが無い！": a file whose details were not found
    std::string summaryDirs;   ///< "ﾃﾞｨﾚｸﾄﾘ数:", then the directory count
    std::string summaryFiles;  ///< ", ﾌｧｲﾙ数:", then the file count
    std::string depthError;    ///< the two-line depth message, joined by LF
};

/// Returns the literals in the active code page.
const FixedTexts& ActiveFixedTexts();

}  // namespace tandrel::detail
