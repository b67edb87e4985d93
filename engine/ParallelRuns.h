// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ToolRunner.h"

#include <string>
#include <vector>

// Runs one child per argument list side by side (each waited on by a thread
// of its own, so each dies with its waiter) and returns their results in
// order. A JobControl in `options` stops all of them.
std::vector<ProcessResult> runToolsInParallel(const std::string &executablePath,
                                              const std::vector<std::vector<std::string>> &runs,
                                              const RunOptions &options);
