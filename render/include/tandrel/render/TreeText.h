#pragma once

// The window-free heart of Tandrel: turning a folder text into the engine's
// path and the drawing's first line, and a listing into the tree text that
// the dialog's output box and tandrel-cli show. No window, no disk access
// except through the file-details lookup the caller passes in.

#include <functional>
#include <string>
#include <string_view>

#include "morvash/SerchFiles.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CStringArray.h"
#include "morvash/platform/WinTypes.h"

namespace tandrel {

/// What a folder text gives: the path handed to the engine and the root label.
struct RootFolder {
    CString enginePath;
    CString rootLabel;
};

/// Splits a folder text into the engine path and the root label ("/" separates).
RootFolder PrepareRootFolder(const CString& folderText, BOOL rootFullPath);

/// How a rendering ended.
enum class BuildResult {
    Complete,    ///< the text is complete
    DepthError,  ///< a shown line lies 32 or more levels deep; the text is partial
    Stopped,     ///< a stop was requested (RenderWalk only); no text
};

/// Returns the details of the file on a listing line, by listing index.
using FileInfoLookup = std::function<CFileInfo(int index)>;

/// The pieces drawn in front of each entry.
enum class DrawStyle {
    Dialog,  ///< "├ ", "└ ", "│ " and "　 " (ideographic space, space), as the output box has them
    Narrow,  ///< the same tee, corner and bar; the blank piece is two spaces (terminals)
    Ascii,   ///< "|- ", "`- ", "|  " and "   ": three ASCII columns each
};

/// What a rendering shows: the dialog's five check boxes, the drawing style
/// and how the size and time columns are separated.
struct TreeOptions {
    bool fileName = true;      ///< list files (off: folders only)
    bool extension = true;     ///< show file names with their extension
    bool size = false;         ///< add each file's size column
    bool timestamp = false;    ///< add each file's last-write time column
    bool noTreeLines = false;  ///< draw every connector and column as the blank piece
    DrawStyle draw = DrawStyle::Dialog;
    /// Separate the size and time columns with spaces instead of TABs, padded by
    /// display width (East Asian wide characters count two columns), so that
    /// they line up in a terminal: names left-aligned, sizes right-aligned.
    bool alignColumns = false;
};

/// Renders a listing into `output` (replacing what it held): the root label,
/// one line per shown entry with its connectors and columns, an empty line and
/// the summary, lines joined by CR LF with none after the summary. Calls
/// `lookup` once per shown file line, in listing order, and for nothing else.
BuildResult BuildTreeText(const CString& rootLabel, const CStringArray& listing,
                          unsigned int dirCount, unsigned int fileCount,
                          const FileInfoLookup& lookup, const TreeOptions& options,
                          CString& output);

/// Returns the depth error's two-line message in the active code page.
CString DepthErrorMessage();

/// Returns `text` with each control byte (0x01-0x1F, 0x7F) shown as "?", as
/// the listing shows names, so that it stays on its line.
std::string ShownText(std::string_view text);

}  // namespace tandrel
