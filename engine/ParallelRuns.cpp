// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ParallelRuns.h"

#include "JobControl.h"

#include <mutex>
#include <thread>

ParallelResults runToolsInParallel(const std::string &executablePath,
                                   const std::vector<std::vector<std::string>> &runs,
                                   const RunOptions &options) {
    ParallelResults results;
    results.runs.resize(runs.size());
    JobControl group;
    if (options.control)
        options.control->follow(&group);
    RunOptions groupOptions = options;
    groupOptions.control = &group;
    std::mutex failureMutex;
    const auto run = [&](std::size_t i) {
        ProcessResult result = runTool(executablePath, runs[i], groupOptions);
        if (result.exitStatus != 0) {
            std::lock_guard lock(failureMutex);
            // A run ended by the group's stop is not the cause.
            if (!group.isCancelled()) {
                results.firstFailure = i;
                group.cancel();
            }
        }
        results.runs[i] = std::move(result);
    };
    std::vector<std::thread> waiters;
    for (std::size_t i = 1; i < runs.size(); ++i)
        waiters.emplace_back(run, i);
    if (!runs.empty())
        run(0);
    for (std::thread &waiter : waiters)
        waiter.join();
    if (options.control)
        options.control->unfollow(&group);
    return results;
}
