// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JobLog.h"

// Debug messages only: the default rules keep them off.
Q_LOGGING_CATEGORY(lcJob, "loomfin.job", QtInfoMsg)

namespace {
std::string shellQuoted(const std::string &arg) {
    if (!arg.empty() && arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789_@%+=:,./-") == std::string::npos)
        return arg;
    std::string out = "'";
    for (const char c : arg) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
} // namespace

namespace JobLog {

std::string commandLine(const std::string &program, const std::vector<std::string> &arguments) {
    std::string line = shellQuoted(program);
    for (const std::string &a : arguments)
        line += ' ' + shellQuoted(a);
    return line;
}

ToolRun::ToolRun(const std::string &program, const std::vector<std::string> &arguments)
    : m_program(program)
    , m_start(std::chrono::steady_clock::now()) {
    qCDebug(lcJob, "run: %s", commandLine(program, arguments).c_str());
}

void ToolRun::finished(int exitStatus) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - m_start);
    qCDebug(lcJob, "%s: exit %d after %.3f s", shellQuoted(m_program).c_str(), exitStatus,
            double(elapsed.count()) / 1000);
}

} // namespace JobLog
