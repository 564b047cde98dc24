// Fuzzes BuildTreeText on random listings, well-formed and malformed (depth
// jumps, lines deeper than 32, empty lines, lines of TABs only), with random
// options, against a reference written from the rendering rules alone: a
// forward scan for each line's continuation flag, then the columns, the
// connector and the entry text, line by line.
//
// Input: byte 0 holds the options (bit 0 file names, 1 extensions, 2 size,
// 3 time, 4 no tree lines, 5 code page 932, 6 narrow blank); byte 1 is added
// to the counts' top bits; then, up to a NUL, the root label and the listing
// lines, one per LF. A file whose name begins with "!" is missing (its
// details are the empty record's: 0 bytes, 1601/01/01 00:00); any other is
// 1500 bytes long, last written on 2004/05/06 07:08 and titled by its name up
// to the last ".". (The columns' arithmetic has its unit tests.)
//
// What must hold: the result, the text (complete or partial) and the lookups
// made are the reference's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MbcsReference.h"
#include "morvash/ListingLine.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

namespace {

using platform::FromUtf8;
using tandrel::BuildResult;

struct Rendering {
    BuildResult result = BuildResult::DepthError;
    std::string text;
    std::vector<int> lookups;
};

// The rendering rules, followed step by step.
Rendering Reference(const std::vector<std::string>& lines, const unsigned (&counts)[2],
                    const tandrel::TreeOptions& o) {
    const std::string blank = o.draw == tandrel::DrawStyle::Narrow ? "  " : FromUtf8("　 ");
    const auto piece = [&](const char* utf8) { return o.noTreeLines ? blank : FromUtf8(utf8); };
    const auto shown = [&](std::size_t i) {
        return o.fileName || morvash::IsDirectoryLine(lines[i]);
    };
    Rendering r{BuildResult::DepthError, lines[0] + "\r\n", {}};
    bool flag[32] = {};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const morvash::ListingLine line = morvash::ReadListingLine(lines[i]);
        if (!shown(i)) {
            continue;
        }
        if (line.depth >= 32) {
            return r;
        }
        flag[line.depth] = false;
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            const int depth = morvash::LineDepth(lines[j]);
            if (shown(j) && depth >= 32) {
                return r;
            }
            if (shown(j) && depth <= line.depth) {
                flag[line.depth] = depth == line.depth;
                break;
            }
        }
        for (int k = 0; k < line.depth; ++k) {
            r.text += flag[k] ? piece("│ ") : blank;
        }
        r.text += piece(flag[line.depth] ? "├ " : "└ ") + (line.directory ? "*" : "");
        if (line.directory || o.extension) {
            r.text += line.name;
        } else if (!line.name.starts_with('!')) {
            r.text += line.name.substr(0, line.name.rfind('.'));
        }
        if (!line.directory) {
            const bool missing = line.name.starts_with('!');
            r.lookups.push_back(static_cast<int>(i) - 1);
            r.text += missing ? FromUtf8("･･･ﾌｧｲﾙが無い！") : "";
            r.text += o.size ? (missing ? "\t0 B" : "\t1 KB") : "";
            r.text += o.timestamp ? (missing ? "\t1601/01/01 00:00" : "\t2004/05/06 07:08") : "";
        }
        r.text += "\r\n";
    }
    r.result = BuildResult::Complete;
    r.text += "\r\n" + FromUtf8("ﾃﾞｨﾚｸﾄﾘ数:") + std::to_string(counts[0]) + FromUtf8(", ﾌｧｲﾙ数:") +
              std::to_string(counts[1]);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto bit = [&](int n) { return (data[0] >> n & 1) != 0; };
    const tandrel::TreeOptions options{
        bit(0), bit(1), bit(2),
        bit(3), bit(4), bit(6) ? tandrel::DrawStyle::Narrow : tandrel::DrawStyle::Dialog};
    platform::SetActiveCodePage(bit(5) ? platform::CodePage::Cp932 : platform::CodePage::Utf8);
    std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;  // the root label, then the listing
    for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
        end = text.find('\n', start);
        lines.emplace_back(text.substr(start, end - start));
    }
    CStringArray listing;
    unsigned counts[2] = {unsigned{data[1]} << 24, unsigned{data[1] & 0x0Fu} << 28};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        listing.Add(CString(lines[i]));
        ++counts[morvash::IsDirectoryLine(lines[i]) ? 0 : 1];
    }

    Rendering actual;
    const auto lookup = [&](int index) {
        tandrel::fuzz::Check(index >= 0 && index + 1 < static_cast<int>(lines.size()));
        actual.lookups.push_back(index);
        const std::string_view name = morvash::ReadListingLine(lines[index + 1]).name;
        CFileInfo info;
        if (!name.starts_with('!')) {
            info.m_FullPath = CString("/" + std::string(name));
            info.m_FileTitle = CString(name.substr(0, name.rfind('.')));
            info.m_Length = 1500;
            info.m_LastWrite = {2004, 5, 0, 6, 7, 8, 0, 0};
        }
        return info;
    };
    CString output("left over from an earlier press");
    actual.result = tandrel::BuildTreeText(CString(lines[0]), listing, counts[0], counts[1], lookup,
                                           options, output);
    const Rendering expected = Reference(lines, counts, options);
    tandrel::fuzz::Check(actual.result == expected.result && actual.lookups == expected.lookups &&
                         output.view() == expected.text);
    return 0;
}
