// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OptimisedGifJoiner.h"

#include "GifLzw.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

std::size_t colorTableBytes(unsigned char flags) {
    return (flags & 0x80) ? 3u << ((flags & 0x07) + 1) : 0;
}

unsigned char byteAt(const std::string &data, std::size_t pos) {
    return static_cast<unsigned char>(data[pos]);
}

// The sub-blocks' data from `pos` through their terminator; nothing if cut.
std::optional<std::string> readSubBlocks(const std::string &data, std::size_t &pos) {
    std::string joined;
    while (pos < data.size()) {
        const std::size_t size = byteAt(data, pos++);
        if (size == 0)
            return joined;
        if (pos + size > data.size())
            return std::nullopt;
        joined.append(data, pos, size);
        pos += size;
    }
    return std::nullopt;
}

void writeSubBlocks(std::string_view data, std::string &out) {
    for (std::size_t pos = 0; pos < data.size(); pos += 255) {
        const std::size_t size = std::min<std::size_t>(255, data.size() - pos);
        out.push_back(char(size));
        out.append(data.substr(pos, size));
    }
    out.push_back(0);
}

// Bits of a table with `entries` entries (at least 1, as GIF counts them).
int tableBits(std::size_t entries) {
    int bits = 1;
    while ((std::size_t(1) << bits) < entries)
        ++bits;
    return bits;
}

struct Part {
    std::string data;
    std::size_t blocks = 0; // where the blocks after the header start
};

std::optional<Part> readPart(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    Part part{{std::istreambuf_iterator<char>(in), {}}, 0};
    const std::string &data = part.data;
    if ((!in.good() && !in.eof()) || data.size() < 13 ||
        (data.compare(0, 6, "GIF87a") != 0 && data.compare(0, 6, "GIF89a") != 0))
        return std::nullopt;
    part.blocks = 13 + colorTableBytes(byteAt(data, 10));
    if (data.size() < part.blocks)
        return std::nullopt;
    return part;
}

// Appends the part's blocks to `out`, images on the global table recoded
// through `map` (unless `identity`); false for anything but a complete GIF.
bool appendRecoded(const Part &part, bool first, bool identity,
                   const std::array<unsigned char, 256> &map, int codeSize, std::string &out) {
    const std::string &data = part.data;
    std::size_t pos = part.blocks;
    std::size_t transparent = std::string::npos; // in `out`, of the pending GCE
    while (pos < data.size()) {
        const std::size_t start = pos;
        const unsigned char introducer = byteAt(data, pos);
        if (introducer == 0x3B)
            return pos + 1 == data.size();
        if (introducer == 0x21 && pos + 1 < data.size()) {
            const unsigned char label = byteAt(data, pos + 1);
            pos += 2;
            if (!readSubBlocks(data, pos))
                return false;
            if (label == 0xFF && !first)
                continue; // one loop extension
            if (label == 0xF9 && pos - start == 8 && (byteAt(data, start + 3) & 0x01))
                transparent = out.size() + 6;
            out.append(data, start, pos - start);
            continue;
        }
        if (introducer != 0x2C || pos + 10 >= data.size())
            return false;
        const unsigned char flags = byteAt(data, pos + 9);
        pos += 10 + colorTableBytes(flags);
        if (pos >= data.size())
            return false;
        const std::size_t codeSizeAt = pos++;
        const std::optional<std::string> lzw = readSubBlocks(data, pos);
        if (!lzw)
            return false;
        if (identity || (flags & 0x80)) {
            out.append(data, start, pos - start);
            transparent = std::string::npos;
            continue;
        }
        if (transparent != std::string::npos)
            out[transparent] = char(map[static_cast<unsigned char>(out[transparent])]);
        transparent = std::string::npos;
        const int imageCodeSize = byteAt(data, codeSizeAt);
        out.append(data, start, codeSizeAt - start);
        if (std::optional<std::string> same = GifLzw::relabel(*lzw, imageCodeSize, map)) {
            out.push_back(char(imageCodeSize));
            writeSubBlocks(*same, out);
            continue;
        }
        std::optional<std::vector<unsigned char>> indices = GifLzw::decode(*lzw, imageCodeSize);
        if (!indices)
            return false;
        for (unsigned char &index : *indices)
            index = map[index];
        out.push_back(char(codeSize));
        writeSubBlocks(GifLzw::encode(*indices, codeSize), out);
    }
    return false;
}

