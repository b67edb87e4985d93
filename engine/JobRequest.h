#pragma once

#include "JobSettings.h"

#include <filesystem>
#include <optional>
#include <vector>

// Everything a job needs, fixed when the job is accepted on the main thread.
struct JobRequest {
    std::filesystem::path folder;
    std::optional<std::vector<std::filesystem::path>> files; // files job only
    JobSettings settings;
    std::filesystem::path outputFolder; // resolved once, on the main thread
};
