// The torture folder: a tree built to break walkers. The walk, the details of
// every line and the rendering run in a guarded child (Guarded.h) and must
// neither crash, nor hang, nor open anything but folders; the listing must
// match an independent walk of the same tree, line for line.

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Guarded.h"
#include "ListingChecks.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"

namespace tandrel::torture {
namespace {

using morvash::test::Numbered;
using morvash::test::TempTree;

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::system_error(errno, std::generic_category(), what);
    }
}

// An open folder, for making entries relative to it at any depth.
class Folder {
  public:
    explicit Folder(const std::string& path) : fd_(::open(path.c_str(), kFolderFlags)) {
        Check(fd_ >= 0, "open " + path);
    }
    Folder(const Folder& parent, const std::string& name)
        : fd_(::openat(parent.fd_, name.c_str(), kFolderFlags)) {
        Check(fd_ >= 0, "openat " + Escape(name));
    }
    ~Folder() { ::close(fd_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    int fd() const { return fd_; }
    void folder(const std::string& name) const {
        Check(::mkdirat(fd_, name.c_str(), 0755) == 0, "mkdirat " + Escape(name));
    }
    void file(const std::string& name, off_t size = 0) const {
        Check(::mknodat(fd_, name.c_str(), S_IFREG | 0644, 0) == 0, "mknodat " + Escape(name));
        if (size > 0) {
            const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CLOEXEC);
            Check(fd >= 0 && ::ftruncate(fd, size) == 0, "ftruncate " + Escape(name));
            ::close(fd);
        }
    }
    void link(const std::string& target, const std::string& name) const {
        Check(::symlinkat(target.c_str(), fd_, name.c_str()) == 0, "symlinkat " + Escape(name));
    }
    void fifo(const std::string& name) const {
        Check(::mkfifoat(fd_, name.c_str(), 0644) == 0, "mkfifoat " + name);
    }

  private:
    int fd_;
};

// Makes a bound Unix socket `name` in `folder`. sun_path holds 108 bytes, so
// the socket is bound through /proc/self/fd, whatever the folder's path.
void MakeSocket(const Folder& folder, const std::string& name) {
    const std::string path = "/proc/self/fd/" + std::to_string(folder.fd()) + "/" + name;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    Check(fd >= 0, "socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    Check(path.size() < sizeof address.sun_path, "socket path too long: " + path);
    path.copy(address.sun_path, path.size());
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    Check(bound, "bind " + path);
}

// Every byte from 0x01 to 0xFF except "/", as single-byte names, inside
// other names, and all together in one name of 254 bytes.
void MakeByteNames(const TempTree& tree) {
    tree.makeFolder("bytes");
    const Folder bytes(tree.path("bytes"));
    std::string all;
    for (int b = 0x01; b <= 0xFF; ++b) {
        if (b == '/') {
            continue;
        }
        const char c = static_cast<char>(b);
        all += c;
        if (b != '.') {
            bytes.file(std::string(1, c));
        }
        bytes.file(std::string("x") + c + "y.t" + c);
    }
    bytes.file(all);
    bytes.folder("d" + all.substr(1));
    const Folder inside(bytes, "d" + all.substr(1));
    inside.file("\t\r\n*");
    inside.folder("*\t");
    inside.file("  two leading blanks.txt");
}

// Byte sequences that are no valid UTF-8, and code page 932 sequences whose
// trail byte is "\\" or ".".
void MakeInvalidNames(const TempTree& tree) {
    tree.makeFolder("invalid");
    const Folder invalid(tree.path("invalid"));
    for (const char* name : {"\xC3", "\xFF\xFE", "\xE3\x81", "\xC0\xAF", "\x80", "abc\x81",
                             "\xED\xA0\x80surrogate", "\xF8\x88\x80\x80\x80", "a.\x81"}) {
        invalid.file(name);
    }
    invalid.folder("\x95\x5C");  // a 932 character whose trail byte is 0x5C
    const Folder trail(invalid, "\x95\x5C");
    trail.file("\x81\x2E\x82.txt", 7);
    trail.folder("\x81");
}

// Names of the longest length a name can have: 255 bytes, alone and by the
// thousand.
void MakeLongNames(const TempTree& tree) {
    tree.makeFolder("long");
    const Folder folder(tree.path("long"));
    folder.file(std::string(255, 'a'), 255);
    std::string japanese;
    for (int i = 0; i < 85; ++i) {
        japanese += "\xE3\x81\x82";  // 85 times U+3042: 255 bytes
    }
    folder.folder(japanese);
    const Folder inside(folder, japanese);
    inside.file(std::string(251, 'b') + ".txt", 4096);
    // Enough long names that a folder's entries span many reads of the
    // directory stream.
    for (int i = 0; i < 2000; ++i) {
        std::string name = std::to_string(i) + (i % 3 == 0 ? "." : "-");
        name.resize(255, static_cast<char>('c' + i % 20));
        inside.file(name);
    }
}

// A chain of folders with names of 200 bytes, so that the deepest paths pass
// 4096 bytes (PATH_MAX); files at depth 25 and 31 carry known sizes.
void MakeDeepChain(const TempTree& tree) {
    tree.makeFolder("deep");
    const std::string name(200, 'd');
    std::vector<std::unique_ptr<Folder>> chain;
    chain.push_back(std::make_unique<Folder>(tree.path("deep")));
    for (int level = 1; level <= 30; ++level) {
        chain.back()->folder(name);
        chain.push_back(std::make_unique<Folder>(*chain.back(), name));
        if (level == 24) {
            chain.back()->file("middle.txt", 2525);
        }
    }
    chain.back()->file("leaf.txt", 12345);
    chain.back()->fifo("leaf.fifo");
}

// Entries that are neither files nor folders, and links that loop or dangle.
void MakeSpecialEntries(const TempTree& tree) {
    tree.makeFolder("special");
    const Folder special(tree.path("special"));
    special.fifo("fifo");
    MakeSocket(special, "sock");
    special.link("loop2", "loop1");
    special.link("loop1", "loop2");
    special.link("self", "self");
    special.link("..", "up");
    special.link(".", "here");
    special.link("/nonexistent/target", "dangling");
    special.link(std::string(4000, 'x'), "longtarget");
    special.folder("sub");
    const Folder sub(special, "sub");
    sub.fifo("inner.fifo");
    sub.link("../../special", "back");
}

void MakeTortureEntries(const TempTree& tree) {
    MakeByteNames(tree);
    MakeInvalidNames(tree);
    MakeLongNames(tree);
    MakeDeepChain(tree);
    MakeSpecialEntries(tree);
}

// Walks a tree that nothing changes and compares it with the reference walk.
// Walks a tree that nothing changes, compares it with the reference walk, and
// renders it.
Problems WalkAndCompare(const std::string& root) {
    const std::vector<RefEntry> reference = ReferenceWalk(root);
    CSerchFiles engine(root.c_str(), "", MAX_SEARCH_DEPTH);
    Problems problems = CheckAgainstReference(engine, root, reference);
    const Problems rendering = CheckRendering(engine);
    problems.insert(problems.end(), rendering.begin(), rendering.end());
    return problems;
}

// Checks that the deep chain's leaf, past 4096 bytes of path, is listed at
// depth 31 and found with its size.
Problems CheckDeepLeaf(const std::string& root) {
    CSerchFiles engine(root.c_str(), "txt", MAX_SEARCH_DEPTH);
    const CStringArray& listing = *engine.gFc_GetListFiles();
    for (int i = 0; i < listing.GetSize(); ++i) {
        if (listing[i].view() == std::string(31, '\t') + "leaf.txt") {
            const CFileInfo info = engine.gFc_GetFileInfo(i);
            if (info.m_Length == 12345 && info.m_FullPath.GetLength() > 4096) {
                return {};
            }
            return {"leaf.txt at depth 31: size " + std::to_string(info.m_Length) + ", path of " +
                    std::to_string(info.m_FullPath.GetLength()) + " bytes"};
        }
    }
    return {"leaf.txt at depth 31, past 4096 bytes of path, is not listed"};
}

Problems WalkTortureTree(const std::string& root) {
    Problems problems = WalkAndCompare(root);
    CSerchFiles engine(root.c_str(), "", MAX_SEARCH_DEPTH);
    for (const Problems& more : {CheckDeepLeaf(root), CheckCommand(root, engine)}) {
        problems.insert(problems.end(), more.begin(), more.end());
    }
    return problems;
}

// The walk and the details do not depend on the code page, but every
// character search of the engine and the renderer does.
class TortureInCodePage : public ::testing::TestWithParam<platform::CodePage> {};

TEST_P(TortureInCodePage, EveryOddEntryIsListedWithItsDetails) {
    const TempTree tree;
    MakeTortureEntries(tree);
    const Problems problems = RunGuarded({tree.root()}, [&] {
        platform::SetActiveCodePage(GetParam());
        return WalkTortureTree(tree.root());
    });
    EXPECT_TRUE(problems.empty()) << Describe(problems);
}

INSTANTIATE_TEST_SUITE_P(Torture, TortureInCodePage,
                         ::testing::Values(platform::CodePage::Utf8, platform::CodePage::Cp932),
                         [](const ::testing::TestParamInfo<platform::CodePage>& info) {
                             return info.param == platform::CodePage::Cp932 ? "CodePage932"
                                                                            : "Utf8";
                         });

TEST(Torture, FilteredWalkKeepsTheLineFormat) {
    const TempTree tree;
    MakeTortureEntries(tree);
    const Problems problems = RunGuarded({tree.root()}, [&] {
        platform::SetActiveCodePage(platform::CodePage::Cp932);
        CSerchFiles engine(tree.root().c_str(), "txt \x5C fifo  t\x81", MAX_SEARCH_DEPTH);
        Problems found = CheckListing(engine);
        for (const Problems& more : {CheckDetailsWhileChanging(engine), CheckRendering(engine)}) {
            found.insert(found.end(), more.begin(), more.end());
        }
        return found;
    });
    EXPECT_TRUE(problems.empty()) << Describe(problems);
}

TEST(Torture, HundredThousandFilesInOneFolder) {
    TempTree tree;
    tree.makeFolder("wide");
    {
        const Folder wide(tree.path("wide"));
        for (int i = 0; i < 100'000; ++i) {
            wide.file(Numbered("file-", i, ".dat"));
        }
    }
    const Problems problems =
        RunGuarded({tree.root()}, [&] { return WalkAndCompare(tree.root() + "/wide"); });
    EXPECT_TRUE(problems.empty()) << Describe(problems);
}

// Sixteen folders of files and subfolders, for a second thread to change.
constexpr int kBusyFolders = 16;
constexpr int kBusyFiles = 300;

void MakeBusyTree(const TempTree& tree) {
    tree.makeFolder("busy");
    const Folder busy(tree.path("busy"));
    for (int d = 0; d < kBusyFolders; ++d) {
        const std::string name = Numbered("d", d);
        busy.folder(name);
        const Folder folder(busy, name);
        for (int f = 0; f < kBusyFiles; ++f) {
            folder.file(Numbered("f", f, ".txt"));
        }
        folder.folder("sub");
        const Folder sub(folder, "sub");
        for (int f = 0; f < kBusyFiles / 3; ++f) {
            sub.file(Numbered("g", f));
        }
    }
}

// Renames every folder away and back, deleting and making files again in
// it, until told to stop. Failures are ignored: the walk races with this.
void ChangeBusyTree(const std::string& path, const std::atomic<bool>& stop) {
    const int busy = ::open(path.c_str(), kFolderFlags);
    for (unsigned round = 0; !stop.load(); ++round) {
        for (int d = 0; d < kBusyFolders && !stop.load(); ++d) {
            const std::string name = Numbered("d", d);
            const std::string moved = name + ".moved";
            ::renameat(busy, name.c_str(), busy, moved.c_str());
            const int folder = ::openat(busy, moved.c_str(), kFolderFlags);
            for (int f = static_cast<int>(round % 7); f < kBusyFiles; f += 7) {
                const std::string file = Numbered("f", f, ".txt");
                if (::unlinkat(folder, file.c_str(), 0) != 0) {
                    ::mknodat(folder, file.c_str(), S_IFREG | 0644, 0);
                }
            }
            ::close(folder);
            ::renameat(busy, moved.c_str(), busy, name.c_str());
        }
    }
    ::close(busy);
}

TEST(Torture, FilesDeletedAndFoldersRenamedDuringTheWalk) {
    const TempTree tree;
    MakeBusyTree(tree);
    const std::string busy = tree.path("busy");
    const Problems problems = RunGuarded({tree.root()}, [&] {
        std::atomic<bool> stop{false};
        std::thread changer(ChangeBusyTree, busy, std::cref(stop));
        Problems found;
        for (int round = 0; round < 20 && found.empty(); ++round) {
            CSerchFiles engine(busy.c_str(), MAX_SEARCH_DEPTH);
            found = CheckListing(engine);
            for (const Problems& more :
                 {CheckDetailsWhileChanging(engine), CheckRendering(engine)}) {
                found.insert(found.end(), more.begin(), more.end());
            }
        }
        stop = true;
        changer.join();
        return found;
    });
    EXPECT_TRUE(problems.empty()) << Describe(problems);
}

// Folders and files that a user without root's rights cannot read: a closed
// folder, one that can be listed but not entered, one that can be entered but
// not listed, and a closed file and FIFO.
void MakeLockedTree(const TempTree& tree) {
    tree.makeFolder("locked");
    const Folder locked(tree.path("locked"));
    locked.folder("closed");
    {
        const Folder closed(locked, "closed");
        closed.file("secret.txt", 10);
        closed.folder("inner");
    }
    locked.folder("listonly");
    {
        const Folder listOnly(locked, "listonly");
        listOnly.file("a.txt", 5);
        listOnly.folder("sub");
        const Folder sub(listOnly, "sub");
        sub.file("b.txt");
    }
    locked.folder("enteronly");
    {
        const Folder enterOnly(locked, "enteronly");
        enterOnly.file("c.txt");
    }
    locked.file("secret.bin", 77);
    locked.fifo("fifo");
    const std::pair<const char*, mode_t> modes[] = {
        {"closed", 0}, {"listonly", 0444}, {"enteronly", 0111}, {"secret.bin", 0}, {"fifo", 0}};
    for (const auto& [name, mode] : modes) {
        Check(::fchmodat(locked.fd(), name, mode, 0) == 0, std::string("chmod ") + name);
    }
}

// Returns the index of the line `text`, or -1.
int LineIndex(CSerchFiles& engine, std::string_view text) {
    const CStringArray& listing = *engine.gFc_GetListFiles();
    for (int i = 0; i < listing.GetSize(); ++i) {
        if (listing[i].view() == text) {
            return i;
        }
    }
    return -1;
}

TEST(Torture, UnreadableEntriesWithoutRootRights) {
    const TempTree tree;
    MakeLockedTree(tree);
    const std::string locked = tree.path("locked");
    GuardOptions options{tree.root()};
    options.dropRights = true;
    const Problems problems = RunGuarded(options, [&] {
        Problems found = WalkAndCompare(locked);
        CSerchFiles engine(locked.c_str(), MAX_SEARCH_DEPTH);
        const int closed = LineIndex(engine, "*closed");
        const int listed = LineIndex(engine, "\ta.txt");
        const int secret = LineIndex(engine, "secret.bin");
        if (closed < 0 || LineIndex(engine, "\tsecret.txt") >= 0) {
            found.push_back("the closed folder is not listed as an empty folder");
        }
        if (listed < 0 || !engine.gFc_GetFileInfo(listed).m_FullPath.IsEmpty()) {
            found.push_back(
                "a.txt in a folder that can be listed, not entered: not listed, "
                "or found although lstat must fail");
        }
        if (secret < 0 || engine.gFc_GetFileInfo(secret).m_Length != 77) {
            found.push_back("the closed file secret.bin is not listed with its size");
        }
        if (LineIndex(engine, "*enteronly") < 0 || LineIndex(engine, "\tc.txt") >= 0) {
            found.push_back("the folder that can be entered, not listed, is not empty");
        }
        return found;
    });
    EXPECT_TRUE(problems.empty()) << Describe(problems);
}

}  // namespace
}  // namespace tandrel::torture
