// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SymbolImageProvider.h"

#include "AppResources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Image) {}

QString SymbolImageProvider::symbolName(const QString &id) {
    return id.section(QLatin1Char('?'), 0, 0);
}

QColor SymbolImageProvider::symbolColor(const QString &id) {
    const QUrlQuery query(id.section(QLatin1Char('?'), 1));
    const QString value = query.queryItemValue(QStringLiteral("color"));
    const QColor color(QLatin1Char('#') + value);
    return color.isValid() ? color : QColor(Qt::black);
}

QImage SymbolImageProvider::requestImage(const QString &id, QSize *size,
                                         const QSize &requestedSize) {
    constexpr int defaultSide = 64;
    QSize target = requestedSize;
    if (target.width() <= 0 && target.height() <= 0)
        target = QSize(defaultSide, defaultSide);
    else if (target.width() <= 0)
        target.setWidth(target.height());
    else if (target.height() <= 0)
        target.setHeight(target.width());

    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (size)
        *size = target;

    const QString name = symbolName(id);
    // Symbol names are plain words; nothing may climb out of the folder.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return image;
    const std::filesystem::path path =
        AppResources::filePath(QStringLiteral("symbols/") + name + QStringLiteral(".svg"));
    if (path.empty())
        return image;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return image;
    QSvgRenderer renderer(file.readAll());
    if (!renderer.isValid())
        return image;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    renderer.render(&painter, QRectF(QPointF(0, 0), target));
    // Keep the drawn shape's coverage, in the tint colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), symbolColor(id));
    painter.end();
    return image;
}
