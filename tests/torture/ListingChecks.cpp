#include "ListingChecks.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <sstream>

#include "morvash/SerchFiles.h"
#include "tandrel/cli/Run.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::torture {
namespace {

constexpr int kMaxDepth = 32;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsControl(unsigned char byte) {
    return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F;
}

// The name as a listing line must show it: control bytes, and the "*" that
// begins a file's name, as "?".
std::string Shown(std::string_view name, bool folder) {
    std::string shown(name);
    for (char& c : shown) {
        if (IsControl(static_cast<unsigned char>(c))) {
            c = '?';
        }
    }
    if (!folder && !shown.empty() && shown.front() == '*') {
        shown.front() = '?';
    }
    return shown;
}

void WalkFolder(int fd, int depth, const std::string& path, std::vector<RefEntry>& out) {
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        RefEntry ref;
        ref.fullPath = path + "/" + name;
        ref.statOk = ::fstatat(::dirfd(dir), name.c_str(), &ref.info, AT_SYMLINK_NOFOLLOW) == 0;
        const bool folder = entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && ref.statOk &&
                                                        S_ISDIR(ref.info.st_mode));
        ref.line.assign(static_cast<std::size_t>(depth), '\t');
        if (folder) {
            ref.line += '*';
        }
        ref.line += Shown(name, folder);
        out.push_back(ref);
        if (folder && depth + 1 <= kMaxDepth) {
            const int sub = ::openat(::dirfd(dir), name.c_str(), kFolderFlags);
            if (sub >= 0) {
                WalkFolder(sub, depth + 1, ref.fullPath, out);
            }
        }
    }
    ::closedir(dir);
}

int Depth(std::string_view line) {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

std::string Where(int index, std::string_view line) {
    return "line " + std::to_string(index) + " \"" + Escape(line) + "\": ";
}

// The time the engine should report: the UTC break-down moved nine hours on
// (the files here are recent, so calendar rules of far years do not matter).
bool SameTime(const SYSTEMTIME& got, const struct stat& info) {
    const time_t shifted = info.st_mtim.tv_sec + 9 * 3600;
    struct tm parts {};
    ::gmtime_r(&shifted, &parts);
    return got.wYear == parts.tm_year + 1900 && got.wMonth == parts.tm_mon + 1 &&
           got.wDay == parts.tm_mday && got.wHour == parts.tm_hour && got.wMinute == parts.tm_min &&
           got.wSecond == parts.tm_sec && got.wMilliseconds == info.st_mtim.tv_nsec / 1'000'000;
}

}  // namespace

std::vector<RefEntry> ReferenceWalk(const std::string& root) {
    std::vector<RefEntry> out;
    const int fd = ::open(root.c_str(), kFolderFlags);
    if (fd >= 0) {
        WalkFolder(fd, 0, root, out);
    }
    return out;
}

Problems CheckListing(CSerchFiles& engine) {
    Problems problems;
    const CStringArray& listing = *engine.gFc_GetListFiles();
    unsigned int directories = 0;
    unsigned int files = 0;
    int previousDepth = -1;
    bool previousIsFolder = true;
    for (int i = 0; i < listing.GetSize() && problems.size() < 20; ++i) {
        const std::string_view line = listing[i].view();
        const int depth = Depth(line);
        const std::string_view rest = line.substr(static_cast<std::size_t>(depth));
        const bool folder = !rest.empty() && rest.front() == '*';
        (folder ? directories : files) += 1;
        if (rest.empty() || (folder && rest.size() == 1)) {
            problems.push_back(Where(i, line) + "no name");
        }
        if (depth > kMaxDepth) {
            problems.push_back(Where(i, line) + "deeper than 32");
        }
        if (depth > previousDepth + 1) {
            problems.push_back(Where(i, line) + "more than one level below the line before");
        }
        if (depth > previousDepth && !previousIsFolder) {
            problems.push_back(Where(i, line) + "deeper than the file line before it");
        }
        for (char c : rest) {
            if (IsControl(static_cast<unsigned char>(c))) {
                problems.push_back(Where(i, line) + "control byte in the name");
                break;
            }
        }
        previousDepth = depth;
        previousIsFolder = folder;
    }
    if (directories != engine.gFc_GetNumOfDir()) {
        problems.push_back("marker lines " + std::to_string(directories) + " != m_NumOfDir " +
                           std::to_string(engine.gFc_GetNumOfDir()));
    }
    if (files != engine.gFc_GetNumOfFile()) {
        problems.push_back("other lines " + std::to_string(files) + " != m_NumOfFile " +
                           std::to_string(engine.gFc_GetNumOfFile()));
    }
    return problems;
}

