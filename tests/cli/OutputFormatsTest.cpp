#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Child.h"
#include "CommandSupport.h"
#include "OutputWriter.h"
#include "morvash/platform/CodePage.h"

namespace tandrel::cli::test {
namespace {

using nlohmann::json;
using platform::CodePage;

class OutputFormatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetActiveCodePage(CodePage::Utf8);
        MakeSampleTree(temp_);
    }
    std::string tree() const { return temp_.path("tree"); }
    morvash::test::TempTree temp_;
};

// The raw bytes of an entry's name: "name_hex" when present, else "name".
std::string RawName(const json& entry) {
    std::string raw = entry.at("name");
    if (entry.contains("name_hex")) {
        const std::string hex = entry["name_hex"];
        raw.clear();
        for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
            raw += static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16));
        }
    }
    return raw;
}

const json& Entry(const json& entries, const std::string& name) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const json& entry) { return RawName(entry) == name; });
    return found != entries.end() ? *found : throw std::out_of_range("no entry " + name);
}

// Lists the entries depth first as lines of the text drawn with -n
// (the dialog's blank per level, "*" before a folder's name), or with `paths`
// as the files' paths below the root.
void Flatten(const json& entries, std::vector<std::string>& lines, bool paths,
             const std::string& prefix) {
    for (const json& entry : entries) {
        const bool directory = entry.at("type") == "directory";
        if (!paths || !directory) {
            lines.push_back(prefix + (directory ? "*" : "") + RawName(entry));
        }
        if (directory) {
            Flatten(entry.at("contents"), lines, paths,
                    paths ? prefix + RawName(entry) + "/" : prefix + "　 ");
        }
    }
}

TEST_F(OutputFormatsTest, JsonHoldsTheTextsEntries) {
    temp_.link("a10.txt", "tree/ln");
    temp_.link("nowhere", "tree/dl");
    ASSERT_EQ(::mkfifo(temp_.path("tree/docs/pipe").c_str(), 0644), 0);
    for (std::vector<std::string> args :
         {std::vector<std::string>{}, {"-d"}, {"-L", "1", "-I", "b*"}}) {
        args.push_back(tree());
        args.insert(args.begin(), "-n");
        const Result text = Command(args);
        args.insert(args.begin(), {"--format=json", "-s", "-t"});
        const json document = json::parse(Command(args).out);
        std::vector<std::string> lines = {document.at("root")};
        Flatten(document.at("entries"), lines, false, "　 ");
        std::string expected;
        for (const std::string& line : lines) {
            expected += line + "\n";
        }
        EXPECT_EQ(text.out, expected + "\nﾃﾞｨﾚｸﾄﾘ数:" + document.at("directories").dump() +
                                ", ﾌｧｲﾙ数:" + document.at("files").dump() + "\n");
    }
    const json entries = json::parse(Command({"--format=json", "-s", "-t", tree()}).out)["entries"];
    EXPECT_EQ(Entry(entries, "a10.txt"), json::parse(R"({"name": "a10.txt", "type": "file",
                                    "size": 10, "time": "2004-05-06T07:08:00+09:00"})"));
    EXPECT_EQ(Entry(entries, "a9.txt").at("size"), 2000000);
    EXPECT_EQ(Entry(Entry(entries, "docs").at("contents"), "pipe").at("type"), "other");
    EXPECT_EQ(Entry(entries, "ln").at("type"), "link");
    EXPECT_EQ(Entry(entries, "ln").at("target"), "a10.txt");
    EXPECT_EQ(Entry(entries, "ln").at("size"), 7);
    EXPECT_FALSE(Entry(entries, "ln").contains("dangling"));
    EXPECT_EQ(Entry(entries, "dl").at("dangling"), true);
    for (const char* folder : {"nest", "nest/d", "nest/d/e"}) {
        temp_.makeFolder(folder);
    }
    temp_.touch("nest/f 字");
    EXPECT_EQ(Command({"--format=json", "--sort=name", temp_.path("nest")}).out,
              "{\"root\": \"nest\", \"entries\": [\n"
              "  {\"name\": \"d\", \"type\": \"directory\", \"contents\": [\n"
              "    {\"name\": \"e\", \"type\": \"directory\", \"contents\": []}\n  ]},\n"
              "  {\"name\": \"f 字\", \"type\": \"file\"}\n], \"directories\": 2, \"files\": 1}\n");
}

TEST_F(OutputFormatsTest, JsonIsUtf8InCodePage932) {
    temp_.makeFolder("sjis");
    temp_.touch("sjis/\x8A\xBF\x8E\x9A.txt");
    temp_.touch("sjis/\x81.txt");
    platform::SetActiveCodePage(CodePage::Cp932);
    const json document =
        json::parse(Command({"--format=json", "--sort=name", temp_.path("sjis")}).out);
    EXPECT_EQ(document["entries"],
              json::parse(R"([{"name": "\uFFFD.txt", "name_hex": "812e747874", "type": "file"},
                  {"name": "漢字.txt", "name_hex": "8abf8e9a2e747874", "type": "file"}])"));
}

