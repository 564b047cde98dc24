#include "tandrel/render/TreeText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "AlignColumns.h"
#include "FixedTexts.h"
#include "morvash/ListingLine.h"

namespace tandrel {
namespace {

constexpr char kSeparator = '/';
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kNarrowBlank = "  ";
constexpr std::string_view kAsciiTee = "|- ";
constexpr std::string_view kAsciiCorner = "`- ";
constexpr std::string_view kAsciiBar = "|  ";
constexpr std::string_view kAsciiBlank = "   ";
constexpr int kColumns = MAX_SEARCH_DEPTH;  // depths 0 to 31 can be drawn

// What the backward pass learns about each listing line.
enum class Next : std::uint8_t {
    Last,     // no later shown sibling: the corner, and a blank column below
    Sibling,  // a later shown sibling: the tee, and a bar column below
    Blocked,  // a shown line 32 or more deep comes before the next shown line at or above
    TooDeep,  // the line itself is shown and 32 or more deep
    Hidden,   // a file line while file names are off
};

// The longest size and time columns: "\t18446744073709 MB", "\t65535/65535/65535 65535:65535".
constexpr std::size_t kSizeColumnMax = 1 + 14 + 3;
constexpr std::size_t kTimeColumnMax = 1 + 5 * 5 + 4;

struct Pieces {
    std::string_view tee, corner, bar, blank;
};

// The style's four pieces; with `noTreeLines`, its blank in every place.
Pieces ChoosePieces(DrawStyle style, bool noTreeLines, const detail::FixedTexts& literals) {
    Pieces pieces{literals.tee, literals.corner, literals.bar, literals.blank};
    if (style == DrawStyle::Narrow) {
        pieces.blank = kNarrowBlank;
    } else if (style == DrawStyle::Ascii) {
        pieces = {kAsciiTee, kAsciiCorner, kAsciiBar, kAsciiBlank};
    }
    if (noTreeLines) {
        pieces = {pieces.blank, pieces.blank, pieces.blank, pieces.blank};
    }
    return pieces;
}

// Decides, walking the listing once from its end, what the forward scan for
// each line's continuation flag would find: `ahead[k]` holds the answer for a
// line of depth k at the current position, that is, what the next shown line
// of depth k or less says. Also sums an upper bound of the text's length.
struct Lookahead {
    std::vector<Next> next;
    std::size_t textBound = 0;
};

Lookahead LookAhead(const CStringArray& listing, bool showFiles, std::size_t pieceSize,
                    std::size_t fileExtra) {
    const int count = listing.GetSize();
    Lookahead result;
    result.next.resize(static_cast<std::size_t>(count));
    std::array<Next, kColumns> ahead;
    ahead.fill(Next::Last);
    for (int i = count - 1; i >= 0; --i) {
        const std::string_view line = listing[i].view();
        const morvash::ListingLine read = morvash::ReadListingLine(line);
        const int depth = read.depth;
        const bool directory = read.directory;
        Next& mine = result.next[static_cast<std::size_t>(i)];
        if (!directory && !showFiles) {
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
        result.textBound += pieceSize * static_cast<std::size_t>(depth + 1) + line.size() -
                            static_cast<std::size_t>(depth) + kLineEnd.size() +
                            (directory ? 0 : fileExtra);
    }
    return result;
}

void AppendNumber(std::string& out, std::uint64_t value, int minDigits = 1) {
    std::array<char, 24> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    for (auto width = end - digits.data(); width < minDigits; ++width) {
        out += '0';
    }
    out.append(digits.data(), end);
}

// "\t%d B" up to 1000 bytes, "\t%d KB" up to 1000000, "\t%d MB" above, from
// the whole 64-bit size; units are powers of 1000 and divisions truncate.
void AppendSize(std::string& out, const CFileInfo& info) {
    const std::uint64_t size = (std::uint64_t{info.m_LengthHigh} << 32) | info.m_Length;
    out += '\t';
    if (size <= 1000) {
        AppendNumber(out, size);
        out += " B";
    } else if (size <= 1000000) {
        AppendNumber(out, size / 1000);
        out += " KB";
    } else {
        AppendNumber(out, size / 1000000);
        out += " MB";
    }
}

// "\t%d/%02d/%02d %02d:%02d": year, month, day, hour, minute as delivered.
void AppendTime(std::string& out, const SYSTEMTIME& time) {
    out += '\t';
    AppendNumber(out, time.wYear);
    out += '/';
    AppendNumber(out, time.wMonth, 2);
    out += '/';
    AppendNumber(out, time.wDay, 2);
    out += ' ';
    AppendNumber(out, time.wHour, 2);
    out += ':';
    AppendNumber(out, time.wMinute, 2);
}

}  // namespace

RootFolder PrepareRootFolder(const CString& folderText, BOOL rootFullPath) {
    // The root alone keeps its one separator: without it the engine path would
    // be empty and list nothing.
    if (rootFullPath || folderText == "/") {
        return {folderText, folderText};
    }
    CString enginePath = folderText;
    const int last = folderText.ReverseFind(kSeparator);
    if (last >= 0 && last == folderText.GetLength() - 1) {
        enginePath = folderText.Left(last);
    }
    const int separator = enginePath.ReverseFind(kSeparator);
    CString rootLabel = separator < 0 ? enginePath : enginePath.Mid(separator + 1);
    return {std::move(enginePath), std::move(rootLabel)};
}

BuildResult BuildTreeText(const CString& rootLabel, const CStringArray& listing,
                          unsigned int dirCount, unsigned int fileCount,
                          const FileInfoLookup& lookup, const TreeOptions& options,
                          CString& output) {
    const detail::FixedTexts& literals = detail::ActiveFixedTexts();
    const Pieces pieces = ChoosePieces(options.draw, options.noTreeLines, literals);
    const std::size_t pieceSize =
        std::max({pieces.tee.size(), pieces.corner.size(), pieces.bar.size(), pieces.blank.size()});
    const std::size_t fileExtra = literals.missing.size() + (options.size ? kSizeColumnMax : 0) +
                                  (options.timestamp ? kTimeColumnMax : 0);

    const Lookahead lookahead = LookAhead(listing, options.fileName, pieceSize, fileExtra);

    // The text is built apart from `output`, which may be the root label itself.
    // An upper bound of its length is reserved at once: pages never written to
    // cost no memory, and the text is never copied to grow.
    const std::size_t summaryMax = literals.summaryDirs.size() + literals.summaryFiles.size() + 20;
    const std::size_t bound = static_cast<std::size_t>(rootLabel.GetLength()) +
                              lookahead.textBound + 2 * kLineEnd.size() + summaryMax;
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
        const Next next = lookahead.next[static_cast<std::size_t>(i)];
        if (next == Next::Hidden) {
            continue;
        }
        if (next == Next::TooDeep || next == Next::Blocked) {
            output = std::move(text);
            return BuildResult::DepthError;
        }
        const morvash::ListingLine entry = morvash::ReadListingLine(listing[i].view());
        const int depth = entry.depth;
        const auto d = static_cast<std::size_t>(depth);
        flag[d] = next == Next::Sibling;

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

        // The entry text is the line less its indent: a name's own leading
        // blanks are part of it, and a directory keeps its marker.
        if (entry.directory) {
            line += morvash::kDirectoryMarker;
            line += entry.name;
        } else {
            const CFileInfo info = lookup(i);
            line += options.extension ? entry.name : info.m_FileTitle.view();
            if (info.m_FileTitle.IsEmpty() && info.m_FullPath.IsEmpty()) {
                line += literals.missing;
            }
            if (options.size) {
                AppendSize(line, info);
            }
            if (options.timestamp) {
                AppendTime(line, info.m_LastWrite);
            }
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
    AppendNumber(summary, dirCount);
    summary += literals.summaryFiles;
    AppendNumber(summary, fileCount);
    text += std::string_view(summary);
    if (options.alignColumns && options.fileName && (options.size || options.timestamp)) {
        output = CString(std::string_view(detail::AlignColumns(text.view())));
    } else {
        output = std::move(text);
    }
    return BuildResult::Complete;
}

CString DepthErrorMessage() {
    return CString(std::string_view(detail::ActiveFixedTexts().depthError));
}

}  // namespace tandrel