Problems CheckAgainstReference(CSerchFiles& engine, const std::string& root,
                               const std::vector<RefEntry>& reference) {
    Problems problems = CheckListing(engine);
    const CStringArray& listing = *engine.gFc_GetListFiles();
    if (listing.GetSize() != static_cast<int>(reference.size())) {
        problems.push_back("the listing has " + std::to_string(listing.GetSize()) +
                           " lines, the reference walk " + std::to_string(reference.size()));
        return problems;
    }
    for (int i = 0; i < listing.GetSize() && problems.size() < 20; ++i) {
        const RefEntry& ref = reference[static_cast<std::size_t>(i)];
        const std::string_view line = listing[i].view();
        if (line != ref.line) {
            problems.push_back(Where(i, line) + "the reference walk has \"" + Escape(ref.line) +
                               "\"");
            continue;
        }
        const std::string parent = ref.fullPath.substr(0, ref.fullPath.rfind('/') + 1);
        if (engine.gFc_GetTargetPath(i).view() != parent) {
            problems.push_back(Where(i, line) + "target path \"" +
                               Escape(engine.gFc_GetTargetPath(i).view()) + "\"");
        }
        const CFileInfo info = engine.gFc_GetFileInfo(i);
        const bool found = !info.m_FullPath.IsEmpty() || !info.m_FileTitle.IsEmpty();
        if (found != ref.statOk) {
            problems.push_back(Where(i, line) + (found ? "found, but lstat fails"
                                                       : "not found, but lstat succeeds"));
            continue;
        }
        if (!found) {
            continue;
        }
        const auto size = static_cast<std::uint64_t>(ref.info.st_size);
        const std::uint64_t reported =
            (static_cast<std::uint64_t>(info.m_LengthHigh) << 32) | info.m_Length;
        if (info.m_FullPath.view() != ref.fullPath) {
            problems.push_back(Where(i, line) + "full path \"" + Escape(info.m_FullPath.view()) +
                               "\"");
        } else if (reported != size) {
            problems.push_back(Where(i, line) + "size " + std::to_string(reported) +
                               " != " + std::to_string(size));
        } else if (!SameTime(info.m_LastWrite, ref.info)) {
            problems.push_back(Where(i, line) + "wrong last-write time");
        }
    }
    if (!problems.empty()) {
        problems.insert(problems.begin(), "below " + root + ":");
    }
    return problems;
}

Problems CheckDetailsWhileChanging(CSerchFiles& engine) {
    Problems problems;
    const CStringArray& listing = *engine.gFc_GetListFiles();
    for (int i = 0; i < listing.GetSize() && problems.size() < 20; ++i) {
        const CString target = engine.gFc_GetTargetPath(i);
        const CFileInfo info = engine.gFc_GetFileInfo(i);
        if (info.m_FullPath.IsEmpty()) {
            continue;  // deleted or renamed away since the walk
        }
        const std::string_view full = info.m_FullPath.view();
        if (!full.starts_with(target.view()) || full.size() == target.view().size()) {
            problems.push_back(Where(i, listing[i].view()) + "full path \"" + Escape(full) +
                               "\" is not the target path plus a name");
        }
    }
    return problems;
}

Problems CheckRendering(CSerchFiles& engine) {
    Problems problems;
    const CStringArray& listing = *engine.gFc_GetListFiles();
    int lookups = 0;
    const FileInfoLookup lookup = [&](int index) {
        ++lookups;
        return engine.gFc_GetFileInfo(index);
    };
    CString text;
    const BuildResult result =
        BuildTreeText("root", listing, engine.gFc_GetNumOfDir(), engine.gFc_GetNumOfFile(), lookup,
                      {.size = true, .timestamp = true}, text);
    if (result != BuildResult::Complete) {
        return {"the rendering ended with the depth error"};
    }
    std::vector<std::string_view> lines;
    const std::string_view all = text.view();
    for (std::size_t start = 0;;) {
        const std::size_t end = all.find("\r\n", start);
        lines.push_back(all.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 2;
    }
    if (lines.size() != static_cast<std::size_t>(listing.GetSize()) + 3) {
        return {"the text has " + std::to_string(lines.size()) + " lines for " +
                std::to_string(listing.GetSize()) + " entries"};
    }
    if (lookups != static_cast<int>(engine.gFc_GetNumOfFile())) {
        problems.push_back("the lookup was asked " + std::to_string(lookups) + " times for " +
                           std::to_string(engine.gFc_GetNumOfFile()) + " file lines");
    }
    for (int i = 0; i < listing.GetSize() && problems.size() < 20; ++i) {
        const std::string_view shown = lines[static_cast<std::size_t>(i) + 1];
        const std::string_view entry = listing[i].view();
        const bool folder = entry.substr(static_cast<std::size_t>(Depth(entry))).starts_with('*');
        const auto tabs = std::count(shown.begin(), shown.end(), '\t');
        if (shown.find_first_of("\r\n") != std::string_view::npos || shown.starts_with('\t') ||
            tabs != (folder ? 0 : 2)) {
            problems.push_back("rendered " + Where(i, entry) + "\"" + Escape(shown) + "\"");
        }
    }
    if (!lines[lines.size() - 2].empty()) {
        problems.push_back("no empty line before the summary");
    }
    return problems;
}

Problems CheckCommand(const std::string& root, CSerchFiles& engine) {
    const std::vector<std::string> args{"tandrel-cli", "-s", "-t", root};
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::run(args, out, err);
    const std::string text = out.str();
    const auto lineEnds = std::count(text.begin(), text.end(), '\n');
    const auto expected = engine.gFc_GetListFiles()->GetSize() + 3;
    Problems problems;
    if (status != 0 || !err.str().empty()) {
        problems.push_back("tandrel-cli ended with " + std::to_string(status) + ": " +
                           Escape(err.str()));
    }
    if (lineEnds != expected || text.find('\r') != std::string::npos || !text.ends_with('\n')) {
        problems.push_back("tandrel-cli wrote " + std::to_string(lineEnds) + " lines, not " +
                           std::to_string(expected) + " LF-ended lines without CR");
    }
    return problems;
}

}  // namespace tandrel::torture
