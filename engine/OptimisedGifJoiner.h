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

// Adds a part's global colour table (RGB triples) to `unionTable`: each of
// its entries maps to an entry of the same colour, the n-th of a colour to
// the n-th (so no two entries share one, and a transparent index stays
// apart), appended when missing. `map` gets entry → union index. False when
// the union would pass 256 entries.
bool addToColourUnion(std::string &unionTable, std::string_view table,
                      std::array<unsigned char, 256> &map);

// Joins GIFs that the optimiser made of consecutive frame ranges into
// `output` with one global colour table: the first part's, then the colours
// the others add. Images that use the global table are recoded to it, their
// transparent index too; images with a table of their own are copied. The
// first part's header and loop extension, one trailer.
OptimisedJoin joinOptimisedGifs(const std::vector<std::filesystem::path> &parts,
                                const std::filesystem::path &output);
