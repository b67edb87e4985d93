// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ToolRunner.h"

#include <optional>
#include <string>
#include <vector>

struct ParallelResults {
    std::vector<ProcessResult> runs; // in the order given
    // The run that failed first; the others still running were stopped then,
    // so their results say nothing.
    std::optional<std::size_t> firstFailure;
};

// Runs one child per argument list side by side (each waited on by a thread
// of its own, so each dies with its waiter). A JobControl in `options` stops
// all of them; so does the first one that fails.
ParallelResults runToolsInParallel(const std::string &executablePath,
                                   const std::vector<std::vector<std::string>> &runs,
                                   const RunOptions &options);
