// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

// Posts desktop notifications through the freedesktop notification service.
// Fire and forget: no session bus or no server means nothing happens.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    enum class Category { TransferComplete, TransferError };
    using BusConnector = std::function<QDBusConnection()>;

    // `connectBus` gives the bus to post on (the session bus unless told).
    explicit DesktopNotifier(QObject *parent = nullptr, BusConnector connectBus = {});
    // Waits for a bus connection still being made.
    ~DesktopNotifier() override;

    // Callable from any thread; the D-Bus calls are made asynchronously on
    // this object's thread.
    void notify(const QString &title, const QString &body, Category category);

    // No notification is being sent.
    bool isIdle() const { return m_pending == 0; }

    // Escapes what body markup would interpret.
    static QString escapeMarkup(const QString &text);
    static QVariantMap hints(Category category);

signals:
    // The last pending notification has been delivered or dropped.
    void idle();

private:
    struct Message {
        QString title, body;
        Category category;
    };
    enum class Bus { Unknown, Connecting, Connected, Missing };

    void send(const Message &message);
    void busReady(const QDBusConnection &bus);
    void done();

    BusConnector m_connectBus;
    Bus m_bus = Bus::Unknown;
    std::optional<QDBusConnection> m_connection;
    QList<Message> m_waiting;
    std::thread m_connector;
    std::atomic<int> m_pending{0};
};
