// The rendering of a walk: the dialog's text, byte for byte, from the walk's
// own details or from lookups; what tandrel-cli adds to it; its counter and
// its stop.

#include "tandrel/render/RenderWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "TempTree.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/Colors.h"

namespace {

using tandrel::BuildResult;
using tandrel::DrawStyle;

class RenderWalkTest : public ::testing::Test {
  protected:
    RenderWalkTest() {
        platform::SetActiveCodePage(platform::CodePage::Utf8);
        for (const char* folder : {"w", "w/sub", "w/sub/deep", "w/empty"}) {
            temp_.makeFolder(folder);
        }
        const std::tuple<const char*, off_t, std::int64_t> kFiles[] = {
            {"w/a.txt", 1536, 1083794880},        {"w/.profile", 0, 0},
            {"w/  blank.c", 1000001, 1700000000}, {"w/t\tab.c", 12, -20'000'000'000},
            {"w/sub/x.tar.gz", 3000, 86400},      {"w/sub/deep/y", 2048, 1},
        };
        for (const auto& [name, size, time] : kFiles) {
            temp_.touch(name, size);
            temp_.setTime(name, time);
        }
        temp_.link("../a.txt", "w/sub/ln");
        temp_.link("nowhere", "w/gone");
    }

    // The walk of w/ in name order, with its details or without.
    std::unique_ptr<CSerchFiles> Walk(bool details) const {
        morvash::WalkOptions walk;
        walk.sort = morvash::SortKey::Name;
        if (details) {
            tandrel::RenderOptions options;
            options.linkTargets = true;
            tandrel::AskWalkFor(options, walk);
        }
        return std::make_unique<CSerchFiles>(temp_.path("w").c_str(), "", walk);
    }

    morvash::test::TempTree temp_;
};

TEST_F(RenderWalkTest, DialogTextForEveryChoice) {
    const auto detailed = Walk(true);
    const auto plain = Walk(false);
    const CString label("w");
    for (int flags = 0; flags < 32 * 3 * 2; ++flags) {
        tandrel::RenderOptions options;
        options.tree = {.fileName = (flags & 1) != 0,
                        .extension = (flags & 2) != 0,
                        .size = (flags & 4) != 0,
                        .timestamp = (flags & 8) != 0,
                        .noTreeLines = (flags & 16) != 0,
                        .draw = static_cast<DrawStyle>(flags / 32 % 3),
                        .alignColumns = flags >= 96};
        CString expected;
        ASSERT_EQ(
            tandrel::BuildTreeText(
                label, *plain->gFc_GetListFiles(), plain->gFc_GetNumOfDir(),
                plain->gFc_GetNumOfFile(), [&](int index) { return plain->gFc_GetFileInfo(index); },
                options.tree, expected),
            BuildResult::Complete);
        for (CSerchFiles* engine : {detailed.get(), plain.get()}) {
            CString text;
            EXPECT_EQ(tandrel::RenderWalk(*engine, label, options, text), BuildResult::Complete);
            EXPECT_EQ(text.view(), expected.view()) << flags;
        }
    }
}

// Link targets, folder totals in readable units, colours; the counter counts
// the file lines and a stop ends the rendering with no text.
TEST_F(RenderWalkTest, AdditionsCounterAndStop) {
    const auto engine = Walk(true);
    const tandrel::NameColors colors("di=1:ln=36:or=31:*.gz=33");
    tandrel::RenderOptions options;
    options.tree = {.draw = DrawStyle::Ascii, .alignColumns = true};
    options.sizeUnits = tandrel::SizeUnits::Binary;
    options.folderSizes = true;
    options.linkTargets = true;
    options.colors = &colors;
    std::atomic<std::uint64_t> files{0};
    CString text;
    tandrel::RenderWalk(*engine, CString("w"), options, text, {.files = &files});
    EXPECT_EQ(text.view(),
              "w\r\n"
              "|-   blank.c                   977K\r\n"
              "|- .profile                       0\r\n"
              "|- a.txt                       1.5K\r\n"
              "|- \x1b[1m*empty\x1b[0m                         0\r\n"
              "|- \x1b[31mgone\x1b[0m -> nowhere (dangling)     7\r\n"
              "|- \x1b[1m*sub\x1b[0m                        4.9K\r\n"
              "|  |- \x1b[1m*deep\x1b[0m                    2.0K\r\n"
              "|  |  `- y                     2.0K\r\n"
              "|  |- \x1b[36mln\x1b[0m -> ../a.txt              8\r\n"
              "|  `- \x1b[33mx.tar.gz\x1b[0m                 2.9K\r\n"
              "`- t?ab.c                        12\r\n"
              "\r\nﾃﾞｨﾚｸﾄﾘ数:3, ﾌｧｲﾙ数:8");
    EXPECT_EQ(files, 8u);

    morvash::WalkControl stop;
    stop.RequestStop();
    text = "before";
    EXPECT_EQ(tandrel::RenderWalk(*engine, CString("w"), options, text, {.stop = &stop}),
              BuildResult::Stopped);
    EXPECT_EQ(text.view(), "");
}

}  // namespace
