// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The LZW coding of a GIF image's colour indices (the data of its
// sub-blocks joined, without the block lengths).
class GifLzw {
public:
    // The indices the code stream holds; nothing for a broken stream.
    static std::optional<std::vector<unsigned char>> decode(std::string_view data, int minCodeSize);
    // A code stream of `indices` (each below 2^minCodeSize), minCodeSize 2–8.
    static std::string encode(const std::vector<unsigned char> &indices, int minCodeSize);
    // The same code stream with every index passed through `map`: LZW does
    // not look at symbol values, so only the literal codes change and a
    // lossy encoder's choices stay. Nothing when the stream is broken or a
    // mapped index does not fit the code size.
    // Which indices the stream holds: every index reaches the output as a
    // literal code first, so the literal codes tell without decoding.
    // Nothing for a broken stream.
    static std::optional<std::vector<bool>> usedIndices(std::string_view data, int minCodeSize);
    static std::optional<std::string> relabel(std::string_view data, int minCodeSize,
                                              const std::array<unsigned char, 256> &map);
};
