#include "tandrel/render/TreeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/platform/CodePage.h"

namespace {

using platform::CodePage;
using tandrel::BuildResult;

// Expected texts are written with LF line ends; the renderer writes CR LF.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return out;
}

// The code page 932 bytes of the renderer's texts, written out by hand.
std::string ToCp932(std::string text) {
    const std::pair<std::string_view, std::string_view> kBytes[] = {
        {"├ ", "\x84\xA5 "},
        {"└ ", "\x84\xA4 "},
        {"│ ", "\x84\xA0 "},
        {"　 ", "\x81\x40 "},
        {"･･･ﾌｧｲﾙが無い！", "\xA5\xA5\xA5\xCC\xA7\xB2\xD9\x82\xAA\x96\xB3\x82\xA2\x81\x49"},
        {"ﾃﾞｨﾚｸﾄﾘ数:", "\xC3\xDE\xA8\xDA\xB8\xC4\xD8\x90\x94:"},
        {", ﾌｧｲﾙ数:", ", \xCC\xA7\xB2\xD9\x90\x94:"},
    };
    for (const auto& [utf8, cp932] : kBytes) {
        for (auto at = text.find(utf8); at != std::string::npos; at = text.find(utf8, at)) {
            text.replace(at, utf8.size(), cp932);
        }
    }
    return text;
}

int Depth(std::string_view line) {
    return static_cast<int>(std::min(line.find_first_not_of('\t'), line.size()));
}

bool IsDirectory(std::string_view line) {
    return line.substr(static_cast<std::size_t>(Depth(line))).starts_with('*');
}

struct Detail {
    std::uint64_t size = 0;
    SYSTEMTIME time{2000, 1, 0, 2, 3, 4, 0, 0};
    bool missing = false;
};

struct Flags {
    BOOL fileName = TRUE;
    BOOL extension = TRUE;
    BOOL size = FALSE;
    BOOL timestamp = FALSE;
    BOOL noTreeLines = FALSE;
    bool narrow = false;
};

struct Rendered {
    BuildResult result;
    std::string text;
    std::vector<int> calls;
};

// The details of a file line as the engine reports them: found, titled by
// its name up to the last ".", unless marked missing.
CFileInfo Details(std::string_view line, const Detail& detail) {
    CFileInfo info;
    if (!detail.missing) {
        const std::string name(line.substr(static_cast<std::size_t>(Depth(line))));
        info.m_FullPath = CString(("/work/" + name).c_str());
        info.m_FileTitle = CString(name.substr(0, name.rfind('.')).c_str());
        info.m_Length = static_cast<unsigned int>(detail.size);
        info.m_LengthHigh = static_cast<unsigned int>(detail.size >> 32);
        info.m_LastWrite = detail.time;
    }
    return info;
}

Rendered Render(const std::vector<std::string>& lines, const Flags& flags = {},
                const std::map<int, Detail>& details = {}, const char* root = "work") {
    CStringArray listing;
    unsigned int counts[2] = {0, 0};
    for (const std::string& line : lines) {
        listing.Add(CString(line.c_str()));
        ++counts[IsDirectory(line) ? 0 : 1];
    }
    Rendered rendered;
    const auto lookup = [&](int index) {
        rendered.calls.push_back(index);
        const auto found = details.find(index);
        return Details(lines[static_cast<std::size_t>(index)],
                       found != details.end() ? found->second : Detail{});
    };
    CString output("left from an earlier press");
    rendered.result = tandrel::BuildTreeText(
        root, listing, counts[0], counts[1], lookup,
        {.fileName = flags.fileName != 0,
         .extension = flags.extension != 0,
         .size = flags.size != 0,
         .timestamp = flags.timestamp != 0,
         .noTreeLines = flags.noTreeLines != 0,
         .draw = flags.narrow ? tandrel::DrawStyle::Narrow : tandrel::DrawStyle::Dialog},
        output);
    rendered.text = output.view();
    return rendered;
}

