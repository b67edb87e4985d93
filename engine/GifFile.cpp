// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifFile.h"

#include "GifReader.h"

std::optional<GifFile> GifFile::inspect(const std::filesystem::path &path) {
    GifReader in(path);
    GifFile gif;
    long long delay = 0; // of the next image
    GifBlock block;
    while (in.next(block)) {
        if (block.isImage()) {
            ++gif.imageCount;
            gif.totalDelay += delay;
            delay = 0;
        } else if (block.label() == 0xF9) { // graphic control: size, flags, delay (LE), ...
            const auto byte = [&block](std::size_t i) {
                return static_cast<unsigned char>(block.bytes[i]);
            };
            delay = byte(2) >= 3 ? byte(4) | byte(5) << 8 : 0;
        }
    }
    if (!in.isComplete())
        return std::nullopt;
    return gif;
}
