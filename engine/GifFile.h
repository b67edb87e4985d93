// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <optional>

// What a GIF file holds, read from its block structure.
struct GifFile {
    int imageCount = 0;
    // The sum of the images' delays (each from the Graphic Control Extension
    // before it; none is 0), in hundredths of a second.
    long long totalDelay = 0;

    // The file's summary when it is a complete GIF: signature, screen
    // descriptor, every block through the trailer (0x3B) at the very end.
    // Nothing for a missing, empty, truncated or otherwise broken file, and
    // for anything but a regular file (never waits on a FIFO).
    static std::optional<GifFile> inspect(const std::filesystem::path &path);
};
