#include "tandrel/cli/Run.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

namespace {

namespace fs = std::filesystem;
using platform::CodePage;

// 2004-05-05 22:08:00 UTC, shown nine hours later as 2004/05/06 07:08.
constexpr std::int64_t kMay2004 = 1083794880;

// The folder "tree" in a temporary tree, and a place for scratch files beside it.
class TempFolder {
  public:
    TempFolder() { temp_.makeFolder("tree"); }

    /// Returns the path of `rel` inside "tree" ("tree" itself when empty).
    std::string path(std::string_view rel = "") const { return temp_.path(Rel(rel)); }
    std::string scratch(std::string_view name) const { return temp_.path(name); }
    void folder(std::string_view rel) const { temp_.makeFolder(Rel(rel)); }
    /// Makes a file of `size` bytes (sparse), last written at `seconds` UTC.
    void file(std::string_view rel, off_t size = 0, std::int64_t seconds = kMay2004) const {
        temp_.touch(Rel(rel), size);
        temp_.setTime(Rel(rel), seconds);
    }
    /// Makes `count` folders named d one inside the other; returns the deepest.
    std::string chain(int count) const { return temp_.makeChain("tree", "d", count).substr(5); }

  private:
    static std::string Rel(std::string_view rel) {
        return rel.empty() ? "tree" : "tree/" + std::string(rel);
    }
    morvash::test::TempTree temp_;
};

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result Command(std::vector<std::string> args, std::streambuf* outBuffer = nullptr) {
    args.insert(args.begin(), "tandrel-cli");
    std::ostringstream out;
    std::ostringstream err;
    std::ostream failing(outBuffer);
    const int status = tandrel::cli::run(args, outBuffer != nullptr ? failing : out, err);
    return {status, out.str(), err.str()};
}

constexpr std::string_view kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";
constexpr std::string_view kDepthMessage =
    "ディレクトリ階層が検索可能な深さよりも深くなりました。\n検索を中止します。\n";

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetActiveCodePage(CodePage::Utf8);
        tree_.folder("docs");
        tree_.file("docs/a.txt", 12);
    }
    TempFolder tree_;
};

TEST_F(RunTest, EachOption) {
    const std::string tree = tree_.path();
    const std::string typed = tree + "/";
    const std::pair<std::vector<std::string>, std::string> kCases[] = {
        {{typed}, "tree\n└ *docs\n　 └ a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-e", "c h", tree}, "tree\n└ *docs\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0\n"},
        {{"--extensions=c txt", tree}, "tree\n└ *docs\n　 └ a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-ec", "--extensions=", tree}, "tree\n└ *docs\n　 └ a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-d", "-x", tree}, "tree\n└ *docs\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"--no-ext", tree}, "tree\n└ *docs\n　 └ a\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"--size", tree}, "tree\n└ *docs\n　 └ a.txt\t12 B\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-tsx", tree},
         "tree\n└ *docs\n　 └ a\t12 B\t2004/05/06 07:08\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"--no-lines", tree}, "tree\n　 *docs\n　 　 a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-f", typed}, typed + "\n└ *docs\n　 └ a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
        {{"-1", tree}, "tree\n└ *docs\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0\n"},
        {{"--crlf", tree}, "tree\r\n└ *docs\r\n　 └ a.txt\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1"},
        {{"--narrow", tree}, "tree\n└ *docs\n  └ a.txt\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n"},
    };
    for (const auto& [options, expected] : kCases) {
        const Result result = Command(options);
        EXPECT_EQ(result.status, 0) << options[0];
        EXPECT_EQ(result.out, expected) << options[0];
        EXPECT_EQ(result.err, "") << options[0];
    }
}

TEST_F(RunTest, CodePage932AndTheCurrentFolder) {
    platform::SetActiveCodePage(CodePage::Cp932);
    const fs::path before = fs::current_path();
    fs::current_path(tree_.path());
    const Result result = Command({});
    fs::current_path(before);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              ".\n\x84\xA4 *docs\n\x81\x40 \x84\xA4 a.txt\n\n"
              "\xC3\xDE\xA8\xDA\xB8\xC4\xD8\x90\x94:1, \xCC\xA7\xB2\xD9\x90\x94:1\n");
}

