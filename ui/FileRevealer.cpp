#include "FileRevealer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

FileRevealer::FileRevealer(QObject *parent)
    : QObject(parent) {}

void FileRevealer::reveal(const QUrl &fileUrl) {
    if (fileUrl.isEmpty())
        return;
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

void FileRevealer::openFolder(const QUrl &fileUrl) {
    QUrl folder = fileUrl.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
    QDesktopServices::openUrl(folder);
    emit revealed(fileUrl, false);
}
