#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "morvash/platform/CodePage.h"

namespace tandrel::cli::test {
namespace {

using platform::CodePage;

class OptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetActiveCodePage(CodePage::Utf8);
        ::unsetenv("TANDREL_DRAW");
        MakeSampleTree(temp_);
    }
    void TearDown() override { ::unsetenv("TANDREL_DRAW"); }
    std::string tree() const { return temp_.path("tree"); }
    morvash::test::TempTree temp_;
};

// Each case runs with --draw=ascii -n --sort=name first, so later options win.
TEST_F(OptionsTest, WhatIsListedAndInWhichOrder) {
    const std::pair<std::vector<std::string>, std::string> kCases[] = {
        {{"-L", "1"}, "*.hidden a10.txt a9.txt b.TXT *build *docs 漢字.txt | 3 4"},
        {{"-L", "2", "-I", "build", "--no-hidden"},
         "a10.txt a9.txt b.TXT *docs    guide.md 漢字.txt | 1 5"},
        {{"-I", "b*/", "-I", "*hidden", "-I", "a?.txt"},
         "a10.txt b.TXT *docs    guide.md 漢字.txt | 1 4"},
        {{"-1", "-I", "*/", "--sort=size"}, "a9.txt b.TXT a10.txt 漢字.txt | 0 4"},
        {{"-1", "-I", "*/", "--sort=version", "-r"}, "漢字.txt b.TXT a10.txt a9.txt | 0 4"},
        {{"-1", "-I", "*/", "--sort=mtime"}, "a9.txt b.TXT 漢字.txt a10.txt | 0 4"},
        {{"-L", "1", "--no-hidden", "--dirs-first"},
         "*build *docs a10.txt a9.txt b.TXT 漢字.txt | 2 4"},
        {{"-1", "--no-hidden", "-e", "TXT"}, "b.TXT *build *docs | 2 1"},
        {{"-1", "--no-hidden", "-e", "TXT", "-i"},
         "a10.txt a9.txt b.TXT *build *docs 漢字.txt | 2 4"},
    };
    for (const auto& [options, expected] : kCases) {
        std::vector<std::string> args = {"--draw=ascii", "-n", "--sort=name"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(tree());
        const Result result = Command(args);
        // One word per entry, its indent less the first level's, then the counts.
        std::string words;
        std::istringstream lines(result.out);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line) && !line.empty()) {
            words += line.substr(3) + " ";
        }
        std::getline(lines, line);
        words += "| " + line.substr(line.find(':') + 1, line.find(',') - line.find(':') - 1) + " " +
                 line.substr(line.rfind(':') + 1);
        EXPECT_EQ(words, expected) << options[0] << options[1];
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(OptionsTest, ColumnsLineUpByDisplayWidth) {
    const Result result = Command({"--draw=narrow", "-s", "-t", "--sort=name", "-I", "b*/", "-I",
                                   "*hidden", "-I", "a?.txt", tree()});
    EXPECT_EQ(result.out, R"(tree
├ a10.txt     10 B  2004/05/06 07:08
├ b.TXT       3 KB  2004/05/06 07:08
├ *docs
│ └ guide.md   0 B  2004/05/06 07:08
└ 漢字.txt     5 B  2004/05/06 07:08

ﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:4
)");
}

// The pieces come from --draw, then TANDREL_DRAW, then the output: narrow on a
// UTF-8 terminal, the dialog's everywhere else; Markdown is narrow by default.
TEST_F(OptionsTest, DrawingStyleChoice) {
    const char* const kDialog = "\n└ *docs\n　 └ guide.md\n";
    const char* const kNarrow = "\n└ *docs\n  └ guide.md\n";
    const char* const kAscii = "\n`- *docs\n   `- guide.md\n";
    const char* const kMarkdown =
        "```text\ntree\n└ *docs\n  └ guide.md\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n```\n";
    struct Case {
        Console console;
        const char* environment;
        std::vector<std::string> args;
        const char* pieces;
        CodePage page = CodePage::Utf8;
    };
    const Case kCases[] = {
        {{}, nullptr, {}, kDialog},
        {{.outIsTerminal = true}, nullptr, {}, kNarrow},
        {{.outIsTerminal = true}, nullptr, {}, kDialog, CodePage::Cp932},
        {{.errIsTerminal = true}, "ascii", {}, kAscii},
        {{}, "ascii", {"--draw=dialog"}, kDialog},
        {{}, "narrow", {"--format=markdown", "--draw=ascii"}, kAscii},
        {{}, "ascii", {"--format=markdown"}, kMarkdown},
    };
    for (const Case& c : kCases) {
        platform::SetActiveCodePage(c.page);
        if (c.environment != nullptr) {
            ::setenv("TANDREL_DRAW", c.environment, 1);
        }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-I", "[ab.]*", "-I", "漢*", tree()});
        const Result result = Command(args, c.console);
        EXPECT_NE(result.out.find(platform::FromUtf8(c.pieces)), std::string::npos) << result.out;
        EXPECT_EQ(result.err, "");
        ::unsetenv("TANDREL_DRAW");
    }
    ::setenv("TANDREL_DRAW", "wide", 1);
    EXPECT_EQ(
        Command({"-1", tree()}, {.outIsTerminal = true}).err,
        "tandrel-cli: warning: TANDREL_DRAW='wide' is not dialog, narrow or ascii; ignored\n");
}

TEST_F(OptionsTest, ExtensionsThatCanMatchNothingWarn) {
    const std::tuple<const char*, const char*, const char*> kCases[] = {
        {".txt,md", ".txt,md", "txt md"},
        {"*.c\u3000h txt", "*.c\u3000h", "c h txt"},
        {"txt md", nullptr, nullptr},
    };
    for (const auto& [extensions, token, meant] : kCases) {
        const Result result = Command({"-1", "-e", extensions, tree()});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, token == nullptr
                                  ? ""
                                  : std::string("tandrel-cli: warning: extension '") + token +
                                        "' can match nothing; try -e '" + meant + "'\n");
    }
}

