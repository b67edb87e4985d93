// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsSummary.h"

#include "NumberFormat.h"

SettingsSummary::SettingsSummary(QObject *parent)
    : QObject(parent) {}

QString SettingsSummary::text(double fps, double width, double maxColors, qint64 frameSkip,
                              qint64 loopCount) const {
    QString text = truncatedIntegerText(fps) + QStringLiteral(" fps · ") +
                   truncatedIntegerText(width) + QStringLiteral("px · ") +
                   truncatedIntegerText(maxColors) + QStringLiteral(" colors · ");
    if (frameSkip >= 2)
        text += QStringLiteral("skip ") + QString::number(frameSkip) + QStringLiteral("× · ");
    if (loopCount == 0)
        text += QStringLiteral("∞ loop");
    else
        text += QString::number(loopCount) + QStringLiteral("× loop");
    return text;
}
