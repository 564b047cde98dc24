// tree-gen: makes a synthetic folder tree for benchmarks of the walk and of
// what is built on it.
//
//   tree-gen SHAPE ENTRIES FOLDER [SEED]
//
// SHAPE is one of
//   wide     one folder of ENTRIES files;
//   deep     a chain of 40 folders, the other entries spread over its levels;
//   mixed    a realistic tree: folders of 0-40 files (now and then up to 400)
//            and a few subfolders, fewer further down, to depth 12; some names
//            are Japanese (UTF-8), some hold blanks;
//   grid     ENTRIES written AxB: A folders side by side, B files in each;
//   chain    ENTRIES written AxB: A levels (FOLDER and A - 1 folders, each in
//            the one before), B files on each level;
//   folders  ENTRIES empty folders side by side;
//   singles  ENTRIES folders side by side, one file in each (2 x ENTRIES);
//   long     ENTRIES files whose names are 200 to 255 bytes long;
//   links    ENTRIES symbolic links, every second one dangling, the others to
//            the one file beside them (ENTRIES + 1).
// Unless the shape says otherwise, ENTRIES counts files and folders below
// FOLDER, which must not exist yet.
// Files are empty or sparse (sizes set with ftruncate), so a tree of a million
// entries costs little disk beyond its inodes; last-write times vary over 2000
// to 2024. The same SEED (default 1) gives the same tree.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A file time, seconds and nanoseconds, as stat gives it.
using Instant = decltype(stat::st_mtim);

// A small deterministic generator (splitmix64), the same on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E37'79B9'7F4A'7C15u);
        z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9u;
        z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBu;
        return z ^ (z >> 31);
    }
    /// Returns a number in [0, bound).
    std::uint64_t below(std::uint64_t bound) { return bound == 0 ? 0 : next() % bound; }
    bool chance(unsigned percent) { return below(100) < percent; }

  private:
    std::uint64_t state_;
};

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "tree-gen: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

constexpr std::string_view kExtensions[] = {"txt", "jpg", "png", "cpp", "h",   "md",
                                            "pdf", "gz",  "log", "csv", "html"};
constexpr std::string_view kWords[] = {"report", "photo", "notes",  "main",   "index",
                                       "data",   "draft", "backup", "readme", "image"};
constexpr std::string_view kJapanese[] = {"写真", "資料", "議事録", "見積書", "表示テスト"};
constexpr std::string_view kFolders[] = {"src", "docs", "assets", "build", "lib", "test", "old"};
constexpr std::string_view kJapaneseFolders[] = {"フォルダ", "画像", "作業中"};