// The folder docs (a.txt, b.txt), the empty folder empty, readme.txt, and src
// holding lib (x.c) and main.c.
const std::vector<std::string> kExample = {"*docs", "\ta.txt", "\tb.txt", "*empty",  "readme.txt",
                                           "*src",  "\t*lib",  "\t\tx.c", "\tmain.c"};
const std::map<int, Detail> kExampleDetails = {
    {1, {12, {2004, 5, 0, 6, 7, 8, 0, 0}}},       {2, {2048, {2005, 1, 0, 1, 0, 30, 0, 0}}},
    {4, {1000, {2003, 12, 0, 31, 23, 59, 0, 0}}}, {7, {1001, {2010, 10, 0, 10, 10, 10, 0, 0}}},
    {8, {1000001, {2020, 2, 0, 29, 9, 5, 0, 0}}},
};

struct Variant {
    Flags flags;
    std::string_view expected;
    std::vector<int> calls;
};

const Variant kExampleVariants[] = {
    {{},
     R"(work
├ *docs
│ ├ a.txt
│ └ b.txt
├ *empty
├ readme.txt
└ *src
　 ├ *lib
　 │ └ x.c
　 └ main.c

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)",
     {1, 2, 4, 7, 8}},
    {{.noTreeLines = TRUE},
     R"(work
　 *docs
　 　 a.txt
　 　 b.txt
　 *empty
　 readme.txt
　 *src
　 　 *lib
　 　 　 x.c
　 　 main.c

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)",
     {1, 2, 4, 7, 8}},
    {{.fileName = FALSE, .extension = FALSE},
     R"(work
├ *docs
├ *empty
└ *src
　 └ *lib

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)",
     {}},
    {{.extension = FALSE, .size = TRUE, .timestamp = TRUE},
     "work\n├ *docs\n"
     "│ ├ a\t12 B\t2004/05/06 07:08\n"
     "│ └ b\t2 KB\t2005/01/01 00:30\n"
     "├ *empty\n"
     "├ readme\t1000 B\t2003/12/31 23:59\n"
     "└ *src\n"
     "　 ├ *lib\n"
     "　 │ └ x\t1 KB\t2010/10/10 10:10\n"
     "　 └ main\t1 MB\t2020/02/29 09:05\n"
     "\nﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5",
     {1, 2, 4, 7, 8}},
};

TEST(BuildTreeText, WorkedExampleInUtf8AndCodePage932) {
    for (const CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        platform::SetActiveCodePage(page);
        for (const Variant& variant : kExampleVariants) {
            const Rendered rendered = Render(kExample, variant.flags, kExampleDetails);
            const std::string expected = Crlf(variant.expected);
            EXPECT_EQ(rendered.result, BuildResult::Complete);
            EXPECT_EQ(rendered.text, page == CodePage::Utf8 ? expected : ToCp932(expected));
            EXPECT_EQ(rendered.calls, variant.calls);
        }
    }
}

struct Case {
    const char* scenario;
    std::vector<std::string> lines;
    Flags flags;
    std::map<int, Detail> details;
    std::string_view expected;
    std::vector<int> calls;
};

