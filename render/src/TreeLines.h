#pragma once

// The drawing both renderers share: which lines are shown, the depth error,
// the connectors and columns in front of each entry, the summary, and the
// lining up of the columns. What follows each connector (the entry's text
// and columns) comes from a source:
//
//     struct Source {
//         // An upper bound of the bytes the entry of line `index` adds
//         // beyond its listing line's name.
//         std::size_t extra(int index, bool directory);
//         // Appends the entry's text; false stops the rendering.
//         bool entry(std::string& line, int index, const morvash::ListingLine& read);
//     };
//
// The source is asked for each shown line once, in listing order.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "AlignColumns.h"
#include "EntryColumns.h"
#include "FixedTexts.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CStringArray.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::detail {

inline constexpr std::string_view kLineEnd = "\r\n";

/// The pieces drawn in front of an entry.
struct Pieces {
    std::string_view tee, corner, bar, blank;
};

/// Returns the style's four pieces; with `noTreeLines`, its blank in every place.
Pieces ChoosePieces(DrawStyle style, bool noTreeLines, const FixedTexts& literals);

/// What the backward pass learns about each listing line.
enum class Next : std::uint8_t {
    Last,     ///< no later shown sibling: the corner, and a blank column below
    Sibling,  ///< a later shown sibling: the tee, and a bar column below
    Blocked,  ///< a shown line 32 or more deep comes before the next shown line at or above
    TooDeep,  ///< the line itself is shown and 32 or more deep
    Hidden,   ///< a file line while file names are off
};

/// Decides, walking the listing once from its end, what the forward scan for
/// each line's continuation flag would find; also sums an upper bound of the
/// text's length.
template <class Source>
std::vector<Next> LookAhead(const CStringArray& listing, bool showFiles, std::size_t pieceSize,
                            Source& source, std::size_t& textBound) {
    constexpr int kColumns = MAX_SEARCH_DEPTH;  // depths 0 to 31 can be drawn
    const int count = listing.GetSize();
    std::vector<Next> next(static_cast<std::size_t>(count));
    // ahead[k]: what the next shown line of depth k or less says to a line of depth k.
    std::array<Next, kColumns> ahead;
    ahead.fill(Next::Last);
    for (int i = count - 1; i >= 0; --i) {
        const std::string_view line = listing[i].view();
        const morvash::ListingLine read = morvash::ReadListingLine(line);
        const int depth = read.depth;
        Next& mine = next[static_cast<std::size_t>(i)];
        if (!read.directory && !showFiles) {
            mine = Next::Hidden;
            continue;
        }
        if (depth >= kColumns) {
            mine = Next::TooDeep;
            ahead.fill(Next::Blocked);
            continue;
        }
        mine = ahead[static_cast<std::size_t>(depth)];
        ahead[static_cast<std::size_t>(depth)] = Next::Sibling;
        std::fill(ahead.begin() + depth + 1, ahead.end(), Next::Last);
        textBound += pieceSize * static_cast<std::size_t>(depth + 1) + line.size() -
                     static_cast<std::size_t>(depth) + kLineEnd.size() +
                     source.extra(i, read.directory);
    }
    return next;
}

/// Renders a listing into `output` as BuildTreeText does, the entries' text
/// coming from `source`; `columns` tells whether lines may carry TAB columns
/// to line up (with options.alignColumns).
template <class Source>
BuildResult RenderLines(const CString& rootLabel, const CStringArray& listing,
                        unsigned int dirCount, unsigned int fileCount, const TreeOptions& options,
                        bool columns, Source& source, CString& output) {
    constexpr int kColumns = MAX_SEARCH_DEPTH;
    const FixedTexts& literals = ActiveFixedTexts();
    const Pieces pieces = ChoosePieces(options.draw, options.noTreeLines, literals);
    const std::size_t pieceSize =
        std::max({pieces.tee.size(), pieces.corner.size(), pieces.bar.size(), pieces.blank.size()});

    std::size_t textBound = 0;
    const std::vector<Next> next =
        LookAhead(listing, options.fileName, pieceSize, source, textBound);

    // The text is built apart from `output`, which may be the root label itself.
    // An upper bound of its length is reserved at once: pages never written to
    // cost no memory, and the text is never copied to grow.
    const std::size_t summaryMax = literals.summaryDirs.size() + literals.summaryFiles.size() + 20;
    const std::size_t bound = static_cast<std::size_t>(rootLabel.GetLength()) + textBound +
                              2 * kLineEnd.size() + summaryMax;
    CString text;
    if (bound <= INT_MAX) {
        text.Preallocate(static_cast<int>(bound));
    }
    text += rootLabel;
    text += kLineEnd;
    output.Empty();

    // `line` holds the prefix of the columns drawn so far; columnEnd[k] is
    // where column k ends in it, valid for k < columnsKnown. A line of depth d
    // keeps the first d columns, adds its connector and text, and then puts
    // its own column (bar or blank) at position d for the lines below it.
    std::array<bool, kColumns> flag{};
    std::array<std::size_t, kColumns + 1> columnEnd{};
    int columnsKnown = 0;
    std::string line;
    line.reserve(512);

    const int count = listing.GetSize();
    for (int i = 0; i < count; ++i) {
        const Next ahead = next[static_cast<std::size_t>(i)];
        if (ahead == Next::Hidden) {
            continue;
        }
        if (ahead == Next::TooDeep || ahead == Next::Blocked) {
            output = std::move(text);
            return BuildResult::DepthError;
        }
        const morvash::ListingLine entry = morvash::ReadListingLine(listing[i].view());
        const int depth = entry.depth;
        const auto d = static_cast<std::size_t>(depth);
        flag[d] = ahead == Next::Sibling;

        if (depth <= columnsKnown) {
            line.resize(columnEnd[d]);
        } else {
            // Deeper than the line before by more than one level (never so in
            // an engine listing): the missing columns follow their flags.
            for (int k = columnsKnown; k < depth; ++k) {
                line += flag[static_cast<std::size_t>(k)] ? pieces.bar : pieces.blank;
                columnEnd[static_cast<std::size_t>(k) + 1] = line.size();
            }
        }
        line += flag[d] ? pieces.tee : pieces.corner;
        if (!source.entry(line, i, entry)) {
            return BuildResult::Stopped;
        }
        line += kLineEnd;
        text += std::string_view(line);

        line.resize(columnEnd[d]);
        line += flag[d] ? pieces.bar : pieces.blank;
        columnEnd[d + 1] = line.size();
        columnsKnown = depth + 1;
    }

    text += kLineEnd;
    std::string summary = literals.summaryDirs;
    AppendDecimal(summary, dirCount);
    summary += literals.summaryFiles;
    AppendDecimal(summary, fileCount);
    text += std::string_view(summary);
    if (options.alignColumns && columns) {
        output = CString(std::string_view(AlignColumns(text.view())));
    } else {
        output = std::move(text);
    }
    return BuildResult::Complete;
}

}  // namespace tandrel::detail
