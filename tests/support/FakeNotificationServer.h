// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A notification server on its own bus connection, so the client's
// asynchronous calls are answered while the test waits in its event loop.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received {
        QString appName, appIcon, summary, body;
        QVariantMap hints;
        int timeout = 0;
    };

    explicit FakeNotificationServer(bool bodyMarkup, QObject *parent = nullptr);
    ~FakeNotificationServer() override;
    bool isRegistered() const { return m_registered; }

    QList<Received> received;

public slots:
    QStringList GetCapabilities();
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout);
    void CloseNotification(uint) {}

signals:
    void notified();

private:
    QDBusConnection m_connection;
    bool m_bodyMarkup;
    bool m_registered = false;
};