const Case kCases[] = {
    {"empty listing", {}, {}, {}, "work\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0", {}},
    {"one entry gets the corner", {"a"}, {}, {}, "work\n└ a\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1", {0}},
    {"flat listing",
     {"a.txt", "*b", "c", "*d"},
     {},
     {},
     "work\n├ a.txt\n├ *b\n├ c\n└ *d\n\nﾃﾞｨﾚｸﾄﾘ数:2, ﾌｧｲﾙ数:2",
     {0, 2}},
    {"hidden lines change no connector",
     {"*docs", "\tguide.txt", "*src", "\t*lib", "\tmain.c", "\t\tx.c", "a.txt"},
     {.fileName = FALSE, .extension = FALSE},
     {},
     "work\n├ *docs\n└ *src\n　 └ *lib\n\nﾃﾞｨﾚｸﾄﾘ数:3, ﾌｧｲﾙ数:4",
     {}},
    {"narrow blank",
     {"*a", "\tb"},
     {.narrow = true},
     {},
     "work\n└ *a\n  └ b\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1",
     {1}},
    {"missing file with extension",
     {"a.txt", "b.txt"},
     {},
     {{0, {.missing = true}}},
     "work\n├ a.txt･･･ﾌｧｲﾙが無い！\n└ b.txt\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2",
     {0, 1}},
    {"missing file without extension",
     {"a.txt", "b.txt"},
     {.extension = FALSE},
     {{1, {.missing = true}}},
     "work\n├ a\n└ ･･･ﾌｧｲﾙが無い！\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2",
     {0, 1}},
    {"missing file keeps its columns",
     {"gone.txt"},
     {.size = TRUE, .timestamp = TRUE},
     {{0, {.missing = true}}},
     "work\n└ gone.txt･･･ﾌｧｲﾙが無い！\t0 B\t1601/01/01 00:00\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1",
     {0}},
    {"empty title",
     {".profile", "z"},
     {.extension = FALSE, .size = TRUE},
     {{0, {.size = 7}}},
     "work\n├ \t7 B\n└ z\t0 B\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2",
     {0, 1}},
    {"names keep their leading blanks",
     {"*  dir", "\t  lead.txt", "\t\vodd"},
     {},
     {},
     "work\n└ *  dir\n　 ├   lead.txt\n　 └ \vodd\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:2",
     {1, 2}},
    {"title keeps its leading blanks",
     {"  lead.txt"},
     {.extension = FALSE},
     {},
     "work\n└   lead\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1",
     {0}},
    {"directory lines get no columns",
     {"*src"},
     {.size = TRUE, .timestamp = TRUE},
     {},
     "work\n└ *src\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0",
     {}},
    {"time pads all but the year",
     {"a", "b"},
     {.timestamp = TRUE},
     {{1, {.time = {987, 12, 0, 31, 23, 59, 0, 0}}}},
     "work\n├ a\t2000/01/02 03:04\n└ b\t987/12/31 23:59\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2",
     {0, 1}},
};

TEST(BuildTreeText, Scenarios) {
    platform::SetActiveCodePage(CodePage::Utf8);
    for (const Case& c : kCases) {
        const Rendered rendered = Render(c.lines, c.flags, c.details);
        EXPECT_EQ(rendered.result, BuildResult::Complete) << c.scenario;
        EXPECT_EQ(rendered.text, Crlf(c.expected)) << c.scenario;
        EXPECT_EQ(rendered.calls, c.calls) << c.scenario;
    }
    EXPECT_EQ(Render({}, {}, {}, "").text, "\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0");
}

