// Fuzzes BuildTreeText on random listings, well-formed and malformed (depth
// jumps, lines deeper than 32, empty lines, lines of TABs only), with random
// flags and random file details, against a reference written from the
// rendering rules alone: the forward scan for each continuation flag, the
// prefix, the connector and the entry text, line by line.
//
// Input: byte 0 holds the flags (bit 0 file names, 1 extensions, 2 size,
// 3 time, 4 no tree lines, 5 code page 932, 6 narrow blank); byte 1 is added
// to the counts' top byte; then, up to a NUL, the root label and the listing
// lines, one per LF; after the NUL, bytes that make up the details of each
// file line (12 per line, taken in turn and reused when they run out).
//
// What must hold: the depth error comes exactly when a shown line lies 32 or
// more levels deep; the text (complete or partial) and the lookups made are
// the reference's; a complete text has one CR LF per shown entry, plus the
// root line's and the empty line's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MbcsReference.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CStringArray.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

namespace {

using tandrel::fuzz::Check;

constexpr int kTooDeep = 32;

struct Flags {
    bool fileName, extension, size, time, noTreeLines, cp932, narrow;
};

struct Pieces {
    std::string tee, corner, bar, blank, missing, summaryDirs, summaryFiles;
};

// The fixed texts, written out byte for byte in each code page.
Pieces PiecesFor(const Flags& flags) {
    Pieces p;
    if (flags.cp932) {
        p = {"\x84\xA5 ",
             "\x84\xA4 ",
             "\x84\xA0 ",
             "\x81\x40 ",
             "\xA5\xA5\xA5\xCC\xA7\xB2\xD9\x82\xAA\x96\xB3\x82\xA2\x81\x49",
             "\xC3\xDE\xA8\xDA\xB8\xC4\xD8\x90\x94:",
             ", \xCC\xA7\xB2\xD9\x90\x94:"};
    } else {
        p = {"\u251C ",
             "\u2514 ",
             "\u2502 ",
             "\u3000 ",
             "\uFF65\uFF65\uFF65\uFF8C\uFF67\uFF72\uFF99\u304C\u7121\u3044\uFF01",
             "\uFF83\uFF9E\uFF68\uFF9A\uFF78\uFF84\uFF98\u6570:",
             ", \uFF8C\uFF67\uFF72\uFF99\u6570:"};
    }
    if (flags.narrow) {
        p.blank = "  ";
    }
    if (flags.noTreeLines) {
        p.tee = p.corner = p.bar = p.blank;
    }
    return p;
}

int Depth(std::string_view line) {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

bool IsDirectory(std::string_view line) {
    const auto depth = static_cast<std::size_t>(Depth(line));
    return depth < line.size() && line[depth] == '*';
}

bool IsShown(std::string_view line, const Flags& flags) {
    return flags.fileName || IsDirectory(line);
}

std::string TwoDigits(unsigned value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string SizeColumn(const CFileInfo& info) {
    const std::uint64_t v = (std::uint64_t{info.m_LengthHigh} << 32) | info.m_Length;
    if (v <= 1000) {
        return "\t" + std::to_string(v) + " B";
    }
    if (v <= 1000000) {
        return "\t" + std::to_string(v / 1000) + " KB";
    }
    return "\t" + std::to_string(v / 1000000) + " MB";
}

std::string TimeColumn(const SYSTEMTIME& t) {
    return "\t" + std::to_string(t.wYear) + "/" + TwoDigits(t.wMonth) + "/" + TwoDigits(t.wDay) +
           " " + TwoDigits(t.wHour) + ":" + TwoDigits(t.wMinute);
}

struct Rendering {
    bool depthError = false;
    std::string text;
    std::vector<int> lookups;
};

// The rendering rules, followed step by step.
Rendering Reference(std::string_view label, const std::vector<std::string>& lines,
                    unsigned dirCount, unsigned fileCount, const std::vector<CFileInfo>& details,
                    const Flags& flags) {
    const Pieces p = PiecesFor(flags);
    Rendering r;
    r.text = std::string(label) + "\r\n";
    bool flag[kTooDeep] = {};
    const int n = static_cast<int>(lines.size());
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        if (!IsShown(line, flags)) {
            continue;
        }
        const int d = Depth(line);
        if (d >= kTooDeep) {
            r.depthError = true;
            return r;
        }
        flag[d] = false;
        for (int j = i + 1; j < n; ++j) {
            const std::string& next = lines[static_cast<std::size_t>(j)];
            if (!IsShown(next, flags)) {
                continue;
            }
            const int dj = Depth(next);
            if (dj >= kTooDeep) {
                r.depthError = true;
                return r;
            }
            if (dj <= d) {
                flag[d] = dj == d;
                break;
            }
        }
        for (int k = 0; k < d; ++k) {
            r.text += flag[k] ? p.bar : p.blank;
        }
        r.text += flag[d] ? p.tee : p.corner;
        std::string entry = line.substr(static_cast<std::size_t>(d));
        if (!IsDirectory(line)) {
            const CFileInfo& info = details[static_cast<std::size_t>(i)];
            r.lookups.push_back(i);
            if (!flags.extension) {
                entry = std::string(info.m_FileTitle.view());
            }
            if (info.m_FileTitle.IsEmpty() && info.m_FullPath.IsEmpty()) {
                entry += p.missing;
            }
            if (flags.size) {
                entry += SizeColumn(info);
            }
            if (flags.time) {
                entry += TimeColumn(info.m_LastWrite);
            }
        }
        r.text += entry + "\r\n";
    }
    r.text += "\r\n" + p.summaryDirs + std::to_string(dirCount) + p.summaryFiles +
              std::to_string(fileCount);
    return r;
}

// Makes the details of a file line from 12 bytes: which strings are there,
// the title's length, the size and the time.
CFileInfo MakeDetails(std::string_view name, const std::uint8_t* b) {
    CFileInfo info;
    if ((b[0] & 1) != 0) {
        info.m_FullPath = CString(std::string_view("/fuzz/"));
        info.m_FullPath += name;
    }
    if ((b[0] & 2) != 0) {
        info.m_FileTitle = CString(name.substr(0, (b[0] >> 2) % (name.size() + 1)));
    }
    info.m_Length =
        static_cast<unsigned>(b[1] | b[2] << 8 | b[3] << 16) | static_cast<unsigned>(b[4]) << 24;
    info.m_LengthHigh = (b[5] & 0x80) != 0 ? b[5] & 0x7F : 0;
    info.m_LastWrite = {static_cast<WORD>(b[6] | b[7] << 8), b[8], 0, b[9], b[10], b[11], 0, 0};
    return info;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t f = data[0];
    const Flags flags{(f & 1) != 0,  (f & 2) != 0,  (f & 4) != 0, (f & 8) != 0,
                      (f & 16) != 0, (f & 32) != 0, (f & 64) != 0};
    platform::SetActiveCodePage(flags.cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);

    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    const std::string_view detailBytes =
        nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    const std::string label = parts.front();
    const std::vector<std::string> lines(parts.begin() + 1, parts.end());

    CStringArray listing;
    std::vector<CFileInfo> details(lines.size());
    unsigned dirCount = 0;
    unsigned fileCount = 0;
    std::size_t used = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        listing.Add(CString(lines[i]));
        if (IsDirectory(lines[i])) {
            ++dirCount;
            continue;
        }
        ++fileCount;
        std::uint8_t bytes[12] = {};
        for (std::uint8_t& b : bytes) {
            b = detailBytes.empty()
                    ? 0
                    : static_cast<std::uint8_t>(detailBytes[used++ % detailBytes.size()]);
        }
        const std::string_view name =
            std::string_view(lines[i]).substr(static_cast<std::size_t>(Depth(lines[i])));
        details[i] = MakeDetails(name, bytes);
    }
    dirCount += static_cast<unsigned>(data[1]) << 24;
    fileCount += static_cast<unsigned>(data[1] & 0x0F) << 28;

    std::vector<int> lookups;
    const tandrel::FileInfoLookup lookup = [&](int index) {
        Check(index >= 0 && index < static_cast<int>(details.size()));
        lookups.push_back(index);
        return details[static_cast<std::size_t>(index)];
    };
    CString output("left over from an earlier press");
    const tandrel::BuildResult result = tandrel::BuildTreeText(
        CString(label), listing, dirCount, fileCount, lookup,
        tandrel::TreeOptions{
            .fileName = flags.fileName != 0,
            .extension = flags.extension != 0,
            .size = flags.size != 0,
            .timestamp = flags.time != 0,
            .noTreeLines = flags.noTreeLines != 0,
            .draw = flags.narrow ? tandrel::DrawStyle::Narrow : tandrel::DrawStyle::Dialog,
        },
        output);

    // The depth error, computed on its own: a shown line 32 or more deep.
    bool tooDeep = false;
    std::size_t shown = 0;
    for (const std::string& line : lines) {
        if (IsShown(line, flags)) {
            ++shown;
            tooDeep = tooDeep || Depth(line) >= kTooDeep;
        }
    }
    Check((result == tandrel::BuildResult::DepthError) == tooDeep);

    const Rendering expected = Reference(label, lines, dirCount, fileCount, details, flags);
    Check(expected.depthError == tooDeep);
    Check(lookups == expected.lookups);
    Check(output.view() == expected.text);

    if (!tooDeep) {
        std::size_t lineEnds = 0;
        for (std::size_t at = output.view().find("\r\n"); at != std::string_view::npos;
             at = output.view().find("\r\n", at + 2)) {
            ++lineEnds;
        }
        Check(lineEnds == shown + 2);
    }
    return 0;
}
