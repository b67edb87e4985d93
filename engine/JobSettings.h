#pragma once

#include "SettingsTable.h"

#include <QtGlobal>

// The clamped copy of the numeric settings that one job works from (ranges
// in SettingsTable). NaN clamps to the lower bound of its range, so a job
// never sees it.
struct JobSettings {
    double fps = 15;
    double width = 600;
    double maxColors = 256;
    double lossy = 0;
    qint64 loopCount = 0;
    qint64 frameSkip = 1;

    static JobSettings clamped(double fps, double width, double maxColors, double lossy,
                               qint64 loopCount, qint64 frameSkip);
    // Re-applies the clamps (after command-line overrides, for instance).
    JobSettings clamped() const;
    // Sets one field (integers truncated toward zero), unclamped.
    void set(SettingId id, double value);

    bool operator==(const JobSettings &) const = default;
};
