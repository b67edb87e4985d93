// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "SettingsTable.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>
#include <optional>

// Texts, ranges and input rules of the settings sheet, kept apart from the
// views so they can be checked without a window. The window uses this object
// as it is (a QML singleton).
class SettingsTexts : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList frameSkipTitles READ frameSkipTitles CONSTANT)
    Q_PROPERTY(QString frameSkipHint READ frameSkipHint CONSTANT)
    Q_PROPERTY(SettingRange fpsRange READ fpsRange CONSTANT)
    Q_PROPERTY(SettingRange widthRange READ widthRange CONSTANT)
    Q_PROPERTY(SettingRange maxColorsRange READ maxColorsRange CONSTANT)
    Q_PROPERTY(SettingRange lossyRange READ lossyRange CONSTANT)
    Q_PROPERTY(SettingRange loopCountRange READ loopCountRange CONSTANT)

public:
    explicit SettingsTexts(QObject *parent = nullptr);

    // The sheet's own ranges (from the settings table); the engine accepts
    // wider values from elsewhere and the job clamps further when it starts.
    static SettingRange fpsRange() { return numericSetting(SettingId::Fps).sheet; }
    // The width field's, on commit.
    static SettingRange widthRange() { return numericSetting(SettingId::Width).sheet; }
    static SettingRange maxColorsRange() { return numericSetting(SettingId::MaxColors).sheet; }
    static SettingRange lossyRange() { return numericSetting(SettingId::Lossy).sheet; }
    static SettingRange loopCountRange() { return numericSetting(SettingId::LoopCount).sheet; }

    // "Forever" for 0, otherwise the count followed by "×".
    Q_INVOKABLE QString loopLabel(qint64 loopCount) const;
    // One sentence saying how often the GIF plays.
    Q_INVOKABLE QString loopHint(qint64 loopCount) const;

    // Picker titles in menu order; option i selects frame skip i + 1.
    QStringList frameSkipTitles() const;
    // The option showing a frame skip, or -1 when no option matches.
    Q_INVOKABLE int frameSkipIndex(qint64 frameSkip) const;
    // The frame skip an option selects (indices outside the menu are clamped).
    Q_INVOKABLE qint64 frameSkipValue(int index) const;
    QString frameSkipHint() const;

    // A slider's readout: the value as printf "%.0f" shows it.
    Q_INVOKABLE QString readout(double value) const;

    // The width field's text for a stored width: truncated toward zero, and
    // something readable for values no integer can hold.
    Q_INVOKABLE QString widthFieldText(double width) const;
    // The width a committed field text stores: the whole text must be one C
    // floating literal; the value is clamped into the field's range. NaN for
    // text that does not parse or parses as NaN.
    Q_INVOKABLE double committedWidth(const QString &text) const;

    // The stored form of a chosen output folder: its full encoded URL string
    // with a trailing slash. Empty when the chooser gave no local folder.
    Q_INVOKABLE QString outputPathForFolder(const QUrl &folder) const;
    // The output button's title: the folder's last path component.
    Q_INVOKABLE QString outputFolderTitle(const QUrl &folder) const;
    // The folder as a path to show in full (tooltip, screen readers).
    Q_INVOKABLE QString outputFolderPath(const QUrl &folder) const;
};
