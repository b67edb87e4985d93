// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "JobSettings.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Everything a job needs, fixed when the job is accepted on the main thread.
struct JobRequest {
    std::filesystem::path folder;
    std::optional<std::vector<std::filesystem::path>> files; // files job only
    JobSettings settings;
    std::filesystem::path outputFolder; // resolved once, on the main thread
    // The process environment ("NAME=value") when the job was accepted: the
    // job reads PATH and TMPDIR from it and hands it to the tools.
    std::vector<std::string> environment;
    // Frame ranges of the GIF pass: 0 plans them from the cores, memory and
    // length (LOOMFIN_SEQUENTIAL=1 in `environment` makes that 1); 1 is the
    // sequential pipeline; more are taken as far as the delay cycle allows.
    int frameRanges = 0;

    // Command line only: the folder as typed (empty for frame files), which
    // the failure texts name; a job from the window has none.
    std::optional<QString> given;

    // The input of a folder job (settings and output folder still to fill).
    static JobRequest forFolder(const QUrl &folderURL);
    // The input of a files job: the folder of the first URL as received, the
    // file URLs sorted by name.
    static JobRequest forFiles(const QList<QUrl> &fileURLs);
};
