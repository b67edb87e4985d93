#include "JobSettings.h"

#include "SettingsTable.h"

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
