// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OptimisedGifJoiner.h"

#include "GifLzw.h"
#include "GifReader.h"

#include <algorithm>
#include <fstream>
#include <optional>

namespace {

unsigned char byteAt(const std::string &data, std::size_t pos) {
    return static_cast<unsigned char>(data[pos]);
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

// A Graphic Control Extension whose transparency flag is set.
bool marksTransparent(const GifBlock &block) {
    return !block.isImage() && block.label() == 0xF9 && block.bytes.size() == 8 &&
           (byteAt(block.bytes, 3) & 0x01);
}

// Writes the part's blocks to `out`, images on the global table recoded
// through `map` (unless `identity`); false for anything but a complete GIF.
bool writeRecoded(GifReader &in, bool first, bool identity,
                  const std::array<unsigned char, 256> &map, int codeSize, std::ofstream &out) {
    std::string pending; // blocks up to the next image, whose GCE may change
    std::size_t transparent = std::string::npos; // in `pending`
    GifBlock block;
    while (in.next(block)) {
        if (!block.isImage()) {
            if (block.label() == 0xFF && !first)
                continue; // one loop extension
            if (marksTransparent(block))
                transparent = pending.size() + 6;
            pending += block.bytes;
            continue;
        }
        const unsigned char flags = block.imageFlags();
        const std::size_t codeSizeAt = block.codeSizeAt();
        if (identity || (flags & 0x80)) {
            pending += block.bytes;
        } else {
            if (transparent != std::string::npos)
                pending[transparent] = char(map[byteAt(pending, transparent)]);
            const int imageCodeSize = byteAt(block.bytes, codeSizeAt);
            const std::string lzw = block.imageData();
            pending.append(block.bytes, 0, codeSizeAt);
            if (std::optional<std::string> same = GifLzw::relabel(lzw, imageCodeSize, map)) {
                pending.push_back(char(imageCodeSize));
                writeSubBlocks(*same, pending);
            } else {
                std::optional<std::vector<unsigned char>> indices =
                    GifLzw::decode(lzw, imageCodeSize);
                if (!indices)
                    return false;
                for (unsigned char &index : *indices)
                    index = map[index];
                pending.push_back(char(codeSize));
                writeSubBlocks(GifLzw::encode(*indices, codeSize), pending);
            }
        }
        transparent = std::string::npos;
        out.write(pending.data(), std::streamsize(pending.size()));
        pending.clear();
    }
    out.write(pending.data(), std::streamsize(pending.size()));
    return in.isComplete();
}

// The indices the part's images on the global table use, and those their
// Graphic Control Extensions mark transparent; false for a broken part.
bool indicesOf(GifReader &in, std::vector<bool> &used, std::vector<bool> &transparent) {
    used.assign(256, false);
    transparent.assign(256, false);
    int marked = -1; // of the pending GCE
    GifBlock block;
    while (in.next(block)) {
        if (!block.isImage()) {
            if (block.label() == 0xF9 && block.bytes.size() == 8)
                marked = marksTransparent(block) ? byteAt(block.bytes, 6) : -1;
            continue;
        }
        if (!(block.imageFlags() & 0x80)) {
            const std::optional<std::vector<bool>> indices =
                GifLzw::usedIndices(block.imageData(), byteAt(block.bytes, block.codeSizeAt()));
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
    return in.isComplete();
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
    // Two readings of each part, so no more than one image is held at a time:
    // the colours first, then the recoding.
    std::string screen; // the first part's screen descriptor
    std::string unionTable;
    std::vector<std::array<unsigned char, 256>> maps(parts.size());
    std::vector<bool> identity(parts.size(), true);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        GifReader in(parts[k]);
        std::vector<bool> used, transparent;
        if (!in.isOpen() || (k > 0 && in.header().compare(6, 4, screen, 0, 4) != 0) ||
            !indicesOf(in, used, transparent))
            return OptimisedJoin::Failed;
        if (k == 0)
            screen = in.header().substr(6, 7);
        const std::string_view table = std::string_view(in.header()).substr(13);
        if (!addToColourUnion(unionTable, table, used, transparent, maps[k]))
            return OptimisedJoin::TooManyColours;
        for (std::size_t i = 0; i < 256; ++i)
            if (used[i] || transparent[i])
                identity[k] = identity[k] && maps[k][i] == i;
    }
    if (parts.empty() || unionTable.empty())
        return OptimisedJoin::Failed;

    const int bits = tableBits(std::max<std::size_t>(2, unionTable.size() / 3));
    const int codeSize = std::max(2, bits);
    unionTable.resize(3u << bits, '\0');
    std::string header = "GIF89a" + screen;
    header[10] = char((byteAt(header, 10) & 0x70) | 0x80 | (bits - 1));
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(header.data(), std::streamsize(header.size()));
    out.write(unionTable.data(), std::streamsize(unionTable.size()));
    for (std::size_t k = 0; k < parts.size(); ++k) {
        GifReader in(parts[k]);
        if (!in.isOpen() || !writeRecoded(in, k == 0, identity[k], maps[k], codeSize, out))
            return OptimisedJoin::Failed;
    }
    out.put(char(0x3B));
    out.close();
    return out ? OptimisedJoin::Joined : OptimisedJoin::Failed;
}
