// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ConverterEngine.h"
#include "SettingsSummary.h"
#include "SettingsTexts.h"

#include <QtQml/qqml.h>

// The engine library's types as QML types, without the engine depending on QtQml.

struct ConverterEngineForeign {
    Q_GADGET
    QML_FOREIGN(ConverterEngine)
    QML_NAMED_ELEMENT(ConverterEngine)
    QML_UNCREATABLE("The program makes the one engine and hands it to the window.")
};

struct SettingsTextsForeign {
    Q_GADGET
    QML_FOREIGN(SettingsTexts)
    QML_NAMED_ELEMENT(SettingsTexts)
    QML_SINGLETON
};

struct SettingsSummaryForeign {
    Q_GADGET
    QML_FOREIGN(SettingsSummary)
    QML_NAMED_ELEMENT(SettingsSummary)
    QML_SINGLETON
};

struct SettingRangeForeign {
    Q_GADGET
    QML_FOREIGN(SettingRange)
    QML_VALUE_TYPE(settingRange)
};
