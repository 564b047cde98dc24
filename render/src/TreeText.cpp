#include "tandrel/render/TreeText.h"

#include <string>
#include <string_view>

#include "EntryColumns.h"
#include "FixedTexts.h"
#include "TreeLines.h"
#include "morvash/ListingLine.h"

namespace tandrel {
namespace {

constexpr char kSeparator = '/';
constexpr std::string_view kNarrowBlank = "  ";
constexpr std::string_view kAsciiTee = "|- ";
constexpr std::string_view kAsciiCorner = "`- ";
constexpr std::string_view kAsciiBar = "|  ";
constexpr std::string_view kAsciiBlank = "   ";

// The entries of BuildTreeText: a directory's marker and name; a file's name
// or title, the marker and the columns, from the caller's lookup.
class LookupSource {
  public:
    LookupSource(const FileInfoLookup& lookup, const TreeOptions& options,
                 const detail::FixedTexts& literals)
        : lookup_(lookup),
          extension_(options.extension),
          columns_{.size = options.size, .time = options.timestamp, .timeStyle = {}},
          missing_(literals.missing),
          fileBound_(detail::FileColumnsBound(columns_, missing_)) {}

    std::size_t extra(int, bool directory) const { return directory ? 0 : fileBound_; }

    bool entry(std::string& line, int index, const morvash::ListingLine& read) {
        // The entry text is the line less its indent: a name's own leading
        // blanks are part of it, and a directory keeps its marker.
        if (read.directory) {
            line += morvash::kDirectoryMarker;
            line += read.name;
            return true;
        }
        const CFileInfo info = lookup_(index);
        line += extension_ ? read.name : info.m_FileTitle.view();
        detail::AppendFileColumns(line, detail::FactsOf(info), columns_, missing_);
        return true;
    }

  private:
    const FileInfoLookup& lookup_;
    const bool extension_;
    const detail::FileColumns columns_;
    const std::string_view missing_;
    const std::size_t fileBound_;
};

}  // namespace

namespace detail {

Pieces ChoosePieces(DrawStyle style, bool noTreeLines, const FixedTexts& literals) {
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

}  // namespace detail

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
    LookupSource source(lookup, options, detail::ActiveFixedTexts());
    return detail::RenderLines(rootLabel, listing, dirCount, fileCount, options,
                               options.fileName && (options.size || options.timestamp), source,
                               output);
}

CString DepthErrorMessage() {
    return CString(std::string_view(detail::ActiveFixedTexts().depthError));
}

std::string ShownText(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        c = byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    return shown;
}

}  // namespace tandrel
