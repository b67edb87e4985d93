// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Shows a file selected in the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems). When no file manager answers, it
// opens the folder that holds it, but only through the desktop's folder
// handler and never when that is Loomfin itself (it would convert the
// folder); otherwise it sets `notice`.
class FileRevealer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
public:
    explicit FileRevealer(QObject *parent = nullptr);

    // Returns at once; the file manager is asked asynchronously.
    Q_INVOKABLE void reveal(const QUrl &fileUrl);
    // Forgets the notice (a new result is shown).
    Q_INVOKABLE void clearNotice();

    // Why the last reveal showed nothing; empty otherwise.
    QString notice() const { return m_notice; }

    // Whether the desktop entry id that `xdg-mime query default
    // inode/directory` printed names a folder handler other than Loomfin.
    static bool opensFoldersElsewhere(const QString &handlerId);

signals:
    // shownInFileManager false: the folder was opened instead, or nothing
    // could show it (then `notice` says so).
    void revealed(const QUrl &fileUrl, bool shownInFileManager);
    void noticeChanged();

private:
    void openFolder(const QUrl &fileUrl);
    void setNotice(const QString &notice);

    QString m_notice;
};
