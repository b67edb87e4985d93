// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class JobControl;

// Exit status and diagnostic text of one child run.
struct ProcessResult {
    // The child's exit status; 128 + signal number when a signal killed it;
    // -1 when it could not be started.
    int exitStatus = -1;
    // The tail of what the child wrote to standard error (as much as
    // condenseToolOutput can use), or the start error's description.
    QString outputText;
};

// Where the application's own resources and installation live; the tool
// search looks there first. The program sets them at start, tests may too.
struct ToolLocations {
    std::optional<std::filesystem::path> resourcesFolder; // <prefix>/share/loomfin
    std::filesystem::path bundleFolder;                   // <prefix>
};
void setApplicationToolLocations(const ToolLocations &locations);
ToolLocations applicationToolLocations();

// The ordered, not de-duplicated search list. pathVariable is the value of
// PATH, or nullopt when it is unset.
std::vector<std::filesystem::path>
toolSearchDirectories(const ToolLocations &locations,
                      const std::optional<std::string> &pathVariable);

// First executable named `name` in toolSearchDirectories (application
// locations, the given PATH).
std::optional<std::string> locateTool(const std::string &name,
                                      const std::optional<std::string> &pathVariable);

// The process environment as "NAME=value" entries. Only the main thread may
// change the environment, so take the copy there and hand it to the job.
std::vector<std::string> environmentSnapshot();
// `entries` with NAME set to `value`, replacing any entry of that name.
std::vector<std::string> withEnvironmentEntry(std::vector<std::string> entries,
                                              const std::string &name, const std::string &value);
// The value of NAME in `entries`, or nullopt when it is not set.
std::optional<std::string> environmentValue(const std::vector<std::string> &entries,
                                            const std::string &name);

struct RunOptions {
    // The child's complete environment, "NAME=value" each.
    std::vector<std::string> environment;
    // When set, cancel() stops the child; the result then has a non-zero status.
    JobControl *control = nullptr;
};

// Runs the child to completion on the calling thread, draining both pipes
// while it runs; standard output is discarded.
ProcessResult runTool(const std::string &executablePath, const std::vector<std::string> &arguments,
                      const RunOptions &options = {});

// Last three non-blank lines joined by " | ", or "exit <status>".
QString condenseToolOutput(int status, const QString &text);

// The message shown when either tool cannot be found.
QString missingToolsMessage();
