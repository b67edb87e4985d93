// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <vector>

// Joins GIFs made through one palette, in order, into `output`: the first
// part's header, global colour table and loop extension once, then every
// part's images with their Graphic Control Extensions, one trailer. False
// when a part is not a complete GIF, its screen or colour table differs from
// the first part's, or the output cannot be written.
bool joinGifs(const std::vector<std::filesystem::path> &parts, const std::filesystem::path &output);
