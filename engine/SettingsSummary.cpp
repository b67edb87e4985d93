// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsSummary.h"

#include "NumberFormat.h"

#include <QStringList>

SettingsSummary::SettingsSummary(QObject *parent)
    : QObject(parent) {}

QString SettingsSummary::text(double fps, double width, double maxColors, qint64 frameSkip,
                              qint64 loopCount) const {
    QStringList parts{tr("%1 fps").arg(truncatedIntegerText(fps)),
                      tr("%1px").arg(truncatedIntegerText(width)),
                      tr("%1 colors").arg(truncatedIntegerText(maxColors))};
    if (frameSkip >= 2)
        parts << tr("skip %1×").arg(frameSkip);
    parts << (loopCount == 0 ? tr("∞ loop") : tr("%1× loop").arg(loopCount));
    return parts.join(QStringLiteral(" · "));
}