TEST_F(OptionsTest, ExitStatuses) {
    temp_.makeChain("", "d", 34);
    const std::pair<std::vector<std::string>, int> kCases[] = {
        {{"-L", "0"}, 2},
        {{"-L", "33"}, 2},
        {{"--draw=wide"}, 2},
        {{"--sort=random"}, 2},
        {{"--format=xml"}, 2},
        {{"-o", temp_.path("none/out.txt"), tree()}, 3},
        {{"--format=json", temp_.path("d")}, 1},
        {{"-L", "32", temp_.path("d")}, 0},
    };
    for (const auto& [args, status] : kCases) {
        const Result result = Command(args);
        EXPECT_EQ(result.status, status) << args[0] << " " << args[1];
        EXPECT_EQ(result.out.empty(), status != 0) << args[0] << " " << args[1];
    }
}

// --threads and TANDREL_THREADS: every count gives the same text; a count out
// of range is a usage error on the command line and ignored, with a warning,
// in the environment.
TEST_F(OptionsTest, EveryThreadCountGivesTheSameText) {
    const Result one = Command({"-s", "-t", "--threads=1", tree()});
    EXPECT_EQ(Command({"-s", "-t", "--threads=3", tree()}).out, one.out);
    for (const char* count : {"1", "2", "256"}) {
        ::setenv("TANDREL_THREADS", count, 1);
        const Result result = Command({"-s", "-t", tree()});
        EXPECT_EQ(result.out + result.err, one.out) << count;
    }
    ::setenv("TANDREL_THREADS", "0", 1);
    const Result zero = Command({"-s", "-t", tree()});
    ::unsetenv("TANDREL_THREADS");
    EXPECT_EQ(zero.out, one.out);
    EXPECT_EQ(zero.err,
              "tandrel-cli: warning: TANDREL_THREADS='0' is not a number from 1 to 256; ignored\n");
    EXPECT_EQ(Command({"--threads=257", tree()}).status, 2);
}

}  // namespace
}  // namespace tandrel::cli::test
