// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "SettingsTable.h"

#include <QtGlobal>

// The clamped copy of the numeric settings that one job works from (ranges
// in SettingsTable). NaN clamps to the lower bound of its range, so a job
// never sees it.
struct JobSettings {
    double fps = numericSetting(SettingId::Fps).defaultValue;
    double width = numericSetting(SettingId::Width).defaultValue;
    double maxColors = numericSetting(SettingId::MaxColors).defaultValue;
    double lossy = numericSetting(SettingId::Lossy).defaultValue;
    qint64 loopCount = qint64(numericSetting(SettingId::LoopCount).defaultValue);
    qint64 frameSkip = qint64(numericSetting(SettingId::FrameSkip).defaultValue);

    static JobSettings clamped(double fps, double width, double maxColors, double lossy,
                               qint64 loopCount, qint64 frameSkip);
    // Re-applies the clamps (after command-line overrides, for instance).
    JobSettings clamped() const;
    // Sets one field (integers truncated toward zero), unclamped.
    void set(SettingId id, double value);

    bool operator==(const JobSettings &) const = default;
};
