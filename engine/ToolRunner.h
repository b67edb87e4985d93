#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
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
// PATH, or null when it is unset.
std::vector<std::filesystem::path> toolSearchDirectories(const ToolLocations &locations,
                                                         const char *pathVariable);

// First executable named `name` in toolSearchDirectories (application
// locations, current PATH).
std::optional<std::string> locateTool(const std::string &name);

struct RunOptions {
    // Extra environment entries for the child ("NAME", "value").
    std::vector<std::pair<std::string, std::string>> environment;
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
