// walk-bench: times the Morvash walk on real trees (made with tree-gen) beside
// find(1) on the same tree, in the same run, with a warm cache.
//
//   walk-bench [--runs N] FOLDER...
//
// For each folder it prints the median of N runs (default 3) of
//   find FOLDER > /dev/null                  the reference for the walk alone;
//   find FOLDER -printf '%s %T@\n' > /dev/null  the reference for walk + details;
//   the walk alone (constructing CSerchFiles, every file accepted, depth 32);
//   the walk plus gFc_GetFileInfo for every line;
// as seconds, entries per second and speed ratios against find, then the
// memory that the listing costs: peak RSS growth over the walk, per line, and
// per line beyond the names' own bytes (measured in a fresh process, so no
// earlier walk's freed memory hides any growth). Last, the cost per line of
// gFc_GetFileInfo over the first and the last tenth of the listing: equal
// costs show that a query does not grow with the line's index.

#include <fcntl.h>
#include <spawn.h>
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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a program with its standard output sent to `outFd`; returns its status.
int Run(const std::vector<std::string>& args, int outFd) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    if (failed == 0) {
        ::waitpid(pid, &status, 0);
    }
    return status;
}

// Returns the median of `runs` measurements (seconds) made by `measure`.
double MedianOf(int runs, const std::function<double()>& measure) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(measure());
    }
    return Median(times);
}

double TimeProgram(const std::vector<std::string>& args, int outFd) {
    const Clock::time_point start = Clock::now();
    Run(args, outFd);
    return SecondsSince(start);
}

// Times the construction of the engine object, which is the whole walk; its
// destruction, after the clock has stopped, is not part of the walk.
double TimeWalk(const char* folder) {
    const Clock::time_point start = Clock::now();
    const auto walk = std::make_unique<CSerchFiles>(folder, "", MAX_SEARCH_DEPTH);
    return SecondsSince(start);
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
    Run({"/proc/self/exe", "--memory", folder}, fds[1]);
    ::close(fds[1]);
    char text[128] = {};
    const ssize_t got = ::read(fds[0], text, sizeof text - 1);
    ::close(fds[0]);
    if (got > 0) {
        std::sscanf(text, "%lld %lld %lld", &memory.lines, &memory.nameBytes, &memory.growth);
    }
    return memory;
}

struct Details {
    double total = 0;  // seconds for the walk and every query
    double first = 0;  // seconds per line over the first tenth of the lines
    double last = 0;   // and over the last tenth
    unsigned long long checksum = 0;
};

// Walks and asks gFc_GetFileInfo for every line, timing the first and last tenth.
Details WalkWithDetails(const char* folder) {
    const Clock::time_point begin = Clock::now();
    CSerchFiles walk(folder, "", MAX_SEARCH_DEPTH);
    const int lines = walk.gFc_GetListFiles()->GetSize();
    const int tenth = std::max(1, lines / 10);
    Details details;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < lines; ++i) {
        if (i == lines - tenth) {
            start = Clock::now();
        }
        const CFileInfo info = walk.gFc_GetFileInfo(i);
        details.checksum += info.m_Length + info.m_LastWrite.wSecond;
        if (i == tenth - 1) {
            details.first = SecondsSince(start) / tenth;
        }
    }
    details.last = SecondsSince(start) / tenth;
    details.total = SecondsSince(begin);
    return details;
}

void Bench(const char* folder, int runs) {
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const std::vector<std::string> find = {"find", folder};
    const std::vector<std::string> findPrintf = {"find", folder, "-printf", "%s %T@\n"};
    Run(findPrintf, devNull);  // warm the cache for everyone

    const Memory memory = MeasureInFreshProcess(folder);
    const double lines = static_cast<double>(memory.lines);
    const double findTime = MedianOf(runs, [&] { return TimeProgram(find, devNull); });
    const double findPrintfTime = MedianOf(runs, [&] { return TimeProgram(findPrintf, devNull); });
    const double walkTime = MedianOf(runs, [&] { return TimeWalk(folder); });
    Details details;
    const double detailsTime = MedianOf(runs, [&] {
        details = WalkWithDetails(folder);
        return details.total;
    });
    ::close(devNull);

    std::printf("%s: %lld lines, median of %d runs\n", folder, memory.lines, runs);
    const auto row = [&](const char* what, double seconds, const char* versus, double ratio) {
        std::printf("  %-36s %8.3f s %12.0f entries/s", what, seconds, lines / seconds);
        if (versus != nullptr) {
            std::printf("   %.2fx the speed of %s", ratio, versus);
        }
        std::printf("\n");
    };
    row("find DIR > /dev/null", findTime, nullptr, 0);
    row("find DIR -printf '%s %T@\\n'", findPrintfTime, nullptr, 0);
    row("walk (CSerchFiles)", walkTime, "find", findTime / walkTime);
    row("walk + gFc_GetFileInfo every line", detailsTime, "find -printf",
        findPrintfTime / detailsTime);
    std::printf(
        "  memory: peak RSS growth %.1f MB = %.1f bytes/line; names %.1f bytes/line; "
        "%.1f bytes/line beyond the names\n",
        static_cast<double>(memory.growth) / 1e6, static_cast<double>(memory.growth) / lines,
        static_cast<double>(memory.nameBytes) / lines,
        static_cast<double>(memory.growth - memory.nameBytes) / lines);
    std::printf(
        "  gFc_GetFileInfo: %.2f us/line over the first tenth, %.2f us/line over the "
        "last (ratio %.2f; checksum %llu)\n",
        details.first * 1e6, details.last * 1e6, details.last / details.first, details.checksum);
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
    if (argc > 2 && std::string_view(argv[1]) == "--runs") {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: walk-bench [--runs N] FOLDER...\n");
        return 2;
    }
    for (int i = first; i < argc; ++i) {
        Bench(argv[i], runs);
    }
    return 0;
}
