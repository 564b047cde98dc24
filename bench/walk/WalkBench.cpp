// walk-bench: times the Morvash walk on real trees (made with tree-gen) beside
// find(1) on the same tree, in the same run, with a warm cache.
//
//   walk-bench [--runs N] FOLDER...
//   walk-bench --options [--runs N] FOLDER...
//
// For each folder it runs, N times in turn (default 3, after one warm-up find)
//   find FOLDER > /dev/null                  the reference for the walk alone;
//   find FOLDER -printf '%s %T@\n' > /dev/null  the reference for walk + details;
//   the walk alone (constructing CSerchFiles, every file accepted, depth 32);
//   the walk plus gFc_GetFileInfo for every line;
// and prints the median wall and CPU (user + system) times, entries per second
// and speed ratios against find. Taking turns and counting CPU time keep the
// ratios fair on a machine that other work shares. Then it prints the
// memory that the listing costs: peak RSS growth over the walk, per line, and
// per line beyond the names' own bytes (measured in a fresh process, so no
// earlier walk's freed memory hides any growth). Last, the cost per line of
// gFc_GetFileInfo over the first and the last tenth of the listing: equal
// costs show that a query does not grow with the line's index.
//
// With --options it times, in turns, the walk with each kind of WalkOptions
// (sorting by name and by size, three exclusions, no hidden names with folders
// first, git's ignore rules) against the plain walk, and prints each one's
// lines and cost against the plain walk.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/SerchFiles.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double CpuSeconds(const rusage& usage) {
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall-clock and CPU (user + system) seconds of one measurement.
struct Cost {
    double wall = 0;
    double cpu = 0;
};

double Median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

Cost Median(const std::vector<Cost>& costs) {
    std::vector<double> walls;
    std::vector<double> cpus;
    for (const Cost& cost : costs) {
        walls.push_back(cost.wall);
        cpus.push_back(cost.cpu);
    }
    return {Median(walls), Median(cpus)};
}

// Runs a program with its standard output sent to `outFd`.
Cost RunProgram(const std::vector<std::string>& args, int outFd) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    rusage usage{};
    int status = 0;
    if (failed == 0) {
        ::wait4(pid, &status, 0, &usage);
    }
    return {SecondsSince(start), CpuSeconds(usage)};
}

// Measures `work` in this process.
Cost Measure(const std::function<void()>& work) {
    rusage before{};
    rusage after{};
    ::getrusage(RUSAGE_SELF, &before);
    const Clock::time_point start = Clock::now();
    work();
    const double wall = SecondsSince(start);
    ::getrusage(RUSAGE_SELF, &after);
    return {wall, CpuSeconds(after) - CpuSeconds(before)};
}

// The walk is the construction of the engine object; its destruction, after
// the measurement, is not part of it.
Cost TimeWalk(const char* folder) {
    std::unique_ptr<CSerchFiles> walk;
    return Measure([&] { walk = std::make_unique<CSerchFiles>(folder, "", MAX_SEARCH_DEPTH); });
}

Cost TimeWalk(const char* folder, const morvash::WalkOptions& options, unsigned int& lines) {
    std::unique_ptr<CSerchFiles> walk;
    const Cost cost = Measure([&] { walk = std::make_unique<CSerchFiles>(folder, "", options); });
    lines = static_cast<unsigned int>(walk->gFc_GetListFiles()->GetSize());
    return cost;
}

