#include "AtomicOutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace tandrel::cli {
namespace {

// The mode a new file gets from open(2) with 0666 under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

AtomicOutputFile::AtomicOutputFile(std::string path) : path_(std::move(path)) {
    // A hidden name in the same folder, so that the rename stays on one file system.
    // Built by appending: GCC 12 warns falsely about "." + std::string at -O2.
    const std::filesystem::path target(path_);
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (target.parent_path() / hidden).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        openError_ = errno;
        return;
    }
    temporary_ = std::move(pattern);
    struct stat existing {};
    const mode_t mode =
        ::stat(path_.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode();
    ::fchmod(fd, mode);
    ::close(fd);
    stream_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!stream_) {
        openError_ = errno != 0 ? errno : EIO;
    }
}

AtomicOutputFile::~AtomicOutputFile() {
    if (!committed_ && !temporary_.empty()) {
        stream_.close();
        ::unlink(temporary_.c_str());
    }
}

int AtomicOutputFile::Commit() {
    errno = 0;
    stream_.close();
    if (stream_.fail()) {
        return errno != 0 ? errno : EIO;
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        return errno;
    }
    committed_ = true;
    return 0;
}

}  // namespace tandrel::cli
