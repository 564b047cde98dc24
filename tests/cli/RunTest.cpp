// tandrel-cli end to end: the real program on a real temporary folder.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "TempTree.h"

namespace {

const std::string kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";
const std::string kTryHelp = "Try 'tandrel-cli --help' for more information.\n";

// The folder tree/ holding docs/a.txt (12 bytes, written 2004-05-05 22:08
// UTC, shown nine hours later), beside the empty folder empty/ and a chain of
// 33 folders d/d/...
class RunTest : public ::testing::Test {
  protected:
    RunTest() {
        for (const char* folder : {"tree", "tree/docs", "empty"}) {
            temp_.makeFolder(folder);
        }
        temp_.touch("tree/docs/a.txt", 12);
        temp_.setTime("tree/docs/a.txt", 1083794880);
        temp_.makeChain("", "d", 33);
    }

    // Runs the program in tree/ under a UTF-8 locale with `args`, standard
    // error going into a file and standard output into /dev/full, into a pipe
    // whose reader has gone (`sink` empty) or else into a file. Returns the
    // exit status and what the program wrote.
    std::tuple<int, std::string, std::string> Run(std::vector<std::string> args,
                                                  const std::string& sink = "out") const {
        int pipeEnds[2];
        EXPECT_EQ(::pipe(pipeEnds), 0);
        ::close(pipeEnds[0]);
        const std::string out = sink.starts_with('/') ? sink : temp_.path(sink);
        std::vector<char*> argv{const_cast<char*>(TANDREL_CLI_PATH)};
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            const int flags = O_WRONLY | O_CREAT | O_TRUNC;
            ::dup2(sink.empty() ? pipeEnds[1] : ::open(out.c_str(), flags, 0644), STDOUT_FILENO);
            ::dup2(::open(temp_.path("err").c_str(), flags, 0644), STDERR_FILENO);
            const bool ready =
                ::chdir(temp_.path("tree").c_str()) == 0 && ::setenv("LC_ALL", "C.UTF-8", 1) == 0;
            ::_exit(ready ? (::execv(argv[0], argv.data()), 126) : 125);
        }
        ::close(pipeEnds[1]);
        int status = -1;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                sink.empty() || sink.starts_with('/') ? "" : Read(out), Read(temp_.path("err"))};
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    morvash::test::TempTree temp_;
};

// Each option: the exit status is 0, the text goes to standard output (an
// expected text ending in "..." is the beginning of it) and nothing to
// standard error.
TEST_F(RunTest, EachOption) {
    const std::string a = ".\n└ *docs\n　 └ a";
    const std::string one = "\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1\n";
    const std::pair<std::vector<std::string>, std::string> kOptions[] = {
        {{}, a + ".txt" + one},
        {{"../tree/"}, "tree\n└ *docs\n　 └ a.txt" + one},
        {{"-f", "../tree/"}, "../tree/\n└ *docs\n　 └ a.txt" + one},
        {{"-e", "c h"}, ".\n└ *docs\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0\n"},
        {{"-ec", "--extensions=c txt"}, a + ".txt" + one},
        {{"-ec", "--extensions="}, a + ".txt" + one},
        {{"--dirs-only"}, ".\n└ *docs" + one},
        {{"-tsx"}, a + "\t12 B\t2004/05/06 07:08" + one},
        {{"--no-lines"}, ".\n　 *docs\n　 　 a.txt" + one},
        {{"-1"}, ".\n└ *docs\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0\n"},
        {{"--crlf"}, ".\r\n└ *docs\r\n　 └ a.txt\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:1"},
        {{"--narrow"}, ".\n└ *docs\n  └ a.txt" + one},
        {{"-V"}, "tandrel-cli 1.0.0.1\n"},
        {{"--help"}, kUsage + "Draws FOLDER ..."},
    };
    for (const auto& [args, expected] : kOptions) {
        const auto [status, out, err] = Run(args);
        const bool prefix = expected.ends_with("...");
        EXPECT_EQ(prefix ? out.substr(0, expected.size() - 3) + "..." : out, expected);
        EXPECT_EQ(std::tie(status, err), std::tuple(0, "")) << expected;
    }
}

// Each exit status: standard output (into a file, a pipe whose reader has
// gone or /dev/full), and what standard error begins with. Bad usage, and
// only that, ends with the hint.
TEST_F(RunTest, ExitStatuses) {
    const std::string nope = temp_.path("nope");
    const std::string none = "\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0\n";
    const std::string full = "tandrel-cli: write error: No space left on device\n";
    const std::string bogus = "tandrel-cli: unknown option '--bogus'\n";
    const std::tuple<std::vector<std::string>, std::string, int, std::string, std::string> kRuns[] =
        {
            {{"-d", "../empty"}, "out", 0, "empty" + none, ""},
            {{nope}, "out", 4, "nope" + none, "tandrel-cli: cannot read '" + nope + "': No such"},
            {{}, "", 0, "", ""},
            {{".."},
             "out",
             1,
             "",
             "tandrel-cli: ディレクトリ階層が検索可能な深さよりも深くなりました。\n"},
            {{"--bogus"}, "out", 2, "", bogus + kTryHelp},
            {{"-e"}, "out", 2, "", "tandrel-cli: "},
            {{"--size=false"}, "out", 2, "", "tandrel-cli: "},
            {{}, "/dev/full", 3, "", full},
            {{"--help"}, "/dev/full", 3, "", full},
        };
    for (const auto& [args, sink, status, out, err] : kRuns) {
        const auto [actualStatus, actualOut, actualErr] = Run(args, sink);
        EXPECT_EQ(std::tie(actualStatus, actualOut), std::tie(status, out)) << sink << err;
        EXPECT_EQ(actualErr.substr(0, err.size()), err);
        EXPECT_EQ(actualErr.empty(), err.empty()) << actualErr;
        EXPECT_EQ(actualErr.ends_with(kTryHelp), status == 2) << actualErr;
    }
}

}  // namespace
