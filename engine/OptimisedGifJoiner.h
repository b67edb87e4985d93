// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// How joining optimised GIFs ended.
enum class OptimisedJoin {
    Joined,
    TooManyColours, // the parts' colour tables hold more than 256 colours together
    Failed,         // a part is not a complete GIF, the screens differ, or the write failed
};

// Adds the entries of a part's global colour table (RGB triples) that its
// images use (`used`) to `unionTable`: each maps to the first union entry of
// its colour, appended when missing; an entry that some image takes as
// transparent (`transparent`) maps to an entry of its colour that no other
// entry of the part maps to, so no pixel of another colour turns
// transparent. `map` gets entry → union index. False when the union would
// pass 256 entries.
bool addToColourUnion(std::string &unionTable, std::string_view table,
                      const std::vector<bool> &used, const std::vector<bool> &transparent,
                      std::array<unsigned char, 256> &map);

// Joins GIFs that the optimiser made of consecutive frame ranges into
// `output` with one global colour table, the union of the colours their
// images use. Images that use the global table are recoded to it (unless it
// changes none of their indices), their transparent index too; images with a table of their own are
// copied. The first part's header and loop extension, one trailer.
OptimisedJoin joinOptimisedGifs(const std::vector<std::filesystem::path> &parts,
                                const std::filesystem::path &output);
