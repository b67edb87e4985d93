#include "FakeNotificationServer.h"

namespace {
QString nextConnectionName() {
    static int n = 0;
    return QStringLiteral("fake-notifications-%1").arg(++n);
}
} // namespace

FakeNotificationServer::FakeNotificationServer(bool bodyMarkup, QObject *parent)
    : QObject(parent)
    , m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, nextConnectionName()))
    , m_bodyMarkup(bodyMarkup) {
    m_registered = m_connection.isConnected() &&
                   m_connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                               this, QDBusConnection::ExportAllSlots) &&
                   m_connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

FakeNotificationServer::~FakeNotificationServer() {
    m_connection.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_connection.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(m_connection.name());
}

QStringList FakeNotificationServer::GetCapabilities() {
    QStringList caps{QStringLiteral("body")};
    if (m_bodyMarkup)
        caps << QStringLiteral("body-markup");
    return caps;
}

uint FakeNotificationServer::Notify(const QString &appName, uint, const QString &appIcon,
                                    const QString &summary, const QString &body,
                                    const QStringList &, const QVariantMap &hints, int timeout) {
    received.append({appName, appIcon, summary, body, hints, timeout});
    setDelayedReply(silent);
    emit notified();
    return uint(received.size());
}

QString FakeNotificationServer::GetServerInformation(QString &vendor, QString &version,
                                                     QString &specVersion) {
    vendor = QStringLiteral("test");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("fake");
}
