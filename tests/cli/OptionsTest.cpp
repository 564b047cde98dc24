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
        ::unsetenv("NO_COLOR");
        ::setenv("LS_COLORS", "", 1);
        MakeSampleTree(temp_);
    }
    void TearDown() override { ::unsetenv("TANDREL_DRAW"); }
    std::string tree() const { return temp_.path("tree"); }
    morvash::test::TempTree temp_;
};

// Each case runs with --draw=ascii -n first, so later options win; the order
// is by name unless a case says otherwise.
TEST_F(OptionsTest, WhatIsListedAndInWhichOrder) {
    temp_.makeFolder("tree/docs/img");
    const std::pair<std::vector<std::string>, std::string> kCases[] = {
        {{"-L", "1"}, "*.hidden a10.txt a9.txt b.TXT *build *docs 漢字.txt | 3 4"},
        {{"-L", "2", "-I", "build", "--no-hidden"},
         "a10.txt a9.txt b.TXT *docs    guide.md    *img 漢字.txt | 2 5"},
        {{"-I", "b*/|*hidden", "-I", "a?.txt|img"},
         "a10.txt b.TXT *docs    guide.md 漢字.txt | 1 4"},
        {{"-1", "-I", "*/", "--sort=size"}, "a9.txt b.TXT a10.txt 漢字.txt | 0 4"},
        {{"-1", "-I", "*/", "--sort=version", "-r"}, "漢字.txt b.TXT a10.txt a9.txt | 0 4"},
        {{"-1", "-I", "*/", "--sort=mtime"}, "a9.txt b.TXT 漢字.txt a10.txt | 0 4"},
        {{"-L", "1", "--no-hidden", "--dirs-first"},
         "*build *docs a10.txt a9.txt b.TXT 漢字.txt | 2 4"},
        {{"-1", "--no-hidden", "-e", "TXT"}, "b.TXT *build *docs | 2 1"},
        {{"-1", "--no-hidden", "-e", "TXT", "-i"},
         "a10.txt a9.txt b.TXT *build *docs 漢字.txt | 2 4"},
        {{"-P", "*.md|*.o", "--no-hidden"}, "*build    out.o *docs    guide.md    *img | 3 2"},
        {{"-P", "*.md|*.o", "--no-hidden", "--prune"}, "*build    out.o *docs    guide.md | 2 2"},
        {{"-P", "build", "--matchdirs", "--prune"}, "*build    out.o | 1 1"},
    };
    for (const auto& [options, expected] : kCases) {
        std::vector<std::string> args = {"--draw=ascii", "-n"};
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

// The size and time columns in each form, lined up by display width.
TEST_F(OptionsTest, ColumnsInEachForm) {
    ::setenv("TZ", "UTC0", 1);
    const std::pair<std::vector<std::string>, std::string_view> kCases[] = {
        {{"-s", "-t"}, R"(tree
├ a10.txt     10 B  2004/05/06 07:08
├ b.TXT       3 KB  2004/05/06 07:08
├ *docs
│ └ guide.md   0 B  2004/05/06 07:08
└ 漢字.txt     5 B  2004/05/06 07:08
)"},
        {{"-h", "--local-time"}, R"(tree
├ a10.txt       10  2004/05/05 22:08
├ b.TXT       2.9K  2004/05/05 22:08
├ *docs
│ └ guide.md     0  2004/05/05 22:08
└ 漢字.txt       5  2004/05/05 22:08
)"},
        {{"--si", "--du", "--time-format=%T"}, R"(tree
├ a10.txt       10  07:08:00
├ b.TXT       3.0k  07:08:02
├ *docs          0
│ └ guide.md     0  07:08:06
└ 漢字.txt       5  07:08:01
)"},
    };
    for (const auto& [options, expected] : kCases) {
        std::vector<std::string> args = {"--draw=narrow", "-I", "b*/|*hidden|a?.txt"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(tree());
        const std::string out = Command(args).out;
        EXPECT_EQ(out.substr(0, out.find("\n\n") + 1), expected);
    }
    ::unsetenv("TZ");
}

// The pieces come from --draw, then TANDREL_DRAW, then the output: narrow on a
// UTF-8 terminal, the dialog's everywhere else; Markdown is narrow by default.
// Names are coloured on a terminal unless NO_COLOR is set or the pieces are
// the dialog's, and always with --color=always.
TEST_F(OptionsTest, DrawingAndColourChoice) {
    const char* const kDialog = "\n└ *docs\n　 └ guide.md\n";
    const char* const kNarrow = "\n└ *docs\n  └ guide.md\n";
    const char* const kColoured = "\n└ \x1b[01;34m*docs\x1b[0m\n  └ guide.md\n";
    const char* const kAscii = "\n`- *docs\n   `- guide.md\n";
    const char* const kMarkdown =
        "```text\ntree\n└ *docs\n  └ guide.md\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n```\n";
    struct Case {
        Console console;
        const char* environment;
        std::vector<std::string> args;
        const char* pieces;
        CodePage page = CodePage::Utf8;
        const char* noColor = nullptr;
    };
    const Case kCases[] = {
        {{}, nullptr, {}, kDialog},
        {{.outIsTerminal = true}, nullptr, {}, kColoured},
        {{.outIsTerminal = true}, nullptr, {}, kNarrow, CodePage::Utf8, "1"},
        {{.outIsTerminal = true}, nullptr, {"--color=never"}, kNarrow},
        {{.outIsTerminal = true}, nullptr, {}, kDialog, CodePage::Cp932},
        {{}, nullptr, {"--color"}, "\n└ \x1b[01;34m*docs\x1b[0m\n　 └ guide.md\n"},
        {{.errIsTerminal = true}, "ascii", {}, kAscii},
        {{}, "ascii", {"--draw=dialog"}, kDialog},
        {{}, "narrow", {"--format=markdown", "--draw=ascii"}, kAscii},
        {{.outIsTerminal = true}, "ascii", {"--format=markdown"}, kMarkdown},
    };
    for (const Case& c : kCases) {
        platform::SetActiveCodePage(c.page);
        if (c.environment != nullptr) {
            ::setenv("TANDREL_DRAW", c.environment, 1);
        }
        if (c.noColor != nullptr) {
            ::setenv("NO_COLOR", c.noColor, 1);
        }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-I", "[ab.]*", "-I", "漢*", tree()});
        const Result result = Command(args, c.console);
        EXPECT_NE(result.out.find(platform::FromUtf8(c.pieces)), std::string::npos) << result.out;
        EXPECT_EQ(result.err, "");
        ::unsetenv("TANDREL_DRAW");
        ::unsetenv("NO_COLOR");
    }
    ::setenv("TANDREL_DRAW", "wide", 1);
    EXPECT_EQ(
        Command({"-1", tree()}, {.outIsTerminal = true}).err,
        "tandrel-cli: warning: TANDREL_DRAW='wide' is not dialog, narrow or ascii; ignored\n");
}

// Warnings go to standard error and the run goes on.
TEST_F(OptionsTest, Warnings) {
    const std::pair<std::vector<std::string>, const char*> kCases[] = {
        {{"-e", ".txt,md"}, "warning: extension '.txt,md' can match nothing; try -e 'txt md'"},
        {{"-e", "*.c\u3000h txt"},
         "warning: extension '*.c\u3000h' can match nothing; try -e 'c h txt'"},
        {{"-e", "*.c"}, "warning: extension '*.c' can match nothing; try -e 'c'"},
        {{"-e", "txt md"}, nullptr},
        {{"-I", "docs/|src/*.c"},
         "warning: -I 'src/*.c' holds \"/\" and can never match a name (patterns match names, "
         "not paths)"},
        {{"-P", "a/b"},
         "warning: -P 'a/b' holds \"/\" and can never match a name (patterns match names, not "
         "paths)"},
    };
    for (const auto& [options, warning] : kCases) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-1", tree()});
        const Result result = Command(args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err,
                  warning == nullptr ? "" : "tandrel-cli: " + std::string(warning) + "\n");
    }
}

// Every usage error is one line of the command's own, then the hint; the
// status is 2 and nothing is written.
TEST_F(OptionsTest, UsageErrors) {
    const std::pair<std::vector<std::string>, const char*> kCases[] = {
        {{"--srot=name"}, "unknown option '--srot'; did you mean '--sort'?"},
        {{"--gitingore"}, "unknown option '--gitingore'; did you mean '--gitignore'?"},
        {{"--dirsfirst"}, "unknown option '--dirsfirst'; did you mean '--dirs-first'?"},
        {{"--colour"}, "unknown option '--colour'; did you mean '--color'?"},
        {{"--is"}, "unknown option '--is'; did you mean '--si'?"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-q"}, "unknown option '-q'"},
        {{"--sort=nam"},
         "invalid value 'nam' for --sort (accepted: name, version, size, mtime, none); did you "
         "mean 'name'?"},
        {{"--sort=1"}, "invalid value '1' for --sort (accepted: name, version, size, mtime, none)"},
        {{"--format", "2"}, "invalid value '2' for --format (accepted: text, markdown, json)"},
        {{"--draw="}, "invalid value '' for --draw (accepted: dialog, narrow, ascii)"},
        {{"--color=yes"}, "invalid value 'yes' for --color (accepted: auto, always, never)"},
        {{"-L0"}, "invalid value '0' for -L (accepted: 1 to 32)"},
        {{"--max-depth=33"}, "invalid value '33' for --max-depth (accepted: 1 to 32)"},
        {{"--threads=2x"}, "invalid value '2x' for --threads (accepted: 1 to 256)"},
        {{"-1", "-L", "3"},
         "-1 (the folder's own entries) and -L 3 contradict each other: give one of them"},
        {{"--size=false"}, "option '--size' takes no value ('--size=false')"},
        {{"-s", "-e"}, "option '-e' needs a value"},
        {{"a", "b\n"}, "one FOLDER at most: 'b?' follows 'a'"},
        {{temp_.path("tree/a10.txt")}, nullptr},
    };
    for (const auto& [args, message] : kCases) {
        const Result result = Command(args);
        const std::string expected =
            message != nullptr ? message : "'" + args[0] + "' is not a folder";
        EXPECT_EQ(result.err, "tandrel-cli: " + expected +
                                  "\nTry 'tandrel-cli --help' for more information.\n");
        EXPECT_EQ(std::tie(result.status, result.out), std::tuple(2, "")) << expected;
    }
}

TEST_F(OptionsTest, ExitStatuses) {
    temp_.makeChain("", "d", 34);
    const std::pair<std::vector<std::string>, int> kCases[] = {
        {{"-o", temp_.path("none/out.txt"), tree()}, 3},
        {{"-o", temp_.fullDevice(), tree()}, 3},
        {{"--format=json", temp_.path("d")}, 1},
        {{"-L", "32", temp_.path("d")}, 0},
        {{"-1", "--", "-s"}, 4},
    };
    for (const auto& [args, status] : kCases) {
        const Result result = Command(args);
        EXPECT_EQ(result.status, status) << args[0] << " " << args[1];
        EXPECT_EQ(result.out.empty(), status != 0 && status != 4) << args[0] << " " << args[1];
    }
}

// --threads and TANDREL_THREADS: every count gives the same text; a count out
// of range is ignored, with a warning, in the environment.
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
}

}  // namespace
}  // namespace tandrel::cli::test
