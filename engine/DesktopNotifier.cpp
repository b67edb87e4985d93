// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DesktopNotifier.h"

#include "ApplicationInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>

#include <utility>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent, BusConnector connectBus)
    : QObject(parent)
    , m_connectBus(connectBus ? std::move(connectBus)
                              : [] { return QDBusConnection::sessionBus(); }) {}

DesktopNotifier::~DesktopNotifier() {
    if (m_connector.joinable())
        m_connector.join();
}

void DesktopNotifier::notify(const QString &title, const QString &body, Category category) {
    // Counted before it is posted: the post may be handled, and finished,
    // before this thread runs on.
    ++m_pending;
    QMetaObject::invokeMethod(
        this, [this, message = Message{title, body, category}] { send(message); },
        Qt::QueuedConnection);
}

QString DesktopNotifier::escapeMarkup(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            out += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            out += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>'))
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

QVariantMap DesktopNotifier::hints(Category category) {
    return {
        {QStringLiteral("desktop-entry"), ApplicationInfo::id()},
        {QStringLiteral("category"), category == Category::TransferComplete
                                         ? QStringLiteral("transfer.complete")
                                         : QStringLiteral("transfer.error")},
    };
}

void DesktopNotifier::send(const Message &message) {
    switch (m_bus) {
    case Bus::Unknown:
        // Connecting can block for as long as the bus takes to answer (a
        // socket that accepts and never speaks holds it for 25 s), so it is
        // done off this thread.
        m_bus = Bus::Connecting;
        m_connector = std::thread([this] {
            const QDBusConnection bus = m_connectBus();
            QMetaObject::invokeMethod(
                this, [this, bus] { busReady(bus); }, Qt::QueuedConnection);
        });
        [[fallthrough]];
    case Bus::Connecting:
        m_waiting.append(message);
        return;
    case Bus::Missing:
        done();
        return;
    case Bus::Connected:
        break;
    }
    // The server decides whether the body is markup; ask each time, servers come and go.
    const QDBusMessage capabilities =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_connection->asyncCall(capabilities), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, message](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<QStringList> reply = *w;
                if (reply.isError()) {
                    done();
                    return;
                }
                const bool markup = reply.value().contains(QStringLiteral("body-markup"));
                QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface,
                                                                   QStringLiteral("Notify"));
                call << ApplicationInfo::name() << uint(0) << ApplicationInfo::id() << message.title
                     << (markup ? escapeMarkup(message.body) : message.body) << QStringList()
                     << hints(message.category) << int(-1);
                auto *notifyWatcher =
                    new QDBusPendingCallWatcher(m_connection->asyncCall(call), this);
                connect(notifyWatcher, &QDBusPendingCallWatcher::finished, this,
                        [this](QDBusPendingCallWatcher *nw) {
                            nw->deleteLater();
                            done();
                        });
            });
}

void DesktopNotifier::busReady(const QDBusConnection &bus) {
    m_bus = bus.isConnected() ? Bus::Connected : Bus::Missing;
    if (m_bus == Bus::Connected)
        m_connection = bus;
    const QList<Message> waiting = std::exchange(m_waiting, {});
    for (const Message &message : waiting)
        send(message);
}

void DesktopNotifier::done() {
    if (m_pending.fetch_sub(1) == 1)
        emit idle();
}