TEST_F(RunTest, HelpAndVersionGoToStandardOutput) {
    const Result help = Command({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.substr(0, kUsage.size()), kUsage);
    EXPECT_NE(help.out.find("  -1, --no-subfolders "), std::string::npos);
    EXPECT_EQ(Command({"-h"}).out, help.out);

    const Result version = Command({"-V"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tandrel-cli 1.0.0.1\n");
    EXPECT_EQ(Command({"--version"}).out, version.out);
}

TEST_F(RunTest, BadUsageExitsWithTwo) {
    const Result unknown = Command({"--bogus", tree_.path()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err,
              "tandrel-cli: The following argument was not expected: --bogus\n"
              "Usage: tandrel-cli [OPTION]... [FOLDER]\n"
              "Try 'tandrel-cli --help' for more information.\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"one", "two"}, {"-e"}, {"--size=3"}, {"-q"}, {"--crlf=yes"}}) {
        const Result result = Command(args);
        EXPECT_EQ(result.status, 2) << args[0];
        EXPECT_EQ(result.out, "") << args[0];
        EXPECT_EQ(result.err.substr(0, 13), "tandrel-cli: ") << args[0];
        EXPECT_NE(result.err.find(kUsage), std::string::npos) << args[0];
    }
}

TEST_F(RunTest, FolderThatCannotBeReadWarns) {
    tree_.folder("empty");
    const std::pair<std::string, std::string> kCases[] = {
        {"nope", "No such file or directory"}, {"docs/a.txt", "Not a directory"}, {"empty", ""}};
    for (const auto& [rel, reason] : kCases) {
        const Result result = Command({"-s", tree_.path(rel)});
        EXPECT_EQ(result.status, reason.empty() ? 0 : 4);
        EXPECT_EQ(result.out, fs::path(rel).filename().string() + "\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0\n");
        EXPECT_EQ(result.err, reason.empty() ? ""
                                             : "tandrel-cli: cannot read '" + tree_.path(rel) +
                                                   "': " + reason + "\n");
    }
}

// Root reads every folder, so the run happens in a child that has given up
// its rights; the child reports its status, output and messages on a pipe.
TEST_F(RunTest, UnreadableFolderWarns) {
    tree_.folder("locked");
    ASSERT_EQ(::chmod(tree_.path("locked").c_str(), 0), 0);
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(99);
        }
        const Result result = Command({tree_.path("locked")});
        const std::string report =
            std::to_string(result.status) + "|" + result.out + "|" + result.err;
        const bool written = ::write(channel[1], report.data(), report.size()) ==
                             static_cast<ssize_t>(report.size());
        ::_exit(written ? 0 : 98);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(tree_.path("locked").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(report,
              "4|locked\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0\n|"
              "tandrel-cli: cannot read '" +
                  tree_.path("locked") + "': Permission denied\n");
}

TEST_F(RunTest, DepthErrorExitsWithOneAndWritesNothing) {
    const std::string deepest = tree_.chain(33);
    const Result result = Command({tree_.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tandrel-cli: " + std::string(kDepthMessage) +
                              "tandrel-cli: first folder too deep: '" +
                              tree_.path(deepest.substr(0, deepest.size() - 2)) +
                              "'\ntandrel-cli: use -L N to stop at N levels\n");

    platform::SetActiveCodePage(CodePage::Cp932);
    const Result cp932 = Command({tree_.path()});
    EXPECT_EQ(cp932.status, 1);
    const std::string message = "tandrel-cli: " + platform::FromUtf8(kDepthMessage);
    EXPECT_EQ(cp932.err.substr(0, message.size()), message);
    EXPECT_EQ(cp932.err.substr(13, 4), "\x83\x66\x83\x42");
}

TEST_F(RunTest, HiddenFileAtDepth32IsNoErrorWithDirsOnly) {
    const std::string deepest = tree_.chain(32);
    tree_.file(deepest + "/deep.txt");
    const Result dirsOnly = Command({"-d", tree_.path()});
    EXPECT_EQ(dirsOnly.status, 0);
    EXPECT_EQ(dirsOnly.err, "");
    EXPECT_NE(dirsOnly.out.find("\nﾃﾞｨﾚｸﾄﾘ数:33, ﾌｧｲﾙ数:2\n"), std::string::npos);
    EXPECT_EQ(Command({tree_.path()}).status, 1);
}

TEST_F(RunTest, TrueSizesAndNamesWithLeadingBlanks) {
    tree_.folder("mended");
    tree_.file("mended/  lead.txt", 5000000000u);
    EXPECT_EQ(Command({"-s", tree_.path("mended")}).out,
              "mended\n└   lead.txt\t5000 MB\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1\n");
    EXPECT_EQ(Command({"-x", tree_.path("mended")}).out,
              "mended\n└   lead\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1\n");
}

// Turns the renderer's text into what the command writes without --crlf.
std::string WithLineFeeds(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at, 2) != "\r\n") {
            out += text[at];
        }
    }
    return out + "\n";
}

TEST_F(RunTest, OutputIsTheRenderersTextForTheFoldersListing) {
    for (const char* rel : {"docs/img", "src", "src/lib", "src/lib/deep", "empty", "src/include"}) {
        tree_.folder(rel);
    }
    for (const char* rel : {"readme.txt", "docs/guide.md", "docs/img/logo.png", "src/main.c",
                            "src/lib/x.c", "src/lib/x.h", "src/lib/deep/y.c", ".profile"}) {
        tree_.file(rel, 1500, kMay2004 + 3600);
    }
    struct Case {
        std::vector<std::string> args;
        BOOL fileName, extension, size, timestamp, noTreeLines;
        const char* extensions;
    };
    const std::vector<Case> cases = {
        {{}, TRUE, TRUE, FALSE, FALSE, FALSE, ""},
        {{"-s", "-t", "-x"}, TRUE, FALSE, TRUE, TRUE, FALSE, ""},
        {{"-d"}, FALSE, FALSE, FALSE, FALSE, FALSE, ""},
        {{"-n", "-e", "c h"}, TRUE, TRUE, FALSE, FALSE, TRUE, "c h"},
    };
    for (const Case& c : cases) {
        CSerchFiles engine(tree_.path().c_str(), c.extensions, MAX_SEARCH_DEPTH);
        CString text;
        ASSERT_EQ(tandrel::BuildTreeText(
                      "tree", *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
                      engine.gFc_GetNumOfFile(),
                      [&engine](int index) { return engine.gFc_GetFileInfo(index); },
                      {.fileName = c.fileName != 0,
                       .extension = c.extension != 0,
                       .size = c.size != 0,
                       .timestamp = c.timestamp != 0,
                       .noTreeLines = c.noTreeLines != 0},
                      text),
                  tandrel::BuildResult::Complete);
        std::vector<std::string> args = c.args;
        args.push_back(tree_.path());
        EXPECT_EQ(Command(args).out, WithLineFeeds(text.view())) << args[0];
        args.insert(args.begin(), "--crlf");
        EXPECT_EQ(Command(args).out, text.view());
    }
}

// A stream buffer that refuses every byte with the given error.
class RefusingBuffer : public std::streambuf {
  public:
    explicit RefusingBuffer(int error) : error_(error) {}

  protected:
    int_type overflow(int_type) override {
        errno = error_;
        return traits_type::eof();
    }
    std::streamsize xsputn(const char*, std::streamsize) override {
        errno = error_;
        return 0;
    }

  private:
    int error_;
};

TEST_F(RunTest, WriteFailureExitsWithThreeButAClosedPipeEndsQuietly) {
    RefusingBuffer full(ENOSPC);
    const Result result = Command({tree_.path()}, &full);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, "tandrel-cli: write error: No space left on device\n");
    RefusingBuffer closed(EPIPE);
    for (const std::string& arg : {tree_.path(), std::string("--help")}) {
        const Result quiet = Command({arg}, &closed);
        EXPECT_EQ(quiet.status, 0);
        EXPECT_EQ(quiet.err, "");
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a shell command line with the program as $0 and the arguments as $1...
int Shell(const std::string& script, const std::vector<std::string>& args) {
    std::string command = "bash -c '" + script + "' '" TANDREL_CLI_PATH "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(RunTest, ProgramOnAClosedPipeAndAFullDevice) {
    // Far more output than a pipe holds, so the program is still writing
    // when head has gone.
    tree_.folder("many");
    for (int i = 0; i < 2000; ++i) {
        tree_.file("many/" + std::string(100, 'n') + std::to_string(i));
    }
    const std::string errors = tree_.scratch("errors");
    EXPECT_EQ(Shell("set -o pipefail; \"$0\" \"$1\" 2>\"$2\" | head -c1 >/dev/null",
                    {tree_.path(), errors}),
              0);
    EXPECT_EQ(ReadFile(errors), "");
    EXPECT_EQ(Shell("\"$0\" \"$1\" >/dev/full 2>\"$2\"", {tree_.path("docs"), errors}), 3);
    EXPECT_EQ(ReadFile(errors), "tandrel-cli: write error: No space left on device\n");
}

}  // namespace