class Generator {
  public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    // Makes one file in the folder `dir`, with a varied size and time.
    void file(int dir, const std::string& name) {
        const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            Die("create " + name);
        }
        if (random_.chance(15)) {
            // Sparse: up to 64 MiB now and then, one in a thousand past 4 GiB.
            const off_t size = random_.chance(1) && random_.chance(10)
                                   ? (off_t{5} << 30)
                                   : static_cast<off_t>(random_.below(64u << 20));
            if (::ftruncate(fd, size) != 0) {
                Die("ftruncate " + name);
            }
        }
        const Instant times[] = {{0, UTIME_OMIT}, randomTime()};
        ::futimens(fd, times);
        ::close(fd);
        ++files_;
    }

    // Makes the symbolic link `name` in `dir`, pointing at `target`.
    void link(int dir, const std::string& name, const std::string& target) {
        if (::symlinkat(target.c_str(), dir, name.c_str()) != 0) {
            Die("symlink " + name);
        }
        ++files_;
    }

    // Makes the folder `name` in `dir` and returns it open.
    int folder(int dir, const std::string& name) {
        if (::mkdirat(dir, name.c_str(), 0755) != 0) {
            Die("mkdir " + name);
        }
        const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            Die("open " + name);
        }
        ++folders_;
        return fd;
    }

    std::string fileName(std::uint64_t serial) {
        std::string name;
        const auto pick = random_.below(100);
        if (pick < 8) {
            name = kJapanese[random_.below(std::size(kJapanese))];
            name += "_";
        } else if (pick < 16) {
            name = "My ";
            name += kWords[random_.below(std::size(kWords))];
            name += " ";
        } else if (pick < 17) {
            name = " leading";
        } else {
            name = kWords[random_.below(std::size(kWords))];
            name += "_";
        }
        name += std::to_string(serial);
        if (!random_.chance(5)) {
            name += ".";
            name += kExtensions[random_.below(std::size(kExtensions))];
        }
        return name;
    }

    std::string folderName(std::uint64_t serial) {
        std::string name(random_.chance(10)
                             ? kJapaneseFolders[random_.below(std::size(kJapaneseFolders))]
                             : kFolders[random_.below(std::size(kFolders))]);
        name += random_.chance(10) ? " " : "-";
        name += std::to_string(serial);
        return name;
    }

    Random& random() { return random_; }
    std::uint64_t files() const { return files_; }
    std::uint64_t folders() const { return folders_; }

  private:
    Instant randomTime() {
        constexpr std::int64_t k2000 = 946'684'800;
        constexpr std::int64_t kSpan = 25LL * 365 * 86'400;
        return {static_cast<time_t>(k2000 + static_cast<std::int64_t>(random_.below(kSpan))),
                static_cast<long>(random_.below(1'000'000'000))};
    }

    Random random_;
    std::uint64_t files_ = 0;
    std::uint64_t folders_ = 0;
};

void Wide(Generator& gen, int root, std::uint64_t entries) {
    for (std::uint64_t i = 0; i < entries; ++i) {
        gen.file(root, gen.fileName(i));
    }
}

void Deep(Generator& gen, int root, std::uint64_t entries) {
    constexpr std::uint64_t kLevels = 40;
    const std::uint64_t levels = entries < kLevels ? entries : kLevels;
    const std::uint64_t perLevel = levels == 0 ? 0 : (entries - levels) / levels;
    std::uint64_t left = entries - levels;
    int dir = ::dup(root);
    for (std::uint64_t level = 0; level < levels; ++level) {
        const int next = gen.folder(dir, "level" + std::to_string(level));
        ::close(dir);
        dir = next;
        const std::uint64_t count = level + 1 == levels ? left : perLevel;
        for (std::uint64_t i = 0; i < count; ++i) {
            gen.file(dir, gen.fileName(i));
        }
        left -= count;
    }
    ::close(dir);
}

void Grid(Generator& gen, int root, std::uint64_t folders, std::uint64_t files) {
    for (std::uint64_t i = 0; i < folders; ++i) {
        const int dir = gen.folder(root, gen.folderName(i));
        for (std::uint64_t k = 0; k < files; ++k) {
            gen.file(dir, gen.fileName(k));
        }
        ::close(dir);
    }
}

void Chain(Generator& gen, int root, std::uint64_t levels, std::uint64_t files) {
    int dir = ::dup(root);
    for (std::uint64_t level = 0; level < levels; ++level) {
        if (level > 0) {
            const int next = gen.folder(dir, "level" + std::to_string(level));
            ::close(dir);
            dir = next;
        }
        for (std::uint64_t k = 0; k < files; ++k) {
            gen.file(dir, gen.fileName(k));
        }
    }
    ::close(dir);
}

void Folders(Generator& gen, int root, std::uint64_t entries) {
    for (std::uint64_t i = 0; i < entries; ++i) {
        ::close(gen.folder(root, gen.folderName(i)));
    }
}

void Singles(Generator& gen, int root, std::uint64_t entries) {
    for (std::uint64_t i = 0; i < entries; ++i) {
        const int dir = gen.folder(root, gen.folderName(i));
        gen.file(dir, gen.fileName(i));
        ::close(dir);
    }
}

// A name of 200 to 255 bytes: an ordinary file name (unique by its serial)
// behind a run of words cut to the length drawn.
void LongNames(Generator& gen, int root, std::uint64_t entries) {
    std::string filler;
    while (filler.size() < 255) {
        for (const std::string_view word : kWords) {
            filler += word;
            filler += '_';
        }
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::string tail = gen.fileName(i);
        const std::size_t length = 200 + gen.random().below(56);
        gen.file(root, filler.substr(0, length - tail.size()) + tail);
    }
}

void Links(Generator& gen, int root, std::uint64_t entries) {
    const std::string target = "target.txt";
    gen.file(root, target);
    for (std::uint64_t i = 0; i < entries; ++i) {
        gen.link(root, gen.fileName(i), i % 2 == 0 ? target : "missing-" + std::to_string(i));
    }
}

// Fills folders picked at random from those made but not yet filled, so the
// tree grows at every depth at once, as real trees do. Folders waiting to be
// filled are kept as paths, not descriptors, so there is no limit on them.
void Mixed(Generator& gen, int root, std::uint64_t entries) {
    constexpr int kMaxDepth = 12;
    struct Waiting {
        std::string path;  // relative to the root; "." for the root itself
        int depth;
    };
    std::vector<Waiting> waiting{{".", 0}};
    Random& random = gen.random();
    std::uint64_t made = 0;
    while (made < entries) {
        if (waiting.empty()) {
            // Every branch reached the deepest level: start a new one at the top.
            const std::string name = gen.folderName(made);
            ::close(gen.folder(root, name));
            waiting.push_back({name, 1});
            ++made;
            continue;
        }
        const std::size_t at = random.below(waiting.size());
        const Waiting here = std::move(waiting[at]);
        waiting[at] = std::move(waiting.back());
        waiting.pop_back();
        const int dir = ::openat(root, here.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0) {
            Die("open " + here.path);
        }
        const std::uint64_t files =
            random.chance(10) ? 0 : random.below(random.chance(10) ? 400 : 40);
        // Fewer subfolders further down, as in real trees; none at the deepest level.
        const std::uint64_t fanOut = here.depth < 3 ? 8 : here.depth < 7 ? 5 : 3;
        const std::uint64_t folders = here.depth + 1 >= kMaxDepth ? 0 : random.below(fanOut);
        for (std::uint64_t i = 0; i < folders && made < entries; ++i, ++made) {
            const std::string name = gen.folderName(i);
            ::close(gen.folder(dir, name));
            waiting.push_back({here.path + "/" + name, here.depth + 1});
        }
        for (std::uint64_t i = 0; i < files && made < entries; ++i, ++made) {
            gen.file(dir, gen.fileName(i));
        }
        ::close(dir);
    }
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage =
        "usage: tree-gen wide|deep|mixed|folders|singles|long|links ENTRIES FOLDER [SEED]\n"
        "       tree-gen grid|chain AxB FOLDER [SEED]\n";
    if (argc < 4 || argc > 5) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string_view shape = argv[1];
    // ENTRIES, or the two counts of "AxB" for grid and chain.
    char* end = nullptr;
    const std::uint64_t entries = std::strtoull(argv[2], &end, 10);
    const bool paired = shape == "grid" || shape == "chain";
    const std::uint64_t each = paired && *end == 'x' ? std::strtoull(end + 1, &end, 10) : 0;
    const std::uint64_t seed = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 1;
    constexpr std::string_view kShapes[] = {"wide",    "deep",    "mixed", "grid", "chain",
                                            "folders", "singles", "long",  "links"};
    if (std::find(std::begin(kShapes), std::end(kShapes), shape) == std::end(kShapes) ||
        *end != '\0' || (paired && each == 0)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (::mkdir(argv[3], 0755) != 0) {
        Die(std::string("mkdir ") + argv[3]);
    }
    const int root = ::open(argv[3], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        Die(std::string("open ") + argv[3]);
    }
    Generator gen(seed);
    if (shape == "wide") {
        Wide(gen, root, entries);
    } else if (shape == "deep") {
        Deep(gen, root, entries);
    } else if (shape == "mixed") {
        Mixed(gen, root, entries);
    } else if (shape == "grid") {
        Grid(gen, root, entries, each);
    } else if (shape == "chain") {
        Chain(gen, root, entries, each);
    } else if (shape == "folders") {
        Folders(gen, root, entries);
    } else if (shape == "singles") {
        Singles(gen, root, entries);
    } else if (shape == "long") {
        LongNames(gen, root, entries);
    } else {
        Links(gen, root, entries);
    }
    ::close(root);
    std::printf("%s: %llu entries (%llu folders, %llu files)\n", argv[3],
                static_cast<unsigned long long>(gen.folders() + gen.files()),
                static_cast<unsigned long long>(gen.folders()),
                static_cast<unsigned long long>(gen.files()));
    return 0;
}