// Each byte that begins no UTF-8 character (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF) becomes one U+FFFD.
TEST_F(OutputFormatsTest, JsonReplacesEachBadByte) {
    const std::tuple<std::string, std::string, bool> kCases[] = {
        {"ok \xF0\x9F\x98\x80", "ok \U0001F600", false},
        {"\xEE\x80\x80", "\uE000", false},
        {"\xF4\x80\x80\x80", "\U00100000", false},
        {"\xF0\x90\x80\x80", "\U00010000", false},
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD", true},
        {"\xC0\xAF", "\uFFFD\uFFFD", true},
        {"\xE0\x80\xAF", "\uFFFD\uFFFD\uFFFD", true},
        {"\xF0\x80\x80\xAF", "\uFFFD\uFFFD\uFFFD\uFFFD", true},
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD", true},
        {"\xE2\x82x", "\uFFFD\uFFFDx", true},
        {"\x80\x80", "\uFFFD\uFFFD", true},
        {"tab\tline\nend\x1f \"q\\", "tab\tline\nend\x1f \"q\\", false},  // escaped, not bad
    };
    temp_.makeFolder("names");
    for (const auto& [raw, name, hex] : kCases) {
        temp_.touch("names/" + raw);
    }
    const json entries =
        json::parse(Command({"--format=json", temp_.path("names")}).out)["entries"];
    for (const auto& [raw, name, hex] : kCases) {
        EXPECT_EQ(Entry(entries, raw).at("name"), name);
        EXPECT_EQ(Entry(entries, raw).contains("name_hex"), hex) << name;
    }
}

// A name, and FOLDER, keep to their line: control bytes are shown as "?", and
// the Markdown fence outruns any backticks.
TEST_F(OutputFormatsTest, EveryNameStaysOnItsLine) {
    temp_.makeFolder("a\nb");
    temp_.touch("a\nb/x```y");
    EXPECT_EQ(Command({"--format=markdown", temp_.path("a\nb")}).out,
              "````text\na?b\n└ x```y\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1\n````\n");
}

// A folder that may be read but not entered: its files are listed with the
// missing-file marker, and the run reports the folder and ends with 4.
TEST_F(OutputFormatsTest, FolderReadButNotEntered) {
    temp_.makeFolder("tree/docs/locked");
    temp_.touch("tree/docs/locked/f");
    ::chmod(temp_.path("tree/docs/locked").c_str(), 0644);
    const std::string report = morvash::test::RunInChild(
        [&] {
            const Result result = Command({temp_.path("tree/docs")});
            return std::to_string(result.status) + "\n" + result.out + result.err;
        },
        true);
    EXPECT_EQ(report,
              "4\ndocs\n├ guide.md\n└ *locked\n　 └ f･･･ﾌｧｲﾙが無い！\n\n"
              "ﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:2\ntandrel-cli: cannot look up '" +
                  temp_.path("tree/docs/locked") + "': Permission denied\n");
}

// FILE is replaced only by a complete output, keeps its mode, and no
// temporary file is left beside it.
TEST_F(OutputFormatsTest, OutputFileIsReplacedOnlyWhenComplete) {
    temp_.makeChain("", "d", 34);
    temp_.makeFolder("out");
    temp_.makeFolder("out/folder");
    const std::string file = temp_.path("out/tree.txt");
    std::ofstream(file) << "before";
    ::chmod(file.c_str(), 0640);
    const std::tuple<std::vector<std::string>, int, std::string> kCases[] = {
        {{"-o", file, temp_.path("d")}, 1, "before"},
        {{"-o", temp_.path("out/folder"), tree()}, 3, "before"},
        {{"-1", "-o", file, temp_.path("none")}, 4, "none\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0\n"},
        {{"-1", "-o", file, tree()}, 0, Command({"-1", tree()}).out},
    };
    const long openFiles = morvash::test::OpenFileCount();
    for (const auto& [args, status, content] : kCases) {
        const Result result = Command(args, {.outIsTerminal = true});
        EXPECT_EQ(result.status, status) << args.back();
        EXPECT_EQ(result.out, "");
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
        const std::filesystem::directory_iterator out(temp_.path("out"));
        EXPECT_EQ(std::distance(begin(out), end(out)), 2);
    }
    EXPECT_EQ(morvash::test::OpenFileCount(), openFiles);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// --gitignore reaches the walk: it lists what git lists, without ".git" (git's
// rules themselves are the engine's tests').
TEST_F(OutputFormatsTest, GitignoreShowsWhatGitLists) {
    temp_.touch("tree/a.o");
    temp_.touch("tree/tracked.o");
    std::ofstream(temp_.path("tree/.gitignore")) << "*.o\n";
    ASSERT_EQ(
        std::system(("cd '" + tree() +
                     "' && git init -q && git add -f tracked.o && git -c core.quotePath=false "
                     "ls-files -c -o --exclude-standard | LC_ALL=C sort > ../git.out")
                        .c_str()),
        0);
    const json document = json::parse(Command({"--format=json", "--gitignore", tree()}).out);
    std::vector<std::string> files;
    Flatten(document.at("entries"), files, true, "");
    std::sort(files.begin(), files.end());
    std::string listed;
    for (const std::string& file : files) {
        listed += file + "\n";
    }
    std::ifstream git(temp_.path("git.out"), std::ios::binary);
    EXPECT_EQ(listed, std::string(std::istreambuf_iterator<char>(git), {}));
}

// Text bigger than the block the line ends are converted in leaves whole;
// a stream that was bad before anything was written is a write error that
// names no stale system error.
TEST(OutputWriter, WritesTextOfManyBlocksAndReportsABadStream) {
    std::string text;
    while (text.size() < 3'000'000) {
        text += "├ a line of the tree\r\n";
    }
    std::ostringstream out;
    WriteText(text, false, out);
    std::string lf = text;
    std::erase(lf, '\r');
    EXPECT_EQ(out.str(), lf + '\n');

    const std::vector<std::string> args = {"tandrel-cli", "--help"};
    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    std::ostringstream err;
    errno = EPERM;
    EXPECT_EQ(run(args, bad, err, {}), 3);
    EXPECT_EQ(err.str(), "tandrel-cli: write error\n");
}

}  // namespace
}  // namespace tandrel::cli::test
