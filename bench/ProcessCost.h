// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What one run of a whole program costs, as the user pays for it: start-up, dynamic linking
// and all. Benchmarks of command-line work set it as their iteration time (UseManualTime).
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace padsmith::bench {

struct ProcessCost {
    double seconds = 0.0; // processor time, user and system
    double peakMiB = 0.0; // the program's peak resident memory
    bool ran = false;     // it started and ended without a signal
};

// Runs `argv` (the program looked up in PATH) with its output thrown away.
inline ProcessCost runProcess(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessCost cost;
    pid_t child = 0;
    if (posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) == child) {
            const auto seconds = [](const timeval& t) {
                return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
            };
            cost.seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
            cost.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
            cost.ran = WIFEXITED(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return cost;
}

// Times `argv` for each iteration of `state`, with its peak memory as a counter.
inline void timeProcess(benchmark::State& state, const std::vector<std::string>& argv) {
    double peak = 0.0;
    for (auto _ : state) {
        const ProcessCost cost = runProcess(argv);
        if (!cost.ran) {
            state.SkipWithError(("cannot run " + argv.front()).c_str());
            break;
        }
        state.SetIterationTime(cost.seconds);
        peak = std::max(peak, cost.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
}

// The fastest of the repetitions, beside their median: what a quiet machine gives.
inline double fastest(const std::vector<double>& times) {
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

} // namespace padsmith::bench
