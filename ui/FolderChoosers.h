// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <QQuickWindow>

// What the folder choosers need from C++: where they open, and whether Qt
// fell back to its own dialog, which this mends for keyboard and assistive
// tools.
class FolderChoosers : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    explicit FolderChoosers(QObject *parent = nullptr);

    // The preferred folder if it exists, else the documents folder, else home.
    Q_INVOKABLE QUrl startFolder(const QUrl &preferred) const;
    // The dialog (a QtQuick.Dialogs FolderDialog, once opened) is Qt's own,
    // drawn inside its parent window, rather than the desktop's.
    Q_INVOKABLE bool isBuiltIn(QObject *dialog) const;
    // Qt 6.4's own dialog, shown in the window: its buttons ignore the
    // accessible press action, and Tab never comes back to its folder list.
    Q_INVOKABLE void mendBuiltIn(QQuickWindow *window) const;
};