// The indices the part's images on the global table use, and those their
// Graphic Control Extensions mark transparent; false for a broken part.
bool indicesOf(const Part &part, std::vector<bool> &used, std::vector<bool> &transparent) {
    used.assign(256, false);
    transparent.assign(256, false);
    const std::string &data = part.data;
    int marked = -1; // of the pending GCE
    for (std::size_t pos = part.blocks; pos < data.size();) {
        const std::size_t start = pos;
        const unsigned char introducer = byteAt(data, pos);
        if (introducer == 0x3B)
            return true;
        if (introducer == 0x21 && pos + 1 < data.size()) {
            pos += 2;
            if (!readSubBlocks(data, pos))
                return false;
            if (byteAt(data, start + 1) == 0xF9 && pos - start == 8)
                marked = (byteAt(data, start + 3) & 0x01) ? byteAt(data, start + 6) : -1;
            continue;
        }
        if (introducer != 0x2C || pos + 10 >= data.size())
            return false;
        const unsigned char flags = byteAt(data, pos + 9);
        pos += 10 + colorTableBytes(flags);
        if (pos >= data.size())
            return false;
        const int codeSize = byteAt(data, pos++);
        const std::optional<std::string> lzw = readSubBlocks(data, pos);
        if (!lzw)
            return false;
        if (!(flags & 0x80)) {
            const std::optional<std::vector<bool>> indices = GifLzw::usedIndices(*lzw, codeSize);
            if (!indices)
                return false;
            for (std::size_t i = 0; i < indices->size() && i < 256; ++i)
                if ((*indices)[i])
                    used[i] = true;
            if (marked >= 0)
                transparent[std::size_t(marked)] = true;
        }
        marked = -1;
    }
    return false;
}

} // namespace

bool addToColourUnion(std::string &unionTable, std::string_view table,
                      const std::vector<bool> &used, const std::vector<bool> &transparent,
                      std::array<unsigned char, 256> &map) {
    const std::size_t entries = std::min<std::size_t>(256, table.size() / 3);
    const auto marked = [](const std::vector<bool> &set, std::size_t i) {
        return i < set.size() && set[i];
    };
    const auto colourAt = [](std::string_view from, std::size_t i) {
        return from.substr(i * 3, 3);
    };
    std::vector<bool> targeted(256, false);
    const auto place = [&](std::size_t i, bool alone) {
        const std::string_view colour = colourAt(table, i);
        const std::size_t size = unionTable.size() / 3;
        std::size_t at = 0;
        while (at < size && (colourAt(unionTable, at) != colour || (alone && targeted[at])))
            ++at;
        if (at == size) {
            if (size == 256)
                return false;
            unionTable.append(colour);
        }
        targeted[at] = true;
        map[i] = static_cast<unsigned char>(at);
        return true;
    };
    for (std::size_t i = 0; i < entries; ++i)
        if (marked(used, i) && !marked(transparent, i) && !place(i, false))
            return false;
    for (std::size_t i = 0; i < entries; ++i)
        if (marked(transparent, i) && !place(i, true))
            return false;
    return true;
}

OptimisedJoin joinOptimisedGifs(const std::vector<std::filesystem::path> &parts,
                                const std::filesystem::path &output) {
    std::vector<Part> read;
    std::string unionTable;
    std::vector<std::array<unsigned char, 256>> maps(parts.size());
    std::vector<bool> identity(parts.size(), true);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::optional<Part> part = readPart(parts[k]);
        std::vector<bool> used, transparent;
        if (!part || (k > 0 && part->data.compare(6, 4, read[0].data, 6, 4) != 0) ||
            !indicesOf(*part, used, transparent))
            return OptimisedJoin::Failed;
        const std::string_view table = std::string_view(part->data).substr(13, part->blocks - 13);
        if (!addToColourUnion(unionTable, table, used, transparent, maps[k]))
            return OptimisedJoin::TooManyColours;
        for (std::size_t i = 0; i < 256; ++i)
            if (used[i] || transparent[i])
                identity[k] = identity[k] && maps[k][i] == i;
        read.push_back(std::move(*part));
    }
    if (read.empty() || unionTable.empty())
        return OptimisedJoin::Failed;

    const int bits = tableBits(std::max<std::size_t>(2, unionTable.size() / 3));
    const int codeSize = std::max(2, bits);
    unionTable.resize(3u << bits, '\0');
    std::string header = "GIF89a" + read[0].data.substr(6, 7);
    header[10] = char((byteAt(header, 10) & 0x70) | 0x80 | (bits - 1));
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(header.data(), std::streamsize(header.size()));
    out.write(unionTable.data(), std::streamsize(unionTable.size()));
    std::string blocks;
    for (std::size_t k = 0; k < read.size(); ++k) {
        if (!appendRecoded(read[k], k == 0, identity[k], maps[k], codeSize, blocks))
            return OptimisedJoin::Failed;
        out.write(blocks.data(), std::streamsize(blocks.size()));
        blocks.clear();
    }
    out.put(char(0x3B));
    out.close();
    return out ? OptimisedJoin::Joined : OptimisedJoin::Failed;
}
