// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "RangeLimits.h"

#include <QtGlobal>

#include <string>
#include <vector>

// One stretch of a job's frames that a tool process of its own renders.
struct FrameRange {
    qint64 first = 0; // index of its first frame in the job
    qint64 count = 0;
    // Centiseconds the whole file gives the range's last frame; the range's
    // own run would give it another where it ends before the job does.
    int finalDelay = 0;

    bool operator==(const FrameRange &) const = default;
};

// A range's own ffmpeg takes about 0.15 s of CPU to start, the work of 6
// frames of 1280×720 or 33 of 320×240 (scaled to 600 and 320 wide); from
// this length on a range saves at least twice what it costs.
inline constexpr qint64 minimumRangeFrames = 64;
// Room for one GIF-pass process (about 100 MB at 1280×720).
inline constexpr qint64 memoryPerRange = 256LL * 1024 * 1024;

// How many ranges a job of `frames` frames is split into: one per core, as
// memory allows, each at least minimumRangeFrames long; at least 1.
int plannedRangeCount(qint64 frames, const RangeLimits &limits);

// The GIF muxer writes delays in centiseconds from timestamps at `fps`: they
// repeat every delayCycle(fps) frames (the smallest n with 100·n/fps whole).
int delayCycle(int fps);
// The delay the muxer gives frame `index` of a file of `frames` frames (the
// last frame repeats the one before it).
int frameDelay(qint64 index, qint64 frames, int fps);

// `frames` split into at most `rangeCount` ranges of near-equal length, each
// starting on the delay cycle (so its own delays are the whole file's), in
// order, covering every frame once. Fewer ranges when there are fewer cycles.
std::vector<FrameRange> planFrameRanges(qint64 frames, int fps, int rangeCount);

// The GIF pass's command line for one range, made from the whole job's:
// its first frame's number, a frame limit (all but the last range), the final
// delay, and its own output file.
std::vector<std::string> rangeArguments(std::vector<std::string> gifLine, const FrameRange &range,
                                        bool last, const std::string &output);
