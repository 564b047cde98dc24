#include "tandrel/TreeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CodePage.h"

namespace {

using platform::CodePage;
using tandrel::BuildResult;
using tandrel::BuildTreeText;
using tandrel::DepthErrorMessage;

// Expected texts are written with LF line ends; the renderer writes CR LF.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// The code page 932 bytes of the renderer's texts, written out independently
// of any converter.
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
        for (std::size_t at = text.find(utf8); at != std::string::npos;
             at = text.find(utf8, at + cp932.size())) {
            text.replace(at, utf8.size(), cp932);
        }
    }
    return text;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, 0, 0};
}

int Depth(std::string_view line) {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

bool IsDirectory(std::string_view line) {
    const auto depth = static_cast<std::size_t>(Depth(line));
    return depth < line.size() && line[depth] == '*';
}

// A listing and the file details behind it. A file is found unless marked
// missing; its title is its name up to the last ".", its size 0 and its time
// 2000/01/02 03:04 unless set. Every lookup is recorded.
class FakeEngine {
  public:
    explicit FakeEngine(std::vector<std::string> lines) : lines_(std::move(lines)) {
        for (const std::string& line : lines_) {
            listing_.Add(CString(line.c_str()));
            ++(IsDirectory(line) ? dirs_ : files_);
        }
    }

    /// Returns the details line `index` will report, to adjust them.
    CFileInfo& details(int index) {
        auto found = details_.find(index);
        if (found == details_.end()) {
            found = details_.emplace(index, Found(index)).first;
        }
        return found->second;
    }
    void setSize(int index, std::uint64_t size) {
        details(index).m_Length = static_cast<unsigned int>(size & 0xFFFFFFFFu);
        details(index).m_LengthHigh = static_cast<unsigned int>(size >> 32);
    }
    void setTime(int index, SYSTEMTIME time) { details(index).m_LastWrite = time; }
    void setMissing(int index) { details_[index] = CFileInfo(); }

    tandrel::FileInfoLookup lookup() {
        return [this](int index) {
            calls_.push_back(index);
            return details(index);
        };
    }

    const std::vector<std::string>& lines() const { return lines_; }
    const CStringArray& listing() const { return listing_; }
    unsigned int dirs() const { return dirs_; }
    unsigned int files() const { return files_; }
    const std::vector<int>& calls() const { return calls_; }

  private:
    CFileInfo Found(int index) const {
        std::string name = lines_[static_cast<std::size_t>(index)];
        name.erase(0, static_cast<std::size_t>(Depth(name)));
        const std::size_t dot = name.rfind('.');
        CFileInfo info;
        info.m_FullPath = CString(("/work/" + name).c_str());
        info.m_FileTitle = CString(name.substr(0, dot).c_str());
        info.m_LastWrite = Time(2000, 1, 2, 3, 4);
        return info;
    }

    std::vector<std::string> lines_;
    CStringArray listing_;
    unsigned int dirs_ = 0;
    unsigned int files_ = 0;
    std::map<int, CFileInfo> details_;
    std::vector<int> calls_;
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
};

Rendered Render(FakeEngine& engine, const Flags& flags = {}, const char* rootLabel = "work") {
    CString output("left over from an earlier press");
    const BuildResult result =
        BuildTreeText(CString(rootLabel), engine.listing(), engine.dirs(), engine.files(),
                      engine.lookup(), flags.fileName, flags.extension, flags.size, flags.timestamp,
                      flags.noTreeLines, output, {.narrowBlank = flags.narrow});
    return {result, std::string(output.view())};
}

class BuildTreeTextTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetActiveCodePage(CodePage::Utf8); }
};

// The folder docs (a.txt, b.txt), the empty folder empty, readme.txt, and src
// holding lib (x.c) and main.c.
std::vector<std::string> WorkedExample() {
    return {"*docs", "\ta.txt", "\tb.txt", "*empty",  "readme.txt",
            "*src",  "\t*lib",  "\t\tx.c", "\tmain.c"};
}

constexpr std::string_view kOpening = R"(work
├ *docs
│ ├ a.txt
│ └ b.txt
├ *empty
├ readme.txt
└ *src
　 ├ *lib
　 │ └ x.c
　 └ main.c

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)";

constexpr std::string_view kNoTreeLines = R"(work
　 *docs
　 　 a.txt
　 　 b.txt
　 *empty
　 readme.txt
　 *src
　 　 *lib
　 　 　 x.c
　 　 main.c

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)";

