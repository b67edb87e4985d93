// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifJoiner.h"

#include "GifReader.h"

#include <fstream>
#include <string>

bool joinGifs(const std::vector<std::filesystem::path> &parts,
              const std::filesystem::path &output) {
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    std::string header;
    GifBlock block;
    for (const std::filesystem::path &part : parts) {
        GifReader in(part);
        if (!in.isOpen())
            return false;
        const bool first = header.empty();
        if (first) {
            header = in.header();
            out.write(header.data(), std::streamsize(header.size()));
        } else if (in.header() != header) {
            return false;
        }
        while (in.next(block)) {
            // One loop extension.
            if (first || block.isImage() || block.label() != 0xFF)
                out.write(block.bytes.data(), std::streamsize(block.bytes.size()));
        }
        if (!in.isComplete())
            return false;
    }
    if (header.empty())
        return false;
    out.put(char(0x3B));
    out.close();
    return bool(out);
}
