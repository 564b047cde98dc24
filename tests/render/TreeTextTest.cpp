#include "tandrel/render/TreeText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "morvash/ListingLine.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/Markdown.h"

namespace {

using platform::CodePage;
using tandrel::BuildResult;

// Renders `lines` below the root label "work", into the label itself, and
// returns the result and the text with its CR LF line ends made LF. The
// lookup, which must be asked for file lines only and in order, reports a
// file whose name begins with "gone" as missing; any other is titled by its
// name up to the last ".", is as many bytes long as the number its name
// begins with, and was last written on 987/01/02 03:04.
std::pair<BuildResult, std::string> Render(const std::vector<std::string>& lines,
                                           const tandrel::TreeOptions& options) {
    CStringArray listing;
    unsigned int counts[2] = {};
    for (const std::string& line : lines) {
        listing.Add(CString(line));
        ++counts[morvash::IsDirectoryLine(line) ? 0 : 1];
    }
    int asked = -1;
    const auto lookup = [&](int index) {
        EXPECT_TRUE(index > std::exchange(asked, index) && !morvash::IsDirectoryLine(lines[index]));
        const std::string name(morvash::ReadListingLine(lines.at(index)).name);
        const std::uint64_t size = std::strtoull(name.c_str(), nullptr, 10);
        CFileInfo info;
        if (!name.starts_with("gone")) {
            info.m_FullPath = CString("/work/" + name);
            info.m_FileTitle = CString(name.substr(0, name.rfind('.')));
            info.m_Length = static_cast<unsigned int>(size);
            info.m_LengthHigh = static_cast<unsigned int>(size >> 32);
            info.m_LastWrite = {987, 1, 0, 2, 3, 4, 0, 0};
        }
        return info;
    };
    CString text("work");
    const BuildResult result =
        tandrel::BuildTreeText(text, listing, counts[0], counts[1], lookup, options, text);
    std::string lf(text.view());
    EXPECT_EQ(std::ranges::count(lf, '\r'), std::ranges::count(lf, '\n'));
    std::erase(lf, '\r');
    return {result, lf};
}

constexpr tandrel::TreeOptions kDirsOnly{.fileName = false, .extension = false};

TEST(BuildTreeText, Scenarios) {
    const std::tuple<std::vector<std::string>, tandrel::TreeOptions, std::string_view> kCases[] = {
        {{"*a", "\tb", "\t*c", "\t\td", "e"},
         {},
         "work\n├ *a\n│ ├ b\n│ └ *c\n│ 　 └ d\n└ e\n\nﾃﾞｨﾚｸﾄﾘ数:2, ﾌｧｲﾙ数:3"},
        {{"*docs", "\tguide.txt", "*src", "\t*lib", "\tmain.c", "\t\tx.c", "a.txt"},
         kDirsOnly,
         "work\n├ *docs\n└ *src\n　 └ *lib\n\nﾃﾞｨﾚｸﾄﾘ数:3, ﾌｧｲﾙ数:4"},
        {{"*a", "\t\t*b", "\t\t\tc", "*d"},
         {},
         "work\n├ *a\n│ 　 └ *b\n│ 　 　 └ c\n└ *d\n\nﾃﾞｨﾚｸﾄﾘ数:3, ﾌｧｲﾙ数:1"},
        {{"gone.txt", "*  dir", "\t  lead.txt", "\t\vodd"},
         {},
         "work\n├ gone.txt･･･ﾌｧｲﾙが無い！\n└ *  dir\n　 ├   lead.txt\n　 └ \vodd\n\nﾃﾞｨﾚｸﾄﾘ数:1, "
         "ﾌｧｲﾙ数:3"},
        {{"1000.c", "1001.c", "1000000.c", "1000001.c", "18446744073709551615", "gone.c",
          ".profile"},
         {.extension = false, .size = true, .timestamp = true},
         "work\n"
         "├ 1000\t1000 B\t987/01/02 03:04\n"
         "├ 1001\t1 KB\t987/01/02 03:04\n"
         "├ 1000000\t1000 KB\t987/01/02 03:04\n"
         "├ 1000001\t1 MB\t987/01/02 03:04\n"
         "├ 18446744073709551615\t18446744073709 MB\t987/01/02 03:04\n"
         "├ ･･･ﾌｧｲﾙが無い！\t0 B\t1601/01/01 00:00\n"
         "└ \t0 B\t987/01/02 03:04\n"
         "\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:7"},
    };
    for (const CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        platform::SetActiveCodePage(page);
        for (const auto& [lines, options, expected] : kCases) {
            EXPECT_EQ(Render(lines, options),
                      std::pair(BuildResult::Complete, platform::FromUtf8(expected)));
        }
    }
}

// Folders d0, d1, ... one inside the other, then the line `tail` below the deepest.
std::vector<std::string> Chain(int folders, const std::string& tail) {
    std::vector<std::string> lines;
    for (int depth = 0; depth <= folders; ++depth) {
        lines.push_back(std::string(depth, '\t') + (depth < folders ? "*d" : tail));
    }
    return lines;
}

TEST(BuildTreeText, ShownLinesMustLieLessThan32LevelsDeep) {
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_TRUE(Render(Chain(31, "f"), {}).second.ends_with("　 └ f\n\nﾃﾞｨﾚｸﾄﾘ数:31, ﾌｧｲﾙ数:1"));
    // A hidden file at depth 32 does not matter; a shown line there ends the
    // rendering with the first line whose scan meets it, keeping those before.
    const auto hidden = Render(Chain(32, "f"), kDirsOnly);
    EXPECT_EQ(hidden.first, BuildResult::Complete);
    EXPECT_TRUE(hidden.second.ends_with("　 └ *d\n\nﾃﾞｨﾚｸﾄﾘ数:32, ﾌｧｲﾙ数:1"));
    for (const auto& [tail, options, text] :
         {std::tuple{"f", tandrel::TreeOptions{}, "work\n├ first\n"},
          {"*d", kDirsOnly, "work\n"}}) {
        std::vector<std::string> lines = Chain(32, tail);
        lines.insert(lines.begin(), "first");
        EXPECT_EQ(Render(lines, options), std::pair(BuildResult::DepthError, std::string(text)));
    }
    EXPECT_EQ(tandrel::DepthErrorMessage(),
              "ディレクトリ階層が検索可能な深さよりも深くなりました。\n検索を中止します。");
}

// A fence is longer than any run of backticks in the text, and never shorter than three.
TEST(CodeFence, OutrunsEveryBacktickRun) {
    for (const auto& [text, fence] :
         {std::pair{"", "```"}, {"a``b", "```"}, {"a```b`", "````"}, {"x`\n`````", "``````"}}) {
        EXPECT_EQ(tandrel::CodeFence(text), fence) << text;
    }
}

}  // namespace
