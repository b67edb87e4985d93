// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <filesystem>

// The application's own files (logos, symbols, Tools) live in
// <prefix>/share/loomfin, found from the executable's location, so the
// build tree and any install tree work alike.
class AppResources : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    explicit AppResources(QObject *parent = nullptr);

    // Sets the engine's tool locations from the folder holding the executable:
    // bundle = <dir>/.., resources = bundle/share/loomfin.
    static void configureFromExecutableFolder(const std::filesystem::path &executableFolder);
    // The resources folder; empty when none is configured.
    static std::filesystem::path folder();
    // A resource file's path, or empty when it does not exist.
    static std::filesystem::path filePath(const QString &relativePath);

    // File URL of a resource, or an empty URL when the file is missing.
    Q_INVOKABLE QUrl fileUrl(const QString &relativePath) const;
};
