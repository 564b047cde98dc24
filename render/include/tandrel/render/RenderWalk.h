#pragma once

// The one rendering of a finished walk, for the window and tandrel-cli: the
// tree text of BuildTreeText, with each file's size, time and kind taken from
// what the walk read while it read the file's folder (WalkOptions::details),
// not from a second lookup, and with what tandrel-cli adds to the dialog's
// columns: readable sizes, folder totals, times in other zones and formats,
// link targets and colours.
//
//     tandrel::RenderOptions render;                  // the dialog's text by default
//     morvash::WalkOptions walk;
//     tandrel::AskWalkFor(render, walk);              // what the rendering reads of the walk
//     CSerchFiles engine(path, extensions, walk);
//     CString text;
//     tandrel::RenderWalk(engine, rootLabel, render, text);
//
// With the default RenderOptions the text is byte for byte what BuildTreeText
// gives with the engine's own lookup (a file not found by its walk-time lookup
// keeps the missing-file marker). A walk that was not asked for details has
// each file looked up when it is rendered, as BuildTreeText's callers do.

#include <atomic>
#include <cstdint>
#include <string>

#include "morvash/SerchFiles.h"
#include "morvash/WalkOptions.h"
#include "morvash/platform/CString.h"
#include "tandrel/render/TreeText.h"

namespace tandrel {

class NameColors;

/// How the size column writes a size.
enum class SizeUnits {
    Dialog,   ///< the dialog's: "12 B", "3 KB", "4 MB", powers of 1000, rounded down
    Binary,   ///< powers of 1024, one decimal below ten: "999", "1.5K", "12M", "3.1G"
    Decimal,  ///< the same in powers of 1000: "999", "1.5k", "12M", "3.3G"
};

/// How the time column writes a file's last-write time.
struct TimeStyle {
    /// The process's time zone (TZ) instead of the dialog's UTC + 9 hours.
    bool local = false;
    /// A strftime format; empty: the dialog's "YYYY/MM/DD hh:mm".
    std::string format;
};

/// What a rendering shows: the dialog's check boxes and drawing (`tree`), and
/// what tandrel-cli adds. Each addition is off by default.
struct RenderOptions {
    TreeOptions tree;
    SizeUnits sizeUnits = SizeUnits::Dialog;
    /// Each folder's line carries the size column too: the total of the files
    /// below it that the walk accepted (those `-d` hides included). Shows the
    /// size column on file lines as well.
    bool folderSizes = false;
    TimeStyle time;
    /// After a symbolic link's name, " -> " and its target, and " (dangling)"
    /// when nothing exists there.
    bool linkTargets = false;
    /// Colours for the names (null: none); must outlive the rendering.
    const NameColors* colors = nullptr;
};

/// Counters and the stop request of a rendering on its own thread.
struct RenderControl {
    /// Grows by one for each file line rendered; may be null.
    std::atomic<std::uint64_t>* files = nullptr;
    /// Its stop request ends the rendering early; may be null.
    const morvash::WalkControl* stop = nullptr;
};

/// Sets in `walk` what a rendering with `options` reads of the walk: each
/// entry's details (for the files' marker and columns, folder totals and
/// colours) and the link targets.
void AskWalkFor(const RenderOptions& options, morvash::WalkOptions& walk);

/// Renders the listing of `engine` into `output`, as BuildTreeText does with
/// `options.tree` and the additions of `options`. Returns Stopped, with an
/// empty text, when the control's stop was requested.
BuildResult RenderWalk(CSerchFiles& engine, const CString& rootLabel, const RenderOptions& options,
                       CString& output, const RenderControl& control = {});

}  // namespace tandrel
