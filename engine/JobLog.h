// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>
#include <chrono>
#include <string>
#include <vector>

// "loomfin.job": each tool's command line and run time on standard error, for
// bug reports. Off unless enabled, e.g. QT_LOGGING_RULES="loomfin.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcJob)

namespace JobLog {
// The command line as a POSIX shell would take it: words quoted only where needed.
std::string commandLine(const std::string &program, const std::vector<std::string> &arguments);

// One tool run: logs the command line when made, the exit status and time at finished().
class ToolRun {
public:
    ToolRun(const std::string &program, const std::vector<std::string> &arguments);
    void finished(int exitStatus) const;

private:
    std::string m_program;
    std::chrono::steady_clock::time_point m_start;
};
} // namespace JobLog
