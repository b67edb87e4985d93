// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QQuickImageProvider>

// Serves "image://symbol/<name>?color=<aarrggbb>": the monochrome SVG
// symbols/<name>.svg from the resources, drawn at the requested size and
// tinted with the colour. An unknown symbol gives a transparent image.
class SymbolImageProvider : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The symbol's name and tint from an image id.
    static QString symbolName(const QString &id);
    static QColor symbolColor(const QString &id);
};
