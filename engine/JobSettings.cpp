// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JobSettings.h"

#include "NumberFormat.h"

JobSettings JobSettings::clamped(double fps, double width, double maxColors, double lossy,
                                 qint64 loopCount, qint64 frameSkip) {
    JobSettings s;
    s.fps = jobValue(numericSetting(SettingId::Fps), fps);
    s.width = jobValue(numericSetting(SettingId::Width), width);
    s.maxColors = jobValue(numericSetting(SettingId::MaxColors), maxColors);
    s.lossy = jobValue(numericSetting(SettingId::Lossy), lossy);
    s.loopCount = jobInteger(numericSetting(SettingId::LoopCount), loopCount);
    s.frameSkip = jobInteger(numericSetting(SettingId::FrameSkip), frameSkip);
    return s;
}

JobSettings JobSettings::clamped() const {
    return clamped(fps, width, maxColors, lossy, loopCount, frameSkip);
}

void JobSettings::set(SettingId id, double value) {
    switch (id) {
    case SettingId::Fps:
        fps = value;
        break;
    case SettingId::Width:
        width = value;
        break;
    case SettingId::MaxColors:
        maxColors = value;
        break;
    case SettingId::Lossy:
        lossy = value;
        break;
    case SettingId::LoopCount:
        loopCount = truncatedInteger(value);
        break;
    case SettingId::FrameSkip:
        frameSkip = truncatedInteger(value);
        break;
    }
}
