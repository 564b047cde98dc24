#pragma once

// Writing the tree text (as it is, or as Markdown) to standard output and turning the stream's
// state into tandrel-cli's exit status.

#include <iosfwd>
#include <string_view>

namespace tandrel::cli {

/// Writes the tree text, built with CR LF line ends and none after the
/// summary, either as it is (`crlf`) or with LF line ends and a final LF.
void WriteText(std::string_view text, bool crlf, std::ostream& out);

/// Writes the tree text as WriteText does, inside a Markdown fenced code
/// block: a fence of backticks longer than any run in the text, "text", the
/// text, the fence.
void WriteMarkdown(std::string_view text, bool crlf, std::ostream& out);

/// Flushes `out` and returns the exit status its state gives: 0, or 3 after
/// reporting a write failure on `err`. A closed pipe (EPIPE) ends quietly with 0.
int FinishOutput(std::ostream& out, std::ostream& err);

}  // namespace tandrel::cli
