#pragma once

// The fence of a Markdown fenced code block, shared by tandrel-cli's
// --format=markdown and the window's "Markdown としてコピー".

#include <string>
#include <string_view>

namespace tandrel {

/// Returns the fence for a code block that holds `text`: backticks, at least
/// three and one more than the longest run of backticks in `text`, so that no
/// line of the text can close the block (CommonMark's rule).
std::string CodeFence(std::string_view text);

}  // namespace tandrel