constexpr std::string_view kDirectoriesOnly = R"(work
├ *docs
├ *empty
└ *src
　 └ *lib

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)";

constexpr std::string_view kSizeAndTime =
    "work\n"
    "├ *docs\n"
    "│ ├ a\t12 B\t2004/05/06 07:08\n"
    "│ └ b\t2 KB\t2005/01/01 00:30\n"
    "├ *empty\n"
    "├ readme\t1000 B\t2003/12/31 23:59\n"
    "└ *src\n"
    "　 ├ *lib\n"
    "　 │ └ x\t1 KB\t2010/10/10 10:10\n"
    "　 └ main\t1 MB\t2020/02/29 09:05\n"
    "\n"
    "ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5";

FakeEngine WorkedExampleWithDetails() {
    FakeEngine engine(WorkedExample());
    engine.setSize(1, 12);
    engine.setTime(1, Time(2004, 5, 6, 7, 8));
    engine.setSize(2, 2048);
    engine.setTime(2, Time(2005, 1, 1, 0, 30));
    engine.setSize(4, 1000);
    engine.setTime(4, Time(2003, 12, 31, 23, 59));
    engine.setSize(7, 1001);
    engine.setTime(7, Time(2010, 10, 10, 10, 10));
    engine.setSize(8, 1000001);
    engine.setTime(8, Time(2020, 2, 29, 9, 5));
    return engine;
}

const std::vector<int> kWorkedExampleFiles = {1, 2, 4, 7, 8};

TEST_F(BuildTreeTextTest, WorkedExampleOpeningOptions) {
    FakeEngine engine(WorkedExample());
    const Rendered rendered = Render(engine);
    EXPECT_EQ(rendered.result, BuildResult::Complete);
    EXPECT_EQ(rendered.text, Crlf(kOpening));
    EXPECT_EQ(engine.calls(), kWorkedExampleFiles);
}

TEST_F(BuildTreeTextTest, WorkedExampleNoTreeLines) {
    FakeEngine engine(WorkedExample());
    const Rendered rendered = Render(engine, {.noTreeLines = TRUE});
    EXPECT_EQ(rendered.text, Crlf(kNoTreeLines));
    EXPECT_EQ(engine.calls(), kWorkedExampleFiles);
}

TEST_F(BuildTreeTextTest, WorkedExampleDirectoriesOnly) {
    FakeEngine engine(WorkedExample());
    const Rendered rendered = Render(engine, {.fileName = FALSE, .extension = FALSE});
    EXPECT_EQ(rendered.result, BuildResult::Complete);
    EXPECT_EQ(rendered.text, Crlf(kDirectoriesOnly));
    EXPECT_TRUE(engine.calls().empty());
}

TEST_F(BuildTreeTextTest, WorkedExampleSizeAndTime) {
    FakeEngine engine = WorkedExampleWithDetails();
    const Rendered rendered = Render(engine, {.extension = FALSE, .size = TRUE, .timestamp = TRUE});
    EXPECT_EQ(rendered.text, Crlf(kSizeAndTime));
    EXPECT_EQ(engine.calls(), kWorkedExampleFiles);
}

TEST_F(BuildTreeTextTest, WorkedExampleInCodePage932) {
    platform::SetActiveCodePage(CodePage::Cp932);
    FakeEngine opening(WorkedExample());
    EXPECT_EQ(Render(opening).text, ToCp932(Crlf(kOpening)));
    FakeEngine noLines(WorkedExample());
    EXPECT_EQ(Render(noLines, {.noTreeLines = TRUE}).text, ToCp932(Crlf(kNoTreeLines)));
    FakeEngine dirsOnly(WorkedExample());
    EXPECT_EQ(Render(dirsOnly, {.fileName = FALSE, .extension = FALSE}).text,
              ToCp932(Crlf(kDirectoriesOnly)));
    FakeEngine columns = WorkedExampleWithDetails();
    EXPECT_EQ(Render(columns, {.extension = FALSE, .size = TRUE, .timestamp = TRUE}).text,
              ToCp932(Crlf(kSizeAndTime)));
}

