// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Theme.h"

#include "Appearance.h"

#include <QEvent>
#include <QGuiApplication>
#include <QJSEngine>
#include <QPalette>
#include <QUrlQuery>

Theme *Theme::instance() {
    static Theme *theme = new Theme(qApp);
    return theme;
}

Theme *Theme::create(QQmlEngine *, QJSEngine *) {
    Theme *theme = instance();
    QJSEngine::setObjectOwnership(theme, QJSEngine::CppOwnership);
    return theme;
}

Theme::Theme(QObject *parent)
    : QObject(parent) {
    qApp->installEventFilter(this);
    connect(Appearance::instance(), &Appearance::darkChanged, this, &Theme::colorsChanged);
}

bool Theme::eventFilter(QObject *watched, QEvent *event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        emit colorsChanged();
    return QObject::eventFilter(watched, event);
}

bool Theme::isDark() const {
    return Appearance::instance()->isDark();
}

QColor Theme::accent() const {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

QColor Theme::primary() const {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

QColor Theme::secondary() const {
    return withAlpha(primary(), 0.62);
}

QColor Theme::secondaryLabel() const {
    return withAlpha(primary(), 0.55);
}

QColor Theme::red() const {
    return isDark() ? QColor(0xff, 0x6b, 0x60) : QColor(0xd7, 0x2c, 0x20);
}

QColor Theme::green() const {
    return isDark() ? QColor(0x4c, 0xc7, 0x64) : QColor(0x1e, 0x9b, 0x3e);
}

QColor Theme::divider() const {
    return withAlpha(primary(), 0.14);
}

QUrl Theme::symbolUrl(const QString &name, const QColor &color) const {
    QUrl url;
    url.setScheme(QStringLiteral("image"));
    url.setHost(QStringLiteral("symbol"));
    url.setPath(QLatin1Char('/') + name);
    QUrlQuery query;
    // Without "#": it would start the URL's fragment.
    query.addQueryItem(QStringLiteral("color"), color.name(QColor::HexArgb).mid(1));
    url.setQuery(query);
    return url;
}

QColor Theme::withAlpha(const QColor &color, double alpha) const {
    QColor result = color;
    result.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return result;
}

QColor Theme::border() const {
    return withAlpha(primary(), isDark() ? 0.34 : 0.3);
}

QColor Theme::focusRing() const {
    // Brighter than the accent fill in the dark, so it shows around it.
    return isDark() ? accent().lighter(135) : accent();
}
