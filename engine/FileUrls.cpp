// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileUrls.h"

std::filesystem::path localPathFromUrl(const QUrl &url) {
    if (!url.isValid() || url.scheme() != QLatin1String("file"))
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host != QLatin1String("localhost"))
        return {};
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    // A file URL names an absolute path; "file:relative" names nothing.
    if (!bytes.startsWith('/'))
        return {};
    return std::filesystem::path(bytes.toStdString());
}

QUrl localFolderUrl(const QString &stored) {
    if (stored.isEmpty())
        return {};
    const QUrl url(stored, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    if (!localPathFromUrl(url).empty())
        return url;
    if (url.scheme().isEmpty() && stored.startsWith(QLatin1Char('/')))
        return urlFromLocalPath(stored.toStdString());
    return {};
}

QUrl urlFromLocalPath(const std::filesystem::path &path) {
    const QByteArray bytes = QByteArray::fromStdString(path.native());
    // Keep "/" and the characters that need no escaping in a path.
    const QByteArray encoded = bytes.toPercentEncoding("/!$&'()*+,;=:@~");
    return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

QString lastPathComponent(const QUrl &url) {
    QString path = url.path();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString displayPath(const std::filesystem::path &path) {
    return QString::fromUtf8(path.native());
}
