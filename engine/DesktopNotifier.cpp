#include "DesktopNotifier.h"

#include "ApplicationInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DesktopNotifier::DesktopNotifier(QObject *parent)
    : QObject(parent) {}

void DesktopNotifier::notify(const QString &title, const QString &body, Category category) {
    QMetaObject::invokeMethod(
        this, [this, title, body, category] { send(title, body, category); }, Qt::QueuedConnection);
    // Counted at once, so a caller waiting for idle() sees it pending.
    ++m_pending;
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

void DesktopNotifier::send(const QString &title, const QString &body, Category category) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done();
        return;
    }
    // The server decides whether the body is markup; ask each time, servers come and go.
    const QDBusMessage capabilities =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(capabilities), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, title, body, category](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<QStringList> reply = *w;
                if (reply.isError()) {
                    done();
                    return;
                }
                const bool markup = reply.value().contains(QStringLiteral("body-markup"));
                QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface,
                                                                   QStringLiteral("Notify"));
                call << ApplicationInfo::name() << uint(0) << ApplicationInfo::id() << title
                     << (markup ? escapeMarkup(body) : body) << QStringList() << hints(category)
                     << int(-1);
                auto *notifyWatcher = new QDBusPendingCallWatcher(
                    QDBusConnection::sessionBus().asyncCall(call), this);
                connect(notifyWatcher, &QDBusPendingCallWatcher::finished, this,
                        [this](QDBusPendingCallWatcher *nw) {
                            nw->deleteLater();
                            done();
                        });
            });
}

void DesktopNotifier::done() {
    if (m_pending > 0 && --m_pending == 0)
        emit idle();
}
