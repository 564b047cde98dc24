#pragma once

// Running tandrel-cli in-process on a fixed tree, for the option and output
// format tests.

#include <sstream>
#include <string>
#include <vector>

#include "TempTree.h"
#include "tandrel/cli/Run.h"

namespace tandrel::cli::test {

struct Result {
    int status;
    std::string out;
    std::string err;
};

/// Runs the command with `args` after the program name.
inline Result Command(std::vector<std::string> args, const Console& console = {}) {
    args.insert(args.begin(), "tandrel-cli");
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(args, out, err, console);
    return {status, out.str(), err.str()};
}

// 2004-05-05 22:08:00 UTC, shown nine hours later as 2004/05/06 07:08.
inline constexpr std::int64_t kMay2004 = 1083794880;

/// The folder "tree": a10.txt (10 B), a9.txt (2 MB, the newest), b.TXT (3 KB),
/// 漢字.txt (5 B), the folders .hidden (x.txt), build (out.o), docs (guide.md).
inline void MakeSampleTree(const morvash::test::TempTree& temp) {
    for (const char* folder : {"tree", "tree/.hidden", "tree/build", "tree/docs"}) {
        temp.makeFolder(folder);
    }
    const std::pair<const char*, off_t> kFiles[] = {
        {"a10.txt", 10},      {"漢字.txt", 5},    {"b.TXT", 3000},      {"a9.txt", 2000000},
        {".hidden/x.txt", 1}, {"build/out.o", 1}, {"docs/guide.md", 0},
    };
    std::int64_t time = kMay2004;
    for (const auto& [name, size] : kFiles) {
        temp.touch(std::string("tree/") + name, size);
        temp.setTime(std::string("tree/") + name, time++);
    }
}

}  // namespace tandrel::cli::test
