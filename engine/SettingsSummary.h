// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The one-line summary of the conversion settings in the window's footer,
// e.g. "15 fps · 600px · 256 colors · ∞ loop". Any double is shown, even
// NaN, infinities and values beyond the integer range. The window uses this
// object as it is (a QML singleton).
class SettingsSummary : public QObject {
    Q_OBJECT
public:
    explicit SettingsSummary(QObject *parent = nullptr);

    Q_INVOKABLE QString text(double fps, double width, double maxColors, qint64 frameSkip,
                             qint64 loopCount) const;
};
