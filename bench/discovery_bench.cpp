// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Frame discovery and staging on a very large folder.
//
//   discovery_bench FOLDER RUNS LABEL=WORK_FOLDER...
//
// Fills FOLDER with 100,000 empty frame files (once), then times, in
// alternating order, discovery plus the selection summary against
// `find FOLDER -maxdepth 1 | LC_ALL=C sort`, the bare cost of listing and
// sorting the same names. Then, for each work folder, times the staging of
// 50,000 links (frame skip 2) into fresh folders there. Wall and CPU times
// are both kept: on a shared machine the wall time includes waiting for a
// core. Prints key=value lines.
#include "ConversionPipeline.h"
#include "FrameSequence.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 100000;
constexpr int kSkip = 2;

double clockMs(clockid_t clock) {
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double tvMs(const timeval &tv) {
    return double(tv.tv_sec) * 1e3 + double(tv.tv_usec) / 1e3;
}

struct Timing {
    double wallMs = -1;
    double cpuMs = -1;
};

class Stopwatch {
public:
    Stopwatch()
        : m_wall(clockMs(CLOCK_MONOTONIC))
        , m_cpu(clockMs(CLOCK_PROCESS_CPUTIME_ID)) {}
    Timing elapsed() const {
        return {clockMs(CLOCK_MONOTONIC) - m_wall, clockMs(CLOCK_PROCESS_CPUTIME_ID) - m_cpu};
    }

private:
    double m_wall;
    double m_cpu;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string joined(const std::vector<double> &values, int decimals = 1) {
    std::string out;
    char buffer[32];
    for (const double v : values) {
        std::snprintf(buffer, sizeof buffer, "%s%.*f", out.empty() ? "" : ",", decimals, v);
        out += buffer;
    }
    return out;
}

struct Series {
    std::vector<double> wall, cpu;
    void add(const Timing &t) {
        wall.push_back(t.wallMs);
        cpu.push_back(t.cpuMs);
    }
    void print(const std::string &key) const {
        std::printf("%s_ms=%.1f\n", key.c_str(), median(wall));
        std::printf("%s_cpu_ms=%.1f\n", key.c_str(), median(cpu));
        std::printf("%s_runs_ms=%s\n", key.c_str(), joined(wall).c_str());
        std::printf("%s_cpu_runs_ms=%s\n", key.c_str(), joined(cpu).c_str());
    }
};

bool makeFrames(const fs::path &folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    char name[32];
    for (int i = 1; i <= kEntries; ++i) {
        std::snprintf(name, sizeof name, "shot_%06d.png", i);
        const int fd = ::open((folder / name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    size_t count = 0;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error))
        ++count;
    return !error && count == size_t(kEntries);
}

// The listing baseline; the CPU time is that of the shell and both tools.
Timing timeFindAndSort(const fs::path &folder) {
    const std::string script = "find \"$1\" -maxdepth 1 | LC_ALL=C sort >/dev/null";
    const char *argv[] = {"sh", "-c", script.c_str(), "sh", folder.c_str(), nullptr};
    const double start = clockMs(CLOCK_MONOTONIC);
    rusage before{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
        return {};
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    Timing timing;
    timing.wallMs = clockMs(CLOCK_MONOTONIC) - start;
    rusage after{};
    ::getrusage(RUSAGE_CHILDREN, &after);
    timing.cpuMs =
        tvMs(after.ru_utime) + tvMs(after.ru_stime) - tvMs(before.ru_utime) - tvMs(before.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? timing : Timing{};
}

// Discovery as a job starts it: listing, filter, sort, mode, summary.
Timing timeDiscovery(const fs::path &folder, std::string &summary) {
    const Stopwatch watch;
    const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
    if (!sequence)
        return {};
    summary = selectionSummary(*sequence, 1, false).toStdString();
    const Timing timing = watch.elapsed();
    return sequence->frames.size() == size_t(kEntries) ? timing : Timing{};
}

size_t countLinks(const fs::path &folder) {
    size_t made = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error))
        made += it->is_symlink() ? 1 : 0;
    return made;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fputs("Usage: discovery_bench FOLDER RUNS LABEL=WORK_FOLDER...\n", stderr);
        return 2;
    }
    const fs::path folder = fs::absolute(argv[1]);
    const int runs = std::max(1, std::atoi(argv[2]));

    if (!makeFrames(folder)) {
        std::fprintf(stderr, "discovery_bench: could not fill %s\n", folder.c_str());
        return 1;
    }
    // Writeback of the new folder must not land inside a timed run.
    ::sync();

    // Warm the directory cache for both sides.
    std::string summary;
    timeDiscovery(folder, summary);
    timeFindAndSort(folder);

    Series discovery, findSort;
    std::vector<double> ratios;
    for (int i = 0; i < runs; ++i) {
        Timing d, f;
        if (i % 2 == 0) {
            d = timeDiscovery(folder, summary);
            f = timeFindAndSort(folder);
        } else {
            f = timeFindAndSort(folder);
            d = timeDiscovery(folder, summary);
        }
        if (d.wallMs < 0 || f.wallMs <= 0) {
            std::fputs("discovery_bench: a discovery or find run failed\n", stderr);
            return 1;
        }
        discovery.add(d);
        findSort.add(f);
        ratios.push_back(d.wallMs / f.wallMs);
    }
    std::printf("discovery_entries=%d\n", kEntries);
    std::printf("discovery_summary=%s\n", summary.c_str());
    discovery.print("discovery");
    findSort.print("find_sort");
    std::printf("discovery_ratio=%.2f\n", median(ratios));
    std::printf("discovery_ratios=%s\n", joined(ratios, 2).c_str());
    std::fflush(stdout);

    const auto skipped = discoverFrameSequence(folder, std::nullopt, kSkip);
    if (!skipped || skipped->inputMode != FrameInputMode::Staged) {
        std::fputs("discovery_bench: frame skip did not give a staged sequence\n", stderr);
        return 1;
    }
    const size_t links = skipped->frames.size();
    std::printf("staging_links=%zu\n", links);
    for (int a = 3; a < argc; ++a) {
        const std::string spec = argv[a];
        const auto eq = spec.find('=');
        if (eq == std::string::npos)
            return 2;
        const std::string label = spec.substr(0, eq);
        const fs::path work = fs::absolute(spec.substr(eq + 1));
        Series staging;
        std::vector<fs::path> made;
        for (int i = 0; i < runs; ++i) {
            const fs::path staged = work / ("staging_" + std::to_string(i));
            std::error_code ignored;
            fs::remove_all(staged, ignored);
            ::sync();
            const Stopwatch watch;
            stageFrames(*skipped, staged);
            staging.add(watch.elapsed());
            made.push_back(staged);
            const size_t count = countLinks(staged);
            if (count != links) {
                std::fprintf(stderr, "discovery_bench: staged %zu links, expected %zu\n", count,
                             links);
                return 1;
            }
        }
        // Removed only now: ext4 without a journal skips recently freed
        // inodes when it allocates, so removing between runs would slow
        // every later run (see README.md).
        for (const fs::path &staged : made) {
            std::error_code ignored;
            fs::remove_all(staged, ignored);
        }
        const std::string key = "staging_" + label;
        staging.print(key);
        std::printf("%s_us_per_link=%.1f\n", key.c_str(),
                    median(staging.wall) * 1000.0 / double(links));
        std::printf("%s_cpu_us_per_link=%.1f\n", key.c_str(),
                    median(staging.cpu) * 1000.0 / double(links));
        std::fflush(stdout);
    }
    ::sync();
    return 0;
}
