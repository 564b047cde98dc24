// The output file: what stands at the path decides how it is written, and
// nothing with a name is left beside it, whatever ends the writing.

#include "morvash/platform/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "Child.h"
#include "TempTree.h"

namespace {

using platform::OutputFile;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long Entries(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

struct stat Stat(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// Each kind of path: how it is written, the file that then holds the output,
// and whether that file is the one that stood there (same inode).
TEST(OutputFile, WhatStandsAtThePathDecidesHow) {
    morvash::test::TempTree temp;
    for (const char* file : {"plain", "target", "hard"}) {
        std::ofstream(temp.path(file)) << "old";
    }
    ::chmod(temp.path("plain").c_str(), 0640);
    // Another group, then another owner: either is kept.
    ASSERT_EQ(::chown(temp.path("plain").c_str(), ::geteuid(), 65534), ::geteuid() == 0 ? 0 : -1);
    ASSERT_EQ(::chown(temp.path("target").c_str(), 65534, ::getegid()), ::geteuid() == 0 ? 0 : -1);
    temp.link("target", "link");
    temp.link("sub/../created", "dangling");
    temp.makeFolder("sub");
    ASSERT_EQ(::link(temp.path("hard").c_str(), temp.path("hard2").c_str()), 0);
    const struct {
        const char* path;
        int openError;
        OutputFile::Way way;
        const char* holder;
        bool sameFile;
    } kCases[] = {
        {"plain", 0, OutputFile::Way::Replace, "plain", false},
        {"link", 0, OutputFile::Way::Replace, "target", false},
        {"dangling", 0, OutputFile::Way::Replace, "created", false},
        {"hard", 0, OutputFile::Way::InPlace, "hard2", true},
        {"sub", EISDIR, OutputFile::Way::Replace, "", false},
        {"none/out", ENOENT, OutputFile::Way::Replace, "", false},
    };
    for (const auto& c : kCases) {
        const struct stat before = Stat(temp.path(c.holder));
        const long entries = Entries(temp.root());
        OutputFile file(temp.path(c.path));
        ASSERT_EQ(file.OpenError(), c.openError) << c.path;
        if (c.openError != 0) {
            continue;
        }
        EXPECT_EQ(file.way(), c.way) << c.path;
        file.stream() << std::string(200000, 'n');
        EXPECT_EQ(Entries(temp.root()), entries) << c.path;
        EXPECT_EQ(file.Commit(), 0);
        const struct stat after = Stat(temp.path(c.holder));
        EXPECT_EQ(Read(temp.path(c.holder)), std::string(200000, 'n')) << c.path;
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile) << c.path;
        if (before.st_ino != 0) {
            EXPECT_EQ(std::tuple(after.st_mode, after.st_uid, after.st_gid),
                      std::tuple(before.st_mode, before.st_uid, before.st_gid))
                << c.path;
        }
    }
    EXPECT_TRUE(S_ISLNK(Stat(temp.path("link")).st_mode));
    EXPECT_EQ(Entries(temp.root()), 8);
}

// A FIFO and a device are written in place: the reader gets the output, the
// full device reports its error, and both stay what they were.
TEST(OutputFile, FifoAndDeviceAreWrittenInPlace) {
    morvash::test::TempTree temp;
    const std::string fifo = temp.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    {
        OutputFile file(fifo);
        EXPECT_EQ(file.way(), OutputFile::Way::InPlace);
        file.stream() << "through";
        EXPECT_EQ(file.Commit(), 0);
    }
    reader.join();
    EXPECT_EQ(received, "through");
    EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));

    const std::string device = temp.fullDevice();
    OutputFile full(device);
    EXPECT_EQ(full.way(), OutputFile::Way::InPlace);
    full.stream() << "x";
    EXPECT_EQ(full.Commit(), ENOSPC);
    EXPECT_TRUE(S_ISCHR(Stat(device).st_mode));
}

// Where the file system lacks unnamed files, the hidden named file appears
// only once writing begins, and is removed when the writing is dropped or a
// signal ends the process. A file whose folder takes no new file is written
// in place.
TEST(OutputFile, NamedTemporaryNeverOutlivesTheWriting) {
    morvash::test::TempTree temp;
    const std::string path = temp.path("out");
    std::ofstream(path) << "old";
    {
        OutputFile file(path, {.unnamed = false});
        EXPECT_EQ(Entries(temp.root()), 1);
        file.stream() << std::string(100000, 'x') << std::flush;
        EXPECT_EQ(Entries(temp.root()), 2);
    }
    EXPECT_EQ(Entries(temp.root()), 1);
    const std::string report = morvash::test::RunInChild([&] {
        OutputFile file(path, {.unnamed = false});
        file.stream() << std::string(100000, 'x') << std::flush;
        std::raise(SIGTERM);
        return std::string("not ended by the signal");
    });
    EXPECT_EQ(report, "\nthe child crashed");
    EXPECT_EQ(Entries(temp.root()), 1);
    EXPECT_EQ(Read(path), "old");

    ::chmod(temp.root().c_str(), 0755);
    ::chmod(path.c_str(), 0666);
    EXPECT_EQ(morvash::test::RunInChild(
                  [&] {
                      OutputFile file(path);
                      file.stream() << "in place";
                      const bool inPlace = file.way() == OutputFile::Way::InPlace;
                      return inPlace && file.Commit() == 0 ? "" : "not written in place";
                  },
                  true),
              "");
    EXPECT_EQ(Read(path), "in place");
}

}  // namespace