TEST_F(BuildTreeTextTest, PiecesInCodePage932AreTheDocumentedBytes) {
    platform::SetActiveCodePage(CodePage::Cp932);
    FakeEngine engine({"*a", "\tb", "\t*c", "\t\td", "e"});
    const Rendered rendered = Render(engine);
    EXPECT_EQ(rendered.text,
              "work\r\n"
              "\x84\xA5 *a\r\n"
              "\x84\xA0 \x84\xA5 b\r\n"
              "\x84\xA0 \x84\xA4 *c\r\n"
              "\x84\xA0 \x81\x40 \x84\xA4 d\r\n"
              "\x84\xA4 e\r\n"
              "\r\n"
              "\xC3\xDE\xA8\xDA\xB8\xC4\xD8\x90\x94:2, \xCC\xA7\xB2\xD9\x90\x94:3");
}

TEST_F(BuildTreeTextTest, EmptyListingGivesLabelEmptyLineAndSummary) {
    FakeEngine engine({});
    EXPECT_EQ(Render(engine).text, "work\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0");
    EXPECT_EQ(Render(engine, {}, "").text, "\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:0");
}

TEST_F(BuildTreeTextTest, OneEntryGetsTheCorner) {
    FakeEngine engine({"only.txt"});
    EXPECT_EQ(Render(engine).text, Crlf("work\n└ only.txt\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
}

TEST_F(BuildTreeTextTest, FlatListingGetsTeesAndOneCorner) {
    FakeEngine engine({"a.txt", "*b", "c", "*d"});
    EXPECT_EQ(Render(engine).text, Crlf(R"(work
├ a.txt
├ *b
├ c
└ *d

ﾃﾞｨﾚｸﾄﾘ数:2, ﾌｧｲﾙ数:2)"));
    EXPECT_EQ(engine.calls(), (std::vector<int>{0, 2}));
}

TEST_F(BuildTreeTextTest, NarrowBlankIsTwoSpaces) {
    FakeEngine engine(WorkedExample());
    EXPECT_EQ(Render(engine, {.narrow = true}).text, Crlf(R"(work
├ *docs
│ ├ a.txt
│ └ b.txt
├ *empty
├ readme.txt
└ *src
  ├ *lib
  │ └ x.c
  └ main.c

ﾃﾞｨﾚｸﾄﾘ数:4, ﾌｧｲﾙ数:5)"));
}

// A chain of folders d0 to d30, with a file at depth 31 in the last.
std::vector<std::string> Chain(int folders, const std::string& file) {
    std::vector<std::string> lines;
    for (int depth = 0; depth < folders; ++depth) {
        lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') + "*d" +
                        std::to_string(depth));
    }
    if (!file.empty()) {
        lines.push_back(std::string(static_cast<std::size_t>(folders), '\t') + file);
    }
    return lines;
}

std::string Blanks(int count) {
    std::string blanks;
    for (int i = 0; i < count; ++i) {
        blanks += "　 ";
    }
    return blanks;
}

TEST_F(BuildTreeTextTest, Depth31IsDrawnWith31PrefixPieces) {
    FakeEngine engine(Chain(31, "deep.txt"));
    std::string expected = "work\r\n";
    for (int depth = 0; depth < 31; ++depth) {
        expected += Blanks(depth) + "└ *d" + std::to_string(depth) + "\r\n";
    }
    expected += Blanks(31) + "└ deep.txt\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:31, ﾌｧｲﾙ数:1";
    const Rendered rendered = Render(engine);
    EXPECT_EQ(rendered.result, BuildResult::Complete);
    EXPECT_EQ(rendered.text, expected);
    EXPECT_EQ(engine.calls(), std::vector<int>{31});
}

TEST_F(BuildTreeTextTest, Depth32IsRefusedBeforeAnyLineIsDrawn) {
    // The first line's scan meets the folder at depth 32 before any line of
    // its own depth, so the error comes before anything is drawn.
    FakeEngine engine(Chain(33, "deeper.txt"));
    const Rendered rendered = Render(engine);
    EXPECT_EQ(rendered.result, BuildResult::DepthError);
    EXPECT_EQ(rendered.text, "work\r\n");
    EXPECT_TRUE(engine.calls().empty());
}

TEST_F(BuildTreeTextTest, DepthErrorKeepsTheLinesDrawnBeforeIt) {
    std::vector<std::string> lines = {"first.txt"};
    for (const std::string& line : Chain(33, "")) {
        lines.push_back(line);
    }
    FakeEngine engine(lines);
    const Rendered rendered = Render(engine);
    EXPECT_EQ(rendered.result, BuildResult::DepthError);
    EXPECT_EQ(rendered.text, "work\r\n├ first.txt\r\n");
    EXPECT_EQ(engine.calls(), std::vector<int>{0});
}

TEST_F(BuildTreeTextTest, HiddenFilesAtDepth32CauseNoError) {
    FakeEngine engine(Chain(32, "deep.txt"));
    const Rendered dirsOnly = Render(engine, {.fileName = FALSE, .extension = FALSE});
    EXPECT_EQ(dirsOnly.result, BuildResult::Complete);
    std::string expected = "work\r\n";
    for (int depth = 0; depth < 32; ++depth) {
        expected += Blanks(depth) + "└ *d" + std::to_string(depth) + "\r\n";
    }
    expected += "\r\nﾃﾞｨﾚｸﾄﾘ数:32, ﾌｧｲﾙ数:1";
    EXPECT_EQ(dirsOnly.text, expected);
    EXPECT_TRUE(engine.calls().empty());

    EXPECT_EQ(Render(engine).result, BuildResult::DepthError);
}

TEST_F(BuildTreeTextTest, HiddenLinesNeverChangeAConnector) {
    // src's later siblings are all files: with file names off, src is the
    // last shown entry of its level, and so is lib inside it.
    FakeEngine engine(
        {"*docs", "\tguide.txt", "*src", "\t*lib", "\tmain.c", "\t\tx.c", "a.txt", "b.txt"});
    EXPECT_EQ(Render(engine, {.fileName = FALSE, .extension = FALSE}).text, Crlf(R"(work
├ *docs
└ *src
　 └ *lib

ﾃﾞｨﾚｸﾄﾘ数:3, ﾌｧｲﾙ数:5)"));
    EXPECT_TRUE(engine.calls().empty());
}

std::string SizeColumn(std::uint64_t size) {
    FakeEngine engine({"f.bin"});
    engine.setSize(0, size);
    const std::string text = Render(engine, {.size = TRUE}).text;
    const std::string head = "work\r\n└ f.bin\t";
    const std::string tail = "\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_GE(text.size(), head.size() + tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

TEST_F(BuildTreeTextTest, SizeBoundaries) {
    EXPECT_EQ(SizeColumn(0), "0 B");
    EXPECT_EQ(SizeColumn(1000), "1000 B");
    EXPECT_EQ(SizeColumn(1001), "1 KB");
    EXPECT_EQ(SizeColumn(1999), "1 KB");
    EXPECT_EQ(SizeColumn(1000000), "1000 KB");
    EXPECT_EQ(SizeColumn(1000001), "1 MB");
    EXPECT_EQ(SizeColumn(4294967295u), "4294 MB");
}

TEST_F(BuildTreeTextTest, SizeUsesAllSixtyFourBits) {
    // The low 32 bits of 5,000,000,000 alone would print 705 MB.
    EXPECT_EQ(SizeColumn(5000000000u), "5000 MB");
    EXPECT_EQ(SizeColumn(4294967296u), "4294 MB");
    EXPECT_EQ(SizeColumn(UINT64_MAX), "18446744073709 MB");
}

TEST_F(BuildTreeTextTest, TimeColumnPadsAllButTheYear) {
    FakeEngine engine({"a", "b"});
    engine.setTime(0, Time(2004, 5, 6, 7, 8));
    engine.setTime(1, Time(987, 12, 31, 23, 59));
    EXPECT_EQ(Render(engine, {.timestamp = TRUE}).text,
              Crlf("work\n├ a\t2004/05/06 07:08\n└ b\t987/12/31 23:59\n\n"
                   "ﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"));
}

TEST_F(BuildTreeTextTest, MissingFileWithExtensionShowsNameAndMarker) {
    FakeEngine engine({"a.txt", "b.txt"});
    engine.setMissing(0);
    EXPECT_EQ(Render(engine).text, Crlf("work\n├ a.txt･･･ﾌｧｲﾙが無い！\n└ b.txt\n\n"
                                        "ﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"));
}

TEST_F(BuildTreeTextTest, MissingFileWithoutExtensionShowsMarkerAlone) {
    FakeEngine engine({"a.txt", "b.txt"});
    engine.setMissing(1);
    EXPECT_EQ(Render(engine, {.extension = FALSE}).text,
              Crlf("work\n├ a\n└ ･･･ﾌｧｲﾙが無い！\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"));
}

TEST_F(BuildTreeTextTest, MissingFileStillGetsItsColumns) {
    FakeEngine engine({"gone.txt"});
    engine.setMissing(0);
    EXPECT_EQ(Render(engine, {.size = TRUE, .timestamp = TRUE}).text,
              Crlf("work\n└ gone.txt･･･ﾌｧｲﾙが無い！\t0 B\t1601/01/01 00:00\n\n"
                   "ﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
}

TEST_F(BuildTreeTextTest, EmptyTitleGivesAnEmptyEntryText) {
    FakeEngine engine({".profile", "z"});
    engine.setSize(0, 7);
    EXPECT_EQ(Render(engine, {.extension = FALSE, .size = TRUE}).text,
              Crlf("work\n├ \t7 B\n└ z\t0 B\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:2"));
}

TEST_F(BuildTreeTextTest, NameKeepsItsLeadingBlanks) {
    FakeEngine engine({"*  spaced dir", "\t  lead.txt",
                       "\t\x0b"
                       "odd"});
    EXPECT_EQ(Render(engine).text, Crlf("work\n└ *  spaced dir\n　 ├   lead.txt\n"
                                        "　 └ \x0bodd\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:2"));
    FakeEngine titles({"  lead.txt"});
    EXPECT_EQ(Render(titles, {.extension = FALSE}).text,
              Crlf("work\n└   lead\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
}

TEST_F(BuildTreeTextTest, DirectoryLinesGetNoColumnsNoMarkerNoLookup) {
    FakeEngine engine({"*src"});
    EXPECT_EQ(Render(engine, {.extension = FALSE, .size = TRUE, .timestamp = TRUE}).text,
              Crlf("work\n└ *src\n\nﾃﾞｨﾚｸﾄﾘ数:1, ﾌｧｲﾙ数:0"));
    EXPECT_TRUE(engine.calls().empty());
}

TEST_F(BuildTreeTextTest, OutputMayBeTheRootLabelItself) {
    FakeEngine engine({"a"});
    CString text("work");
    EXPECT_EQ(BuildTreeText(text, engine.listing(), 0, 1, engine.lookup(), TRUE, TRUE, FALSE, FALSE,
                            FALSE, text),
              BuildResult::Complete);
    EXPECT_EQ(text.view(), Crlf("work\n└ a\n\nﾃﾞｨﾚｸﾄﾘ数:0, ﾌｧｲﾙ数:1"));
}

TEST_F(BuildTreeTextTest, CountsAreTheEnginesWhateverIsShown) {
    FakeEngine engine({"a"});
    CString text;
    BuildTreeText("r", engine.listing(), 4000000000u, 7, engine.lookup(), FALSE, FALSE, FALSE,
                  FALSE, FALSE, text);
    EXPECT_EQ(text.view(), "r\r\n\r\nﾃﾞｨﾚｸﾄﾘ数:4000000000, ﾌｧｲﾙ数:7");
}

TEST(DepthErrorMessage, IsTheTwoLineMessageInTheActiveCodePage) {
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(DepthErrorMessage().view(),
              "ディレクトリ階層が検索可能な深さよりも深くなりました。\n検索を中止します。");
    platform::SetActiveCodePage(CodePage::Cp932);
    EXPECT_EQ(DepthErrorMessage().view(),
              "\x83\x66\x83\x42\x83\x8c\x83\x4e\x83\x67\x83\x8a\x8a\x4b\x91\x77\x82\xaa\x8c\x9f"
              "\x8d\xf5\x89\xc2\x94\x5c\x82\xc8\x90\x5b\x82\xb3\x82\xe6\x82\xe8\x82\xe0\x90\x5b"
              "\x82\xad\x82\xc8\x82\xe8\x82\xdc\x82\xb5\x82\xbd\x81\x42\x0a\x8c\x9f\x8d\xf5\x82"
              "\xf0\x92\x86\x8e\x7e\x82\xb5\x82\xdc\x82\xb7\x81\x42");
}

// The rendering written as plainly as possible: a forward scan from every
// shown line, for comparison on many random listings.
Rendered Reference(FakeEngine& engine, const Flags& flags) {
    const std::vector<std::string>& lines = engine.lines();
    const std::string blank = flags.narrow ? "  " : "　 ";
    const auto shown = [&](std::size_t i) { return flags.fileName || IsDirectory(lines[i]); };
    std::string out = "work\r\n";
    bool flag[32] = {};
    const tandrel::FileInfoLookup lookup = engine.lookup();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!shown(i)) {
            continue;
        }
        const int d = Depth(lines[i]);
        if (d >= 32) {
            return {BuildResult::DepthError, out};
        }
        flag[d] = false;
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            if (!shown(j)) {
                continue;
            }
            const int dj = Depth(lines[j]);
            if (dj >= 32) {
                return {BuildResult::DepthError, out};
            }
            if (dj <= d) {
                flag[d] = dj == d;
                break;
            }
        }
        for (int k = 0; k < d; ++k) {
            out += flags.noTreeLines || !flag[k] ? blank : "│ ";
        }
        out += flags.noTreeLines ? blank : flag[d] ? "├ " : "└ ";
        std::string text = lines[i].substr(static_cast<std::size_t>(d));
        if (!IsDirectory(lines[i])) {
            const CFileInfo info = lookup(static_cast<int>(i));
            if (!flags.extension) {
                text = info.m_FileTitle;
            }
            if (info.m_FileTitle.IsEmpty() && info.m_FullPath.IsEmpty()) {
                text += "･･･ﾌｧｲﾙが無い！";
            }
            char column[64];
            const std::uint64_t v = (std::uint64_t{info.m_LengthHigh} << 32) | info.m_Length;
            if (flags.size) {
                std::snprintf(column, sizeof column,
                              v <= 1000      ? "\t%llu B"
                              : v <= 1000000 ? "\t%llu KB"
                                             : "\t%llu MB",
                              static_cast<unsigned long long>(v <= 1000      ? v
                                                              : v <= 1000000 ? v / 1000
                                                                             : v / 1000000));
                text += column;
            }
            if (flags.timestamp) {
                const SYSTEMTIME& t = info.m_LastWrite;
                std::snprintf(column, sizeof column, "\t%d/%02d/%02d %02d:%02d", t.wYear, t.wMonth,
                              t.wDay, t.wHour, t.wMinute);
                text += column;
            }
        }
        out += text + "\r\n";
    }
    out += "\r\nﾃﾞｨﾚｸﾄﾘ数:" + std::to_string(engine.dirs()) +
           ", ﾌｧｲﾙ数:" + std::to_string(engine.files());
    return {BuildResult::Complete, out};
}

// Random listings, mostly as a walk makes them, with now and then a jump in
// depth, a line 32 or more deep, a missing file or a name with blanks.
std::vector<std::string> RandomListing(std::mt19937& random) {
    std::uniform_int_distribution<int> percent(0, 99);
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    std::vector<std::string> lines;
    int depth = 0;
    bool lastWasDirectory = false;
    for (int i = 0; i < count; ++i) {
        const int roll = percent(random);
        if (lastWasDirectory && roll < 45) {
            ++depth;
        } else if (roll < 75) {
            depth = std::uniform_int_distribution<int>(0, depth)(random);
        } else if (roll < 78) {
            depth = std::uniform_int_distribution<int>(0, 34)(random);
        }
        const bool directory = percent(random) < 45;
        std::string name = (percent(random) < 10 ? "  n" : "n") + std::to_string(i);
        if (percent(random) < 50) {
            name += ".ext";
        }
        lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') +
                        (directory ? "*" : "") + name);
        lastWasDirectory = directory;
    }
    return lines;
}

TEST_F(BuildTreeTextTest, MatchesAPlainForwardScanOnRandomListings) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 3000; ++round) {
        const std::vector<std::string> lines = RandomListing(random);
        Flags flags{.fileName = percent(random) < 70,
                    .extension = percent(random) < 50,
                    .size = percent(random) < 50,
                    .timestamp = percent(random) < 50,
                    .noTreeLines = percent(random) < 20,
                    .narrow = percent(random) < 20};
        flags.extension = flags.extension && flags.fileName;
        FakeEngine mine(lines);
        FakeEngine theirs(lines);
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            const std::uint64_t size = std::uniform_int_distribution<std::uint64_t>(0, 3)(random)
                                       << (8 * percent(random) / 10);
            const SYSTEMTIME time = Time(static_cast<WORD>(1990 + percent(random)), 7, 9, 1, 2);
            const bool missing = percent(random) < 10;
            for (FakeEngine* engine : {&mine, &theirs}) {
                engine->setSize(i, size);
                engine->setTime(i, time);
                if (missing) {
                    engine->setMissing(i);
                }
            }
        }
        const Rendered expected = Reference(theirs, flags);
        const Rendered actual = Render(mine, flags);
        ASSERT_EQ(actual.result, expected.result) << "round " << round;
        ASSERT_EQ(actual.text, expected.text) << "round " << round;
        ASSERT_EQ(mine.calls(), theirs.calls()) << "round " << round;
    }
}

}  // namespace
