// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FakeNotificationServer.h"

namespace {
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString service = QStringLiteral("org.freedesktop.Notifications");
int connections = 0;
} // namespace

FakeNotificationServer::FakeNotificationServer(bool bodyMarkup, QObject *parent)
    : QObject(parent)
    , m_connection(QDBusConnection::connectToBus(
          QDBusConnection::SessionBus, QStringLiteral("fake-notifications-%1").arg(++connections)))
    , m_bodyMarkup(bodyMarkup) {
    m_registered = m_connection.isConnected() &&
                   m_connection.registerObject(path, this, QDBusConnection::ExportAllSlots) &&
                   m_connection.registerService(service);
}

FakeNotificationServer::~FakeNotificationServer() {
    m_connection.unregisterService(service);
    m_connection.unregisterObject(path);
    QDBusConnection::disconnectFromBus(m_connection.name());
}

QStringList FakeNotificationServer::GetCapabilities() {
    return m_bodyMarkup ? QStringList{QStringLiteral("body"), QStringLiteral("body-markup")}
                        : QStringList{QStringLiteral("body")};
}

uint FakeNotificationServer::Notify(const QString &appName, uint, const QString &appIcon,
                                    const QString &summary, const QString &body,
                                    const QStringList &, const QVariantMap &hints, int timeout) {
    received.append({appName, appIcon, summary, body, hints, timeout});
    emit notified();
    return uint(received.size());
}