// The walk with each kind of option, taking turns, against the plain walk.
void BenchOptions(const char* folder, int runs) {
    struct Variant {
        const char* what;
        morvash::WalkOptions options;
        std::vector<Cost> costs;
        unsigned int lines = 0;
    };
    std::vector<Variant> variants(6);
    variants[0].what = "plain (WalkOptions{})";
    variants[1].what = "sort name";
    variants[1].options.sort = morvash::SortKey::Name;
    variants[2].what = "sort size";
    variants[2].options.sort = morvash::SortKey::Size;
    variants[3].what = "3 excludes (node_modules/ *.o .cache)";
    variants[3].options.exclude = {"node_modules/", "*.o", ".cache"};
    variants[4].what = "no hidden, dirs first";
    variants[4].options.noHidden = true;
    variants[4].options.dirsFirst = true;
    variants[5].what = "gitignore";
    variants[5].options.gitignore = true;
    for (Variant& variant : variants) {
        TimeWalk(folder, variant.options, variant.lines);  // warm up
    }
    for (int run = 0; run < runs; ++run) {
        for (Variant& variant : variants) {
            variant.costs.push_back(TimeWalk(folder, variant.options, variant.lines));
        }
    }
    const Cost plain = Median(variants[0].costs);
    std::printf("%s: walk options, median of %d runs\n", folder, runs);
    std::printf("  %-40s %9s %9s %9s   %s\n", "", "lines", "wall s", "CPU s",
                "cost against plain (wall, CPU)");
    for (const Variant& variant : variants) {
        const Cost cost = Median(variant.costs);
        std::printf("  %-40s %9u %9.3f %9.3f   %.2fx, %.2fx\n", variant.what, variant.lines,
                    cost.wall, cost.cpu, cost.wall / plain.wall, cost.cpu / plain.cpu);
    }
    std::fflush(stdout);
}

struct Details {
    Cost cost;         // the walk and every query
    double first = 0;  // seconds per query over the first tenth of the lines
    double last = 0;   // and over the last tenth
    unsigned long long checksum = 0;
};

// Walks and asks gFc_GetFileInfo for every line, timing the first and last tenth.
Details WalkWithDetails(const char* folder) {
    std::unique_ptr<CSerchFiles> walk;
    Details details;
    details.cost = Measure([&] {
        walk = std::make_unique<CSerchFiles>(folder, "", MAX_SEARCH_DEPTH);
        const int lines = walk->gFc_GetListFiles()->GetSize();
        const int tenth = std::max(1, lines / 10);
        Clock::time_point start = Clock::now();
        for (int i = 0; i < lines; ++i) {
            if (i == lines - tenth) {
                start = Clock::now();
            }
            const CFileInfo info = walk->gFc_GetFileInfo(i);
            details.checksum += info.m_Length + info.m_LastWrite.wSecond;
            if (i == tenth - 1) {
                details.first = SecondsSince(start) / tenth;
            }
        }
        details.last = SecondsSince(start) / tenth;
    });
    return details;
}

// Reads a "Name:  1234 kB" field of /proc/self/status, in bytes.
long long StatusBytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field)) {
            return std::atoll(line.c_str() + field.size()) * 1024;
        }
    }
    return 0;
}

struct Memory {
    long long lines = 0;
    long long nameBytes = 0;
    long long growth = 0;
};

// In a fresh process: the peak RSS growth of one walk, with the listing alive.
Memory MeasureHere(const char* folder) {
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak (VmHWM) from now
    const long long before = StatusBytes("VmRSS:");
    CSerchFiles walk(folder, "", MAX_SEARCH_DEPTH);
    Memory memory;
    memory.growth = StatusBytes("VmHWM:") - before;
    const CStringArray& listing = *walk.gFc_GetListFiles();
    memory.lines = listing.GetSize();
    for (int i = 0; i < listing.GetSize(); ++i) {
        const std::string_view line = listing[i].view();
        const std::size_t indent = line.find_first_not_of('\t');
        memory.nameBytes +=
            static_cast<long long>(line.size() - indent) - (line[indent] == '*' ? 1 : 0);
    }
    return memory;
}

Memory MeasureInFreshProcess(const char* folder) {
    int fds[2];
    Memory memory;
    if (::pipe(fds) != 0) {
        return memory;
    }
    RunProgram({"/proc/self/exe", "--memory", folder}, fds[1]);
    ::close(fds[1]);
    char text[128] = {};
    const ssize_t got = ::read(fds[0], text, sizeof text - 1);
    ::close(fds[0]);
    if (got > 0) {
        std::sscanf(text, "%lld %lld %lld", &memory.lines, &memory.nameBytes, &memory.growth);
    }
    return memory;
}

