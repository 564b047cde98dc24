#pragma once

// The window-free heart of Tandrel: turning a folder text into the engine's
// path and the drawing's first line, and a listing into the tree text that
// the dialog's output box and tandrel-cli show. No window, no disk access
// except through the file-details lookup the caller passes in.

#include <functional>

#include "morvash/SerchFiles.h"
#include "platform/CString.h"
#include "platform/CStringArray.h"
#include "platform/WinTypes.h"

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
};

/// Returns the details of the file on a listing line, by listing index.
using FileInfoLookup = std::function<CFileInfo(int index)>;

/// Drawing choices beyond the dialog's flags.
struct TreeStyle {
    bool narrowBlank = false;  ///< draw the blank piece as two spaces (terminals)
};

/// Renders a listing into `output` (replacing what it held): the root label,
/// one line per shown entry with its connectors and columns, an empty line and
/// the summary, lines joined by CR LF with none after the summary. Calls
/// `lookup` once per shown file line, in listing order, and for nothing else.
BuildResult BuildTreeText(const CString& rootLabel, const CStringArray& listing,
                          unsigned int dirCount, unsigned int fileCount,
                          const FileInfoLookup& lookup, BOOL fileName, BOOL extension, BOOL size,
                          BOOL timestamp, BOOL noTreeLines, CString& output,
                          const TreeStyle& style = {});

/// Returns the depth error's two-line message in the active code page.
CString DepthErrorMessage();

}  // namespace tandrel
