// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <array>

// The six numeric settings in one table: their keys, defaults and the range
// each layer keeps them in. The engine's load and write rules, the job's
// clamps, the command line and the settings sheet all read it.
enum class SettingId { Fps, Width, MaxColors, Lossy, LoopCount, FrameSkip };

// A closed range (an infinite bound means none) and, for a control, its step.
struct SettingRange {
    Q_GADGET
    Q_PROPERTY(double from MEMBER from CONSTANT)
    Q_PROPERTY(double to MEMBER to CONSTANT)
    Q_PROPERTY(double step MEMBER step CONSTANT)
public:
    double from = 0;
    double to = 0;
    double step = 1;
};

struct NumericSetting {
    SettingId id;
    const char *key;     // the store's key and the engine's property name
    const char *option;  // the command line's option, without "--"
    bool isInteger;      // whole numbers (stored as integers, read truncated toward zero)
    double defaultValue; // what an empty store loads
    // A stored 0 cannot be told from a missing key and loads as the default.
    bool zeroMeansDefault;
    SettingRange load;  // stored values are repaired into it when loaded
    SettingRange write; // every write is corrected into it, so the store never holds more
    // NaN written is corrected to the minimum (otherwise it is kept as written).
    bool nanWritesMinimum;
    SettingRange job;   // what a job works with; NaN becomes the minimum
    SettingRange sheet; // what the settings sheet offers, and its step
};

const std::array<NumericSetting, 6> &numericSettings();
const NumericSetting &numericSetting(SettingId id);

inline constexpr char outputPathKey[] = "outputPath";

// The value a stored reading loads as (a missing key reads 0).
double loadedValue(const NumericSetting &setting, double stored);
qint64 loadedInteger(const NumericSetting &setting, qint64 stored);
// The value a write is corrected to (the same value when nothing needs correcting).
double writtenValue(const NumericSetting &setting, double value);
// The value a job uses.
double jobValue(const NumericSetting &setting, double value);
qint64 jobInteger(const NumericSetting &setting, qint64 value);