TEST(BuildTreeText, SizeBoundariesUseAllSixtyFourBits) {
    platform::SetActiveCodePage(CodePage::Utf8);
    // The low 32 bits of 5,000,000,000 alone would print 705 MB.
    const std::pair<std::uint64_t, const char*> kSizes[] = {
        {0, "0 B"},
        {1000, "1000 B"},
        {1001, "1 KB"},
        {1999, "1 KB"},
        {1000000, "1000 KB"},
        {1000001, "1 MB"},
        {4294967295, "4294 MB"},
        {5000000000, "5000 MB"},
        {UINT64_MAX, "18446744073709 MB"},
    };
    for (const auto& [size, column] : kSizes) {
        EXPECT_EQ(Render({"f"}, {.size = TRUE}, {{0, {.size = size}}}).text,
                  Crlf("work\n└ f\t" + std::string(column) + "\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
    }
}

// Folders d0, d1, ... one inside the other, then `tail` lines.
std::vector<std::string> Chain(int folders, std::vector<std::string> tail = {}) {
    std::vector<std::string> lines;
    for (int depth = 0; depth < folders; ++depth) {
        lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') + "*d" +
                        std::to_string(depth));
    }
    lines.insert(lines.end(), tail.begin(), tail.end());
    return lines;
}

std::string ChainText(int folders) {
    std::string text = "work\n";
    for (int depth = 0; depth < folders; ++depth) {
        for (int k = 0; k < depth; ++k) {
            text += "　 ";
        }
        text += "└ *d" + std::to_string(depth) + "\n";
    }
    return text;
}

TEST(BuildTreeText, DepthLimit) {
    platform::SetActiveCodePage(CodePage::Utf8);
    const std::string deep31(31, '\t');
    const std::string deep32(32, '\t');
    const Rendered drawn = Render(Chain(31, {deep31 + "f"}));
    EXPECT_EQ(drawn.text, Crlf(ChainText(32).substr(0, ChainText(32).rfind("*d31")) +
                               "f\n\nﾃﾞｨﾚｸﾄﾘ数:31, ﾌｧｲﾙ数:1"));

    // Hidden file lines at depth 32 do not matter; shown ones end the rendering.
    const Flags dirsOnly{.fileName = FALSE, .extension = FALSE};
    const Rendered hidden = Render(Chain(32, {deep32 + "f"}), dirsOnly);
    EXPECT_EQ(hidden.result, BuildResult::Complete);
    EXPECT_EQ(hidden.text, Crlf(ChainText(32) + "\nﾃﾞｨﾚｸﾄﾘ数:32, ﾌｧｲﾙ数:1"));
    EXPECT_EQ(Render(Chain(32, {deep32 + "f"})).result, BuildResult::DepthError);

    // The error comes with the first line whose scan meets the deep line: the
    // text keeps the lines drawn before it.
    std::vector<std::string> lines = {"first"};
    for (const std::string& line : Chain(33)) {
        lines.push_back(line);
    }
    const Rendered refused = Render(lines, dirsOnly);
    EXPECT_EQ(refused.result, BuildResult::DepthError);
    EXPECT_EQ(refused.text, "work\r\n");
    const Rendered partial = Render(lines);
    EXPECT_EQ(partial.result, BuildResult::DepthError);
    EXPECT_EQ(partial.text, "work\r\n├ first\r\n");
    EXPECT_EQ(partial.calls, std::vector<int>{0});
}

TEST(BuildTreeText, OutputMayBeTheRootLabelItself) {
    platform::SetActiveCodePage(CodePage::Utf8);
    CStringArray listing;
    listing.Add(CString("*a"));
    CString text("work");
    tandrel::BuildTreeText(text, listing, 4000000000u, 7, nullptr, {}, text);
    EXPECT_EQ(text, "work\r\n└ *a\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:4000000000, ﾌｧｲﾙ数:7");
}

TEST(BuildTreeText, DepthErrorMessageInTheActiveCodePage) {
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(tandrel::DepthErrorMessage(),
              "ディレクトリ階層が検索可能な深さよりも深くなりました。\n検索を中止します。");
    platform::SetActiveCodePage(CodePage::Cp932);
    EXPECT_EQ(tandrel::DepthErrorMessage(),
              "\x83\x66\x83\x42\x83\x8c\x83\x4e\x83\x67\x83\x8a\x8a\x4b\x91\x77\x82\xaa\x8c\x9f"
              "\x8d\xf5\x89\xc2\x94\x5c\x82\xc8\x90\x5b\x82\xb3\x82\xe6\x82\xe8\x82\xe0\x90\x5b"
              "\x82\xad\x82\xc8\x82\xe8\x82\xdc\x82\xb5\x82\xbd\x81\x42\x0a\x8c\x9f\x8d\xf5\x82"
              "\xf0\x92\x86\x8e\x7e\x82\xb5\x82\xdc\x82\xb7\x81\x42");
}

// The rendering written as plainly as possible, with a forward scan from
// every shown line, to compare with on many random listings.
Rendered Reference(const std::vector<std::string>& lines, const Flags& flags,
                   const std::map<int, Detail>& details) {
    const std::string blank = flags.narrow ? "  " : "　 ";
    const auto shown = [&](std::size_t i) { return flags.fileName || IsDirectory(lines[i]); };
    Rendered out{BuildResult::DepthError, "work\r\n", {}};
    bool flag[32] = {};
    unsigned int counts[2] = {0, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ++counts[IsDirectory(lines[i]) ? 0 : 1];
        const int d = Depth(lines[i]);
        if (!shown(i)) {
            continue;
        }
        if (d >= 32) {
            return out;
        }
        flag[d] = false;
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            if (shown(j) && Depth(lines[j]) >= 32) {
                return out;
            }
            if (shown(j) && Depth(lines[j]) <= d) {
                flag[d] = Depth(lines[j]) == d;
                break;
            }
        }
        for (int k = 0; k < d; ++k) {
            out.text += flags.noTreeLines || !flag[k] ? blank : "│ ";
        }
        out.text += flags.noTreeLines ? blank : flag[d] ? "├ " : "└ ";
        std::string text = lines[i].substr(static_cast<std::size_t>(d));
        if (!IsDirectory(lines[i])) {
            out.calls.push_back(static_cast<int>(i));
            const auto found = details.find(static_cast<int>(i));
            const CFileInfo info = Details(lines[i], found->second);
            text = flags.extension ? text : std::string(info.m_FileTitle);
            text +=
                info.m_FullPath.IsEmpty() && info.m_FileTitle.IsEmpty() ? "･･･ﾌｧｲﾙが無い！" : "";
            char column[64];
            const unsigned long long v = found->second.missing ? 0 : found->second.size;
            const int unit = v <= 1000 ? 0 : v <= 1000000 ? 1 : 2;
            std::snprintf(column, sizeof column, "\t%llu %s",
                          v / (unit == 0   ? 1
                               : unit == 1 ? 1000
                                           : 1000000),
                          unit == 0   ? "B"
                          : unit == 1 ? "KB"
                                      : "MB");
            text += flags.size ? column : "";
            const SYSTEMTIME& t = info.m_LastWrite;
            std::snprintf(column, sizeof column, "\t%d/%02d/%02d %02d:%02d", t.wYear, t.wMonth,
                          t.wDay, t.wHour, t.wMinute);
            text += flags.timestamp ? column : "";
        }
        out.text += text + "\r\n";
    }
    out.text +=
        "\r\nﾃﾞｨﾚｸﾄﾘ数:" + std::to_string(counts[0]) + ", ﾌｧｲﾙ数:" + std::to_string(counts[1]);
    out.result = BuildResult::Complete;
    return out;
}

