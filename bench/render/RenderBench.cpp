// render-bench: times BuildTreeText alone, in lines per second.
//
//   render-bench [--runs N] [FOLDER...]
//
// It renders, each N times (default 5), keeping the median:
//   a synthetic listing of 1,000,000 lines shaped like a real tree (folders
//   of 0-40 files, now and then 400, a few subfolders each, down to depth
//   12), with a lookup that hands back a ready record, so that only the
//   rendering is measured;
//   a synthetic flat listing of 200,000 files, the same way;
//   each FOLDER given (for example a flat folder of 200,000 files made with
//   tree-gen), walked once by the engine and then rendered with the engine's
//   own lookup, which looks every shown file up on disk again.
// Each listing is rendered with the dialog's opening options, with size and
// time columns (tandrel-cli -s -t) and with folders only (-d).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

namespace {

using Clock = std::chrono::steady_clock;

// A small deterministic generator (splitmix64).
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t below(std::uint64_t bound) {
        std::uint64_t z = (state_ += 0x9E37'79B9'7F4A'7C15u);
        z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9u;
        z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBu;
        return (z ^ (z >> 31)) % bound;
    }

  private:
    std::uint64_t state_;
};

constexpr const char* kWords[] = {"report", "photo", "notes",  "main",   "index",
                                  "data",   "draft", "backup", "readme", "image"};
constexpr const char* kExtensions[] = {".txt", ".jpg", ".png", ".cpp", ".h", ".md", ".pdf"};

struct Listing {
    CStringArray lines;
    unsigned int dirs = 0;
    unsigned int files = 0;
};

void Add(Listing& listing, int depth, bool directory, Random& random) {
    std::string line(static_cast<std::size_t>(depth), '\t');
    if (directory) {
        line += '*';
    }
    line += kWords[random.below(std::size(kWords))];
    line += '_' + std::to_string(random.below(100000));
    if (!directory) {
        line += kExtensions[random.below(std::size(kExtensions))];
    }
    listing.lines.Add(CString(line.c_str()));
    ++(directory ? listing.dirs : listing.files);
}

// Fills one folder at `depth`, depth first, until the listing holds `total` lines.
void Fill(Listing& listing, int depth, int total, Random& random) {
    const auto full = [&] { return listing.lines.GetSize() >= total; };
    const auto files = random.below(20) == 0 ? random.below(400) : random.below(41);
    const auto folders = depth >= 12 ? 0 : random.below(static_cast<std::uint64_t>(7 - depth / 2));
    for (std::uint64_t i = 0; i < files && !full(); ++i) {
        Add(listing, depth, false, random);
    }
    for (std::uint64_t i = 0; i < folders && !full(); ++i) {
        Add(listing, depth, true, random);
        Fill(listing, depth + 1, total, random);
    }
}

Listing Mixed(int total) {
    Listing listing;
    Random random(1);
    while (listing.lines.GetSize() < total) {
        Add(listing, 0, true, random);
        Fill(listing, 1, total, random);
    }
    return listing;
}

Listing Flat(int total) {
    Listing listing;
    Random random(2);
    for (int i = 0; i < total; ++i) {
        Add(listing, 0, false, random);
    }
    return listing;
}

struct Options {
    const char* name;
    BOOL fileName, extension, size, timestamp;
};

constexpr Options kOptions[] = {
    {"opening options", TRUE, TRUE, FALSE, FALSE},
    {"-s -t", TRUE, TRUE, TRUE, TRUE},
    {"-d", FALSE, FALSE, FALSE, FALSE},
};

void Measure(const char* what, const CStringArray& lines, unsigned int dirs, unsigned int files,
             const tandrel::FileInfoLookup& lookup, int runs) {
    for (const Options& options : kOptions) {
        std::vector<double> seconds;
        std::size_t bytes = 0;
        for (int run = 0; run < runs; ++run) {
            CString text;
            const auto start = Clock::now();
            tandrel::BuildTreeText("root", lines, dirs, files, lookup,
                                   {.fileName = options.fileName != 0,
                                    .extension = options.extension != 0,
                                    .size = options.size != 0,
                                    .timestamp = options.timestamp != 0},
                                   text);
            seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            bytes = static_cast<std::size_t>(text.GetLength());
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        std::printf("%-34s %-16s %9d lines %8.3f s %12.0f lines/s %8.1f MB text\n", what,
                    options.name, lines.GetSize(), median, lines.GetSize() / median,
                    static_cast<double>(bytes) / 1e6);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    platform::SetActiveCodePage(platform::CodePage::Utf8);
    int runs = 5;
    std::vector<const char*> folders;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            folders.push_back(argv[i]);
        }
    }

    // A found file of 12,345 bytes: the record the engine would hand back.
    CFileInfo found;
    found.m_FullPath = "/data/folder/report_12345.txt";
    found.m_FileTitle = "report_12345";
    found.m_Length = 12345;
    found.m_LastWrite = SYSTEMTIME{2024, 5, 3, 8, 13, 45, 10, 0};
    const tandrel::FileInfoLookup ready = [&found](int) { return found; };

    const Listing mixed = Mixed(1'000'000);
    Measure("synthetic mixed, ready records", mixed.lines, mixed.dirs, mixed.files, ready, runs);
    const Listing flat = Flat(200'000);
    Measure("synthetic flat, ready records", flat.lines, flat.dirs, flat.files, ready, runs);

    for (const char* folder : folders) {
        CSerchFiles engine(folder, "", MAX_SEARCH_DEPTH);
        const tandrel::FileInfoLookup lookup = [&engine](int index) {
            return engine.gFc_GetFileInfo(index);
        };
        const std::string what = std::string(folder) + ", engine lookups";
        Measure(what.c_str(), *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
                engine.gFc_GetNumOfFile(), lookup, runs);
    }
    return 0;
}
