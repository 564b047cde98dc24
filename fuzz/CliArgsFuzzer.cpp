// Fuzzes tandrel-cli's argument handling through run(args, out, err).
//
// The command walks only a tiny tree made in a temporary folder, which is the
// working folder while the command runs (and only then, so that libFuzzer's
// relative paths keep their meaning): an argument that could name anything
// outside it (one that begins with "/" or holds "..") is dropped, and so is
// one that could ask for an output file (-o), which would grow the tree. The tree
// holds a small folder and a chain of 34 folders, so both the tree text and
// the depth error come up.
//
// Input: byte 0 picks the code page (bit 0); the rest is split at NUL bytes
// into at most 12 arguments.
//
// What must hold: the status is 0, 1, 2 or 4 (3 needs a failing stream);
// only success writes to standard output, text that ends with LF or, under
// --crlf, with the summary's last digit; messages begin with the command's
// name; bad usage ends with the hint to --help, the depth error shows its
// prefixed message, and status 4 names the folder that could not be read or
// looked up.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "MbcsReference.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/cli/Run.h"
#include "tandrel/render/TreeText.h"

namespace fs = std::filesystem;
using tandrel::fuzz::Check;

static const fs::path kTree =
    fs::temp_directory_path() / ("tandrel-cli-fuzz-" + std::to_string(getpid()));

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The tree, made once per process and removed when it ends.
    static const bool made = [] {
        fs::create_directories(kTree / "small/sub/\xE6\x97\xA5");
        fs::create_directories(
            kTree / "deep/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d/d");
        for (const char* name :
             {"small/a.txt", "small/t\tb.c", "small/sub/\xE6\x97\xA5/\x95\x5C.x"}) {
            std::ofstream(kTree / name) << name;
        }
        return std::atexit([] { fs::remove_all(kTree); }) == 0;
    }();
    if (size < 1 || !made) {
        return 0;
    }
    platform::SetActiveCodePage((data[0] & 1) != 0 ? platform::CodePage::Cp932
                                                   : platform::CodePage::Utf8);
    std::vector<std::string> args{"tandrel-cli"};
    std::istringstream input(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    for (std::string arg; args.size() <= 12 && std::getline(input, arg, '\0');) {
        const bool output =
            arg.starts_with("--o") ||
            (arg.starts_with('-') && !arg.starts_with("--") && arg.find('o') != std::string::npos);
        if (!arg.starts_with('/') && arg.find("..") == std::string::npos && !output) {
            args.push_back(arg);
        }
    }
    std::ostringstream out;
    std::ostringstream err;
    const fs::path home = fs::current_path();
    fs::current_path(kTree);
    const int status = tandrel::cli::run(args, out, err);
    fs::current_path(home);
    const std::string text = out.str();
    const std::string messages = err.str();
    const char last = text.empty() ? '\0' : text.back();
    Check(status >= 0 && status <= 4 && status != 3 &&
          (status == 0 || status == 4 || text.empty()));
    Check(status == 1 || status == 2 || last == '\n' || (last >= '0' && last <= '9'));
    // Messages may quote an argument or a name, control bytes and all, so
    // only their beginning is the command's own.
    Check(messages.empty() || messages.starts_with("tandrel-cli: ") || status == 2);
    const std::string depth = "tandrel-cli: " + std::string(tandrel::DepthErrorMessage().view());
    Check(status != 1 || messages.find(depth) != std::string::npos);
    Check(status != 2 || messages.ends_with("Try 'tandrel-cli --help' for more information.\n"));
    Check(status != 4 || messages.find("tandrel-cli: cannot read '") != std::string::npos ||
          messages.find("tandrel-cli: cannot look up '") != std::string::npos);
    return 0;
}