void Bench(const char* folder, int runs) {
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const std::vector<std::string> find = {"find", folder};
    const std::vector<std::string> findPrintf = {"find", folder, "-printf", "%s %T@\n"};
    RunProgram(findPrintf, devNull);  // warm the cache for everyone

    const Memory memory = MeasureInFreshProcess(folder);
    std::vector<Cost> findCosts;
    std::vector<Cost> findPrintfCosts;
    std::vector<Cost> walkCosts;
    std::vector<Cost> detailsCosts;
    std::vector<double> firsts;
    std::vector<double> lasts;
    Details details;
    for (int run = 0; run < runs; ++run) {
        findCosts.push_back(RunProgram(find, devNull));
        walkCosts.push_back(TimeWalk(folder));
        findPrintfCosts.push_back(RunProgram(findPrintf, devNull));
        details = WalkWithDetails(folder);
        detailsCosts.push_back(details.cost);
        firsts.push_back(details.first);
        lasts.push_back(details.last);
    }
    ::close(devNull);
    const Cost findCost = Median(findCosts);
    const Cost findPrintfCost = Median(findPrintfCosts);

    const double lines = static_cast<double>(memory.lines);
    std::printf("%s: %lld lines, median of %d runs\n", folder, memory.lines, runs);
    std::printf("  %-34s %9s %9s %13s   %s\n", "", "wall s", "CPU s", "entries/s",
                "speed ratio (wall, CPU)");
    const auto row = [&](const char* what, const Cost& cost, const char* versus,
                         const Cost& reference) {
        std::printf("  %-34s %9.3f %9.3f %13.0f", what, cost.wall, cost.cpu, lines / cost.wall);
        if (versus != nullptr) {
            std::printf("   %.2fx, %.2fx %s", reference.wall / cost.wall, reference.cpu / cost.cpu,
                        versus);
        }
        std::printf("\n");
    };
    row("find DIR > /dev/null", findCost, nullptr, {});
    row("find DIR -printf '%s %T@\\n'", findPrintfCost, nullptr, {});
    row("walk (CSerchFiles)", Median(walkCosts), "find", findCost);
    row("walk + gFc_GetFileInfo every line", Median(detailsCosts), "find -printf", findPrintfCost);
    std::printf(
        "  memory: peak RSS growth %.1f MB = %.1f bytes/line; names %.1f bytes/line; "
        "%.1f bytes/line beyond the names\n",
        static_cast<double>(memory.growth) / 1e6, static_cast<double>(memory.growth) / lines,
        static_cast<double>(memory.nameBytes) / lines,
        static_cast<double>(memory.growth - memory.nameBytes) / lines);
    std::printf(
        "  gFc_GetFileInfo: %.2f us/line over the first tenth, %.2f us/line over the "
        "last (ratio %.2f; checksum %llu)\n",
        Median(firsts) * 1e6, Median(lasts) * 1e6, Median(lasts) / Median(firsts),
        details.checksum);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--memory") {
        const Memory memory = MeasureHere(argv[2]);
        std::printf("%lld %lld %lld\n", memory.lines, memory.nameBytes, memory.growth);
        return 0;
    }
    int runs = 3;
    int first = 1;
    bool options = false;
    if (first < argc && std::string_view(argv[first]) == "--options") {
        options = true;
        ++first;
    }
    if (first + 1 < argc && std::string_view(argv[first]) == "--runs") {
        runs = std::max(1, std::atoi(argv[first + 1]));
        first += 2;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: walk-bench [--options] [--runs N] FOLDER...\n");
        return 2;
    }
    for (int i = first; i < argc; ++i) {
        if (options) {
            BenchOptions(argv[i], runs);
        } else {
            Bench(argv[i], runs);
        }
    }
    return 0;
}
