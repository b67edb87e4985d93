// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FileRevealer.h"

#include "ApplicationInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QProcess>

FileRevealer::FileRevealer(QObject *parent)
    : QObject(parent) {}

void FileRevealer::reveal(const QUrl &fileUrl) {
    if (fileUrl.isEmpty())
        return;
    clearNotice();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(fileUrl);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    // Encoded, so spaces and other characters reach the file manager escaped.
    message << QStringList{QString::fromLatin1(fileUrl.toEncoded())} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, fileUrl](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                if (call->isError()) {
                    openFolder(fileUrl);
                    return;
                }
                emit revealed(fileUrl, true);
            });
}

void FileRevealer::clearNotice() {
    setNotice({});
}

bool FileRevealer::opensFoldersElsewhere(const QString &handlerId) {
    const QString id = handlerId.trimmed();
    return !id.isEmpty() && id != ApplicationInfo::id() + QStringLiteral(".desktop");
}

// Asks xdg-utils, which opens the folder next (QDesktopServices runs
// xdg-open), which program that will be.
void FileRevealer::openFolder(const QUrl &fileUrl) {
    auto *query = new QProcess(this);
    const auto conclude = [this, query, fileUrl](bool handled) {
        query->disconnect(this);
        query->deleteLater();
        if (handled) {
            QDesktopServices::openUrl(
                fileUrl.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash));
        } else {
            setNotice(tr("No file manager is installed to show the GIF."));
        }
        emit revealed(fileUrl, false);
    };
    connect(query, &QProcess::finished, this, [query, conclude] {
        conclude(query->exitStatus() == QProcess::NormalExit && query->exitCode() == 0 &&
                 opensFoldersElsewhere(QString::fromUtf8(query->readAllStandardOutput())));
    });
    connect(query, &QProcess::errorOccurred, this, [conclude](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            conclude(false);
    });
    query->setStandardErrorFile(QProcess::nullDevice());
    query->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                              QStringLiteral("inode/directory")});
}

void FileRevealer::setNotice(const QString &notice) {
    if (notice == m_notice)
        return;
    m_notice = notice;
    emit noticeChanged();
}
