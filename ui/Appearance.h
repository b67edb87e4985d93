// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusVariant>
#include <QObject>
#include <QPalette>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QJSEngine;
class QQmlEngine;

// Light or dark, as the desktop prefers: the freedesktop settings portal's
// "color-scheme" (read at start, followed live), else the lightness of the
// palette the application started with. In dark mode the application
// palette is switched too, so the controls follow.
class Appearance : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool dark READ isDark NOTIFY darkChanged)
public:
    // The one instance; created on first use, after the QGuiApplication.
    static Appearance *instance();
    static Appearance *create(QQmlEngine *, QJSEngine *);

    bool isDark() const { return m_dark; }

    // The portal's value: 0 no preference, 1 prefer dark, 2 prefer light.
    void setPortalColorScheme(uint value);

    // What the window is drawn with when the desktop prefers the other scheme.
    static QPalette darkPalette();
    static QPalette lightPalette();

signals:
    void darkChanged();

private slots:
    void onSettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    explicit Appearance(QObject *parent = nullptr);
    void readPortal();
    void update();

    QPalette m_startPalette;
    std::optional<uint> m_portalScheme;
    bool m_dark = false;
    bool m_paletteSwitched = false;
};
