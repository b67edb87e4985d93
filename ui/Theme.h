// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// The window's type scale and its colours by role, taken from the
// application palette (which follows Appearance) so light and dark match.
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // Text styles, as pixel sizes (device-independent).
    Q_PROPERTY(int title2Size READ title2Size CONSTANT)
    Q_PROPERTY(int title3Size READ title3Size CONSTANT)
    Q_PROPERTY(int headlineSize READ headlineSize CONSTANT)
    Q_PROPERTY(int bodySize READ bodySize CONSTANT)
    Q_PROPERTY(int captionSize READ captionSize CONSTANT)
    Q_PROPERTY(int caption2Size READ caption2Size CONSTANT)
    // The grid every settings row follows, and the window's spacings.
    Q_PROPERTY(int margin READ margin CONSTANT)
    Q_PROPERTY(int captionWidth READ captionWidth CONSTANT)
    Q_PROPERTY(int rowSpacing READ rowSpacing CONSTANT)
    Q_PROPERTY(int hintIndent READ hintIndent CONSTANT)
    Q_PROPERTY(int readoutWidth READ readoutWidth CONSTANT)
    Q_PROPERTY(int readoutSpacing READ readoutSpacing CONSTANT)
    Q_PROPERTY(int readoutValueWidth READ readoutValueWidth CONSTANT)
    Q_PROPERTY(int unitWidth READ unitWidth CONSTANT)
    Q_PROPERTY(int sectionSpacing READ sectionSpacing CONSTANT)
    Q_PROPERTY(int sectionRowSpacing READ sectionRowSpacing CONSTANT)
    Q_PROPERTY(int stripSpacing READ stripSpacing CONSTANT)
    // Colours by role.
    Q_PROPERTY(QColor accent READ accent NOTIFY colorsChanged)
    Q_PROPERTY(QColor primary READ primary NOTIFY colorsChanged)
    Q_PROPERTY(QColor secondary READ secondary NOTIFY colorsChanged)
    Q_PROPERTY(QColor secondaryLabel READ secondaryLabel NOTIFY colorsChanged)
    Q_PROPERTY(QColor red READ red NOTIFY colorsChanged)
    Q_PROPERTY(QColor green READ green NOTIFY colorsChanged)
    Q_PROPERTY(QColor divider READ divider NOTIFY colorsChanged)
    // Outlines of buttons and fields, and the ring around the focused control.
    Q_PROPERTY(QColor border READ border NOTIFY colorsChanged)
    Q_PROPERTY(QColor focusRing READ focusRing NOTIFY colorsChanged)
public:
    static Theme *instance();
    static Theme *create(QQmlEngine *, QJSEngine *);

    int title2Size() const { return 20; }
    int title3Size() const { return 16; }
    int headlineSize() const { return 14; }
    int bodySize() const { return 13; }
    int captionSize() const { return 12; }
    int caption2Size() const { return 11; }

    int margin() const { return 20; }
    int captionWidth() const { return 90; }
    int rowSpacing() const { return 8; }
    int hintIndent() const { return captionWidth() + rowSpacing(); }
    int readoutWidth() const { return 82; }
    int readoutSpacing() const { return 4; }
    int readoutValueWidth() const { return 36; }
    int unitWidth() const { return 28; }
    int sectionSpacing() const { return 24; }
    int sectionRowSpacing() const { return 12; }
    int stripSpacing() const { return 12; }

    QColor accent() const;
    QColor primary() const;
    QColor secondary() const;
    QColor secondaryLabel() const;
    QColor red() const;
    QColor green() const;
    QColor divider() const;
    QColor border() const;
    QColor focusRing() const;

    // "image://symbol/<name>?color=<argb>": a monochrome symbol in a colour.
    Q_INVOKABLE QUrl symbolUrl(const QString &name, const QColor &color) const;

    // Colour with its alpha scaled (QML: Theme.withAlpha(Theme.red, 0.08)).
    Q_INVOKABLE QColor withAlpha(const QColor &color, double alpha) const;

signals:
    void colorsChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit Theme(QObject *parent = nullptr);
    bool isDark() const;
};
