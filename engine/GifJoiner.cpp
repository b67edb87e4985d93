// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "GifJoiner.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::size_t colorTableBytes(unsigned char flags) {
    return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0;
}

// Skips data sub-blocks from `pos` through their terminator; false if cut.
bool skipSubBlocks(const std::string &data, std::size_t &pos) {
    while (pos < data.size()) {
        const std::size_t size = static_cast<unsigned char>(data[pos++]);
        if (size == 0)
            return true;
        pos += size;
    }
    return false;
}

// Appends the part's blocks after its header to `out` (application
// extensions only when `first`); false for anything but a complete GIF.
bool appendBlocks(const std::string &data, std::size_t pos, bool first, std::string &out) {
    while (pos < data.size()) {
        const std::size_t start = pos;
        const auto introducer = static_cast<unsigned char>(data[pos]);
        bool keep = true;
        if (introducer == 0x3B)
            return pos + 1 == data.size();
        if (introducer == 0x21 && pos + 1 < data.size()) {
            keep = first || static_cast<unsigned char>(data[pos + 1]) != 0xFF; // loop once
            pos += 2;
        } else if (introducer == 0x2C && pos + 10 < data.size()) {
            pos += 10 + colorTableBytes(static_cast<unsigned char>(data[pos + 9])) + 1;
        } else {
            return false;
        }
        if (!skipSubBlocks(data, pos))
            return false;
        if (keep)
            out.append(data, start, pos - start);
    }
    return false;
}

} // namespace

bool joinGifs(const std::vector<std::filesystem::path> &parts,
              const std::filesystem::path &output) {
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    std::string joined, header; // one part's blocks at a time
    for (const std::filesystem::path &part : parts) {
        std::ifstream in(part, std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(in), {}};
        if (!in.good() && !in.eof())
            return false;
        if (data.size() < 13 ||
            (data.compare(0, 6, "GIF87a") != 0 && data.compare(0, 6, "GIF89a") != 0))
            return false;
        const std::size_t headerBytes = 13 + colorTableBytes(static_cast<unsigned char>(data[10]));
        if (data.size() < headerBytes)
            return false;
        const bool first = header.empty();
        if (first) {
            header = data.substr(0, headerBytes);
            joined = header;
        } else if (data.compare(0, headerBytes, header) != 0) {
            return false;
        }
        if (!appendBlocks(data, headerBytes, first, joined))
            return false;
        out.write(joined.data(), std::streamsize(joined.size()));
        joined.clear();
    }
    if (header.empty())
        return false;
    out.put(char(0x3B));
    out.close();
    return bool(out);
}
