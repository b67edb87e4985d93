// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsTable.h"

#include "NumberFormat.h"

#include <cmath>
#include <limits>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr SettingRange any{-inf, inf, 1};

// max(min(v, upper), lower): NaN passes through, as in the stored-value rules.
double clampKeepingNaN(double value, const SettingRange &range) {
    const double limited = range.to < value ? range.to : value;
    return limited < range.from ? range.from : limited;
}

qint64 clampInteger(qint64 value, const SettingRange &range) {
    if (double(value) < range.from)
        return truncatedInteger(range.from);
    if (double(value) > range.to)
        return truncatedInteger(range.to);
    return value;
}

// clang-format off
const std::array<NumericSetting, 6> table = {{
    // id                   key          option    integer default zero=def load       write      nan→min job          sheet (from, to, step)
    {SettingId::Fps,       "fps",       "fps",    false,  15,     true,    any,       any,       false,  {1, 60},     {6, 30, 1}},
    {SettingId::Width,     "width",     "width",  false,  600,    true,    any,       any,       false,  {100, 1200}, {100, 3840, 1}},
    {SettingId::MaxColors, "maxColors", "colors", false,  256,    true,    {2, 256},  {2, 256},  false,  {2, 256},    {32, 256, 32}},
    {SettingId::Lossy,     "lossy",     "lossy",  false,  0,      false,   {0, 200},  {0, 200},  true,   {0, 200},    {0, 80, 5}},
    // gifsicle keeps loop counts in 16 bits: larger ones wrap around.
    {SettingId::LoopCount, "loopCount", "loop",   true,   0,      false,   any,       any,       false,  {0, 65535},  {0, 20, 1}},
    {SettingId::FrameSkip, "frameSkip", "skip",   true,   1,      false,   {1, inf},  any,       false,  {1, inf},    {1, 4, 1}},
}};
// clang-format on

} // namespace

const std::array<NumericSetting, 6> &numericSettings() {
    return table;
}

const NumericSetting &numericSetting(SettingId id) {
    return table[static_cast<size_t>(id)];
}

double loadedValue(const NumericSetting &setting, double stored) {
    const double value = setting.zeroMeansDefault && stored == 0 ? setting.defaultValue : stored;
    return writtenValue(setting, clampKeepingNaN(value, setting.load));
}

qint64 loadedInteger(const NumericSetting &setting, qint64 stored) {
    return clampInteger(stored, setting.load);
}

double writtenValue(const NumericSetting &setting, double value) {
    if (std::isnan(value))
        return setting.nanWritesMinimum ? setting.write.from : value;
    return clampKeepingNaN(value, setting.write);
}

double jobValue(const NumericSetting &setting, double value) {
    if (std::isnan(value))
        return setting.job.from;
    return clampKeepingNaN(value, setting.job);
}

qint64 jobInteger(const NumericSetting &setting, qint64 value) {
    return clampInteger(value, setting.job);
}
