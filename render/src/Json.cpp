#include "tandrel/render/Json.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "EntryColumns.h"
#include "morvash/ListingLine.h"
#include "morvash/platform/CodePage.h"

namespace tandrel {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Returns `text` (in the active code page) as UTF-8, each byte that begins no
// character replaced by U+FFFD; `lossy` tells whether the UTF-8 text differs
// from the bytes: a replaced byte, or under code page 932 any converted one.
std::string ToUtf8(std::string_view text, bool& lossy) {
    if (platform::ActiveCodePage() == platform::CodePage::Cp932) {
        lossy = true;
        return platform::ToUtf8(text);
    }
    std::string utf8;
    utf8.reserve(text.size());
    lossy = false;
    char32_t character = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            utf8 += text[at++];
        } else if (const std::size_t length = platform::DecodeUtf8(text.substr(at), character);
                   length > 0) {
            utf8.append(text.substr(at, length));
            at += length;
        } else {
            utf8 += kReplacement;
            lossy = true;
            ++at;
        }
    }
    return utf8;
}

// Appends `utf8` as a JSON string.
void AppendString(std::string& out, std::string_view utf8) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

// Appends `"key": "text"`, converted to UTF-8, and `"key_hex": "..."` with the
// raw bytes when the text is not its bytes.
void AppendText(std::string& out, std::string_view key, std::string_view text) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    out += '"';
    out += key;
    out += "\": ";
    // Most names are printable ASCII that needs no escape: no copy for those.
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; })) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    bool lossy = false;
    AppendString(out, ToUtf8(text, lossy));
    if (lossy) {
        out += ", \"";
        out += key;
        out += "_hex\": \"";
        for (const char c : text) {
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 0xF];
        }
        out += '"';
    }
}

// "YYYY-MM-DDTHH:MM:SS+HH:MM": in the dialog's zone, or the process's.
void AppendTime(std::string& out, const detail::FileFacts& facts, bool local) {
    const platform::ZonedTime time = detail::Zoned(facts, local);
    out += ", \"time\": \"";
    detail::AppendDecimal(out, static_cast<std::uint64_t>(std::max<std::int64_t>(time.year, 0)), 4);
    out += '-';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(time.month), 2);
    out += '-';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(time.day), 2);
    out += 'T';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(time.hour), 2);
    out += ':';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(time.minute), 2);
    out += ':';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(time.second), 2);
    const long offset = time.offset < 0 ? -time.offset : time.offset;
    out += time.offset < 0 ? '-' : '+';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(offset / 3600), 2);
    out += ':';
    detail::AppendDecimal(out, static_cast<std::uint64_t>(offset / 60 % 60), 2);
    out += '"';
}

constexpr std::string_view TypeName(morvash::EntryType type) {
    switch (type) {
        case morvash::EntryType::Directory:
            return "directory";
        case morvash::EntryType::File:
            return "file";
        case morvash::EntryType::Link:
            return "link";
        case morvash::EntryType::Other:
            break;
    }
    return "other";
}

}  // namespace

void AppendJson(std::string& out, std::string_view rootLabel, CSerchFiles& engine,
                const RenderOptions& options) {
    const CStringArray& listing = *engine.gFc_GetListFiles();
    const std::vector<std::uint64_t> totals =
        options.folderSizes ? detail::FolderTotals(engine) : std::vector<std::uint64_t>();
    const bool sizes = options.tree.size || options.folderSizes;
    out += '{';
    AppendText(out, "root", rootLabel);
    out += ", \"entries\": [";

    // `open` directories' "contents" arrays are open; `empty` tells that the
    // innermost open array has no entry yet.
    int open = 0;
    bool empty = true;
    const auto close = [&] {
        if (!empty) {
            out += '\n';
            out.append(static_cast<std::size_t>(2 * open), ' ');
        }
        out += "]}";
        --open;
        empty = false;
    };
    for (int i = 0; i < listing.GetSize(); ++i) {
        const morvash::ListingLine line = morvash::ReadListingLine(listing[i].view());
        if (!line.directory && !options.tree.fileName) {
            continue;
        }
        while (open > line.depth) {
            close();
        }
        out += empty ? "\n" : ",\n";
        out.append(static_cast<std::size_t>(2 * (line.depth + 1)), ' ');
        out += '{';
        AppendText(out, "name", engine.RealName(i));
        const morvash::EntryType type = engine.GetEntryType(i);
        out += ", \"type\": \"";
        out += TypeName(type);
        out += '"';
        if (line.directory) {
            if (options.folderSizes) {
                out += ", \"size\": ";
                detail::AppendDecimal(out, totals[static_cast<std::size_t>(i)]);
            }
            out += ", \"contents\": [";
            ++open;
            empty = true;
            continue;
        }
        const detail::FileFacts facts = detail::FactsOf(engine, i);
        if (!facts.found) {
            out += ", \"missing\": true";
        } else {
            if (sizes) {
                out += ", \"size\": ";
                detail::AppendDecimal(out, facts.size);
            }
            if (options.tree.timestamp) {
                AppendTime(out, facts, options.time.local);
            }
        }
        if (const morvash::LinkTarget* target = engine.GetLinkTarget(i)) {
            out += ", ";
            AppendText(out, "target", target->text);
            if (target->dangling) {
                out += ", \"dangling\": true";
            }
        }
        out += '}';
        empty = false;
    }
    while (open > 0) {
        close();
    }
    out += empty ? "]" : "\n]";
    out += ", \"directories\": ";
    detail::AppendDecimal(out, engine.gFc_GetNumOfDir());
    out += ", \"files\": ";
    detail::AppendDecimal(out, engine.gFc_GetNumOfFile());
    out += "}\n";
}

}  // namespace tandrel