TEST(BuildTreeText, MatchesAPlainForwardScanOnRandomListings) {
    platform::SetActiveCodePage(CodePage::Utf8);
    std::mt19937 random(20240607);
    const auto percent = [&random] { return std::uniform_int_distribution<int>(0, 99)(random); };
    for (int round = 0; round < 3000; ++round) {
        // Mostly as a walk makes them, with now and then a jump in depth, a
        // line 32 or more deep, a missing file or a name with blanks.
        std::vector<std::string> lines;
        std::map<int, Detail> details;
        int depth = 0;
        bool directory = false;
        for (int i = 0, count = percent() % 40; i < count; ++i) {
            const int roll = percent();
            depth = directory && roll < 45 ? depth + 1
                    : roll < 75            ? percent() % (depth + 1)
                    : roll < 78            ? percent() % 35
                                           : depth;
            directory = percent() < 45;
            lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') +
                            (directory ? "*" : "") + (percent() < 10 ? "  n" : "n") +
                            std::to_string(i) + (percent() < 50 ? ".ext" : ""));
            details[i] = {.size = std::uint64_t(percent()) << (percent() % 40),
                          .time = {static_cast<WORD>(1990 + percent()), 7, 0, 9, 1, 2, 0, 0},
                          .missing = percent() < 10};
        }
        Flags flags{.fileName = percent() < 70,
                    .extension = percent() < 50,
                    .size = percent() < 50,
                    .timestamp = percent() < 50,
                    .noTreeLines = percent() < 20,
                    .narrow = percent() < 20};
        flags.extension = flags.extension && flags.fileName;
        const Rendered expected = Reference(lines, flags, details);
        const Rendered actual = Render(lines, flags, details);
        ASSERT_EQ(actual.result, expected.result) << "round " << round;
        ASSERT_EQ(actual.text, expected.text) << "round " << round;
        ASSERT_EQ(actual.calls, expected.calls) << "round " << round;
    }
}

}  // namespace
