// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Texts of the main window computed in C++.
class WindowTexts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    explicit WindowTexts(QObject *parent = nullptr);

    // The last path component of a URL, decoded.
    Q_INVOKABLE QString fileName(const QUrl &url) const;
};
