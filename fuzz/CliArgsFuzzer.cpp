// Fuzzes tandrel-cli's argument handling through run(args, out, err).
//
// The command walks only a tiny tree made in a temporary folder, which is the
// working folder while the command runs (and only then, so that libFuzzer's
// relative paths keep their meaning): an argument that could name anything
// outside it (one that begins with "/" or holds "..") is dropped. The tree holds a small
// folder and a chain of 34 folders, so both the tree text and the depth error
// come up.
//
// Input: byte 0 picks the code page (bit 0); the rest is split at NUL bytes
// into at most 12 arguments.
//
// What must hold: the status is 0, 1 or 2 (3 needs a failing stream); bad
// usage writes nothing to standard output and the usage line to standard
// error; the depth error writes nothing to standard output and the message to
// standard error; success writes text that ends with LF or, under --crlf,
// with the summary's last digit.

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "MbcsReference.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/cli/Run.h"
#include "tandrel/render/TreeText.h"

namespace {

using tandrel::fuzz::Check;

constexpr std::size_t kMaxArgs = 12;

std::string gTree;
int gTreeFd = -1;
int gHomeFd = -1;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

void RemoveTree() {
    ::nftw(gTree.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void MakeFile(const std::string& path, off_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Check(fd >= 0 && ::ftruncate(fd, size) == 0);
    ::close(fd);
}

// Makes the tree, once per process, inside it.
void MakeTree() {
    std::string pattern = "/tmp/tandrel-cli-fuzz-XXXXXX";
    Check(::mkdtemp(pattern.data()) != nullptr);
    gTree = pattern;
    std::atexit(RemoveTree);
    gHomeFd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    gTreeFd = ::open(gTree.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(gHomeFd >= 0 && gTreeFd >= 0 && ::fchdir(gTreeFd) == 0);
    for (const char* folder : {"small", "small/sub", "small/empty", "small/\xE6\x97\xA5"}) {
        Check(::mkdir(folder, 0755) == 0);
    }
    MakeFile("small/a.txt", 12);
    MakeFile("small/b c.md", 2048);
    MakeFile("small/.profile", 1);
    MakeFile("small/*star", 0);
    MakeFile("small/tab\tname.c", 5'000'000);
    MakeFile("small/sub/x.c", 999);
    MakeFile("small/\xE6\x97\xA5/\x95\x5C.txt", 3);
    std::string chain = "deep";
    Check(::mkdir(chain.c_str(), 0755) == 0);
    for (int level = 0; level < 34; ++level) {
        chain += "/d";
        Check(::mkdir(chain.c_str(), 0755) == 0);
    }
    Check(::fchdir(gHomeFd) == 0);
}

bool StaysInside(std::string_view arg) {
    return !arg.starts_with('/') && arg.find("..") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (gTree.empty()) {
        MakeTree();
    }
    if (size < 1) {
        return 0;
    }
    platform::SetActiveCodePage((data[0] & 1) != 0 ? platform::CodePage::Cp932
                                                   : platform::CodePage::Utf8);
    std::vector<std::string> args{"tandrel-cli"};
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t start = 0; start <= input.size() && args.size() <= kMaxArgs;) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        const std::string_view arg = input.substr(start, end - start);
        if (StaysInside(arg)) {
            args.emplace_back(arg);
        }
        start = end + 1;
    }

    std::ostringstream out;
    std::ostringstream err;
    Check(::fchdir(gTreeFd) == 0);
    const int status = tandrel::cli::run(args, out, err);
    Check(::fchdir(gHomeFd) == 0);
    const std::string text = out.str();
    const std::string messages = err.str();
    Check(status == 0 || status == 1 || status == 2);
    if (status == 2) {
        Check(text.empty());
        Check(messages.find("Usage: tandrel-cli") != std::string::npos);
    } else if (status == 1) {
        Check(text.empty());
        Check(messages == std::string(tandrel::DepthErrorMessage().view()) + "\n");
    } else {
        Check(!text.empty());
        const char last = text.back();
        Check(last == '\n' || (last >= '0' && last <= '9'));
        Check(messages.empty() || messages.starts_with("tandrel-cli: warning"));
    }
    return 0;
}
