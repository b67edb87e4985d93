// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ParallelRuns.h"

#include <thread>

std::vector<ProcessResult> runToolsInParallel(const std::string &executablePath,
                                              const std::vector<std::vector<std::string>> &runs,
                                              const RunOptions &options) {
    std::vector<ProcessResult> results(runs.size());
    std::vector<std::thread> waiters;
    for (std::size_t i = 1; i < runs.size(); ++i)
        waiters.emplace_back([&, i] { results[i] = runTool(executablePath, runs[i], options); });
    if (!runs.empty())
        results[0] = runTool(executablePath, runs[0], options);
    for (std::thread &waiter : waiters)
        waiter.join();
    return results;
}
