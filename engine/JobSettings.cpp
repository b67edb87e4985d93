#include "JobSettings.h"

#include <algorithm>
#include <cmath>

namespace {
double clampInto(double value, double lower, double upper) {
    if (std::isnan(value))
        return lower;
    return std::max(std::min(value, upper), lower);
}
} // namespace

JobSettings JobSettings::clamped(double fps, double width, double maxColors, double lossy,
                                 qint64 loopCount, qint64 frameSkip) {
    JobSettings s;
    s.fps = clampInto(fps, 1, 60);
    s.width = clampInto(width, 100, 1200);
    s.maxColors = clampInto(maxColors, 2, 256);
    // Upper limit first, then the floor, as the settings rules state it.
    const double m = std::isnan(lossy) ? 0 : std::min(lossy, 200.0);
    s.lossy = m < 0 ? 0 : m;
    s.loopCount = std::max<qint64>(loopCount, 0);
    s.frameSkip = std::max<qint64>(frameSkip, 1);
    return s;
}

JobSettings JobSettings::clamped() const {
    return clamped(fps, width, maxColors, lossy, loopCount, frameSkip);
}
