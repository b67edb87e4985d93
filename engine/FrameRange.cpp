// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FrameRange.h"

#include <algorithm>
#include <numeric>

int plannedRangeCount(qint64 frames, const RangeLimits &limits) {
    const qint64 byLength = frames / minimumRangeFrames;
    const qint64 byMemory = limits.availableMemory / memoryPerRange;
    return int(std::max<qint64>(1, std::min({qint64(limits.cores), byLength, byMemory})));
}

int delayCycle(int fps) {
    fps = std::max(1, fps);
    return fps / std::gcd(100, fps);
}

int frameDelay(qint64 index, qint64 frames, int fps) {
    fps = std::max(1, fps);
    if (index == frames - 1 && index > 0)
        --index;
    // Timestamps rounded half away from zero to centiseconds.
    const auto stamp = [fps](qint64 i) {
        return (200 * i + fps) / (2 * fps);
    };
    return int(stamp(index + 1) - stamp(index));
}

std::vector<FrameRange> planFrameRanges(qint64 frames, int fps, int rangeCount) {
    if (frames <= 0)
        return {};
    const qint64 cycle = delayCycle(fps);
    const qint64 cycles = (frames + cycle - 1) / cycle;
    const qint64 count = std::clamp<qint64>(rangeCount, 1, std::max<qint64>(1, cycles));
    std::vector<FrameRange> ranges;
    qint64 first = 0;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 end = std::min(frames, (cycles * (k + 1) / count) * cycle);
        ranges.push_back({first, end - first, frameDelay(end - 1, frames, fps)});
        first = end;
    }
    return ranges;
}

std::vector<std::string> rangeArguments(std::vector<std::string> gifLine, const FrameRange &range,
                                        bool last, const std::string &output) {
    const auto start = std::find(gifLine.begin(), gifLine.end(), "-start_number");
    if (start != gifLine.end() && start + 1 != gifLine.end())
        start[1] = std::to_string(std::stoll(start[1]) + range.first);
    std::vector<std::string> limits;
    if (!last)
        limits = {"-frames:v", std::to_string(range.count)};
    limits.insert(limits.end(), {"-final_delay", std::to_string(range.finalDelay)});
    const auto overwrite = std::find(gifLine.begin(), gifLine.end(), "-y");
    gifLine.insert(overwrite, limits.begin(), limits.end());
    gifLine.back() = output;
    return gifLine;
}
