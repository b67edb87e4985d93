// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

// The org.freedesktop.Application interface on the instance's object.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationAdaptor(SingleInstance *instance)
        : QDBusAbstractAdaptor(instance)
        , m_instance(instance) {}

public slots:
    void Activate(const QVariantMap &platformData) {
        emit m_instance->activateRequested(platformData);
    }
    void Open(const QStringList &uris, const QVariantMap &platformData) {
        QList<QUrl> urls;
        for (const QString &uri : uris)
            urls.append(QUrl::fromEncoded(uri.toUtf8()));
        emit m_instance->openRequested(urls, platformData);
    }
    // The application has no actions; it comes forward.
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &platformData) {
        emit m_instance->activateRequested(platformData);
    }

private:
    SingleInstance *m_instance;
};

} // namespace

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent) {
    new ApplicationAdaptor(this);
}

SingleInstance::~SingleInstance() {
    if (!m_registered)
        return;
    QDBusConnection bus(m_connectionName);
    bus.unregisterService(serviceName());
    bus.unregisterObject(objectPath());
}

QString SingleInstance::serviceName() {
    return QStringLiteral("org.loomfin.Loomfin");
}

QString SingleInstance::objectPath() {
    return QStringLiteral("/org/loomfin/Loomfin");
}

SingleInstance::Role SingleInstance::claim() {
    return claim(QDBusConnection::sessionBus().name());
}

SingleInstance::Role SingleInstance::claim(const QString &connectionName) {
    QDBusConnection bus(connectionName);
    if (!bus.isConnected())
        return Role::Alone;
    m_connectionName = connectionName;
    // The object first, so a second instance never finds the name without it.
    if (!bus.registerObject(objectPath(), this))
        return Role::Alone;
    const auto reply =
        bus.interface()->registerService(serviceName(), QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_registered = true;
        return Role::Primary;
    }
    bus.unregisterObject(objectPath());
    return reply.isValid() ? Role::Secondary : Role::Alone;
}

QVariantMap SingleInstance::platformData() {
    QVariantMap data;
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(startupId));
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    if (!token.isEmpty())
        data.insert(QStringLiteral("activation-token"), QString::fromUtf8(token));
    return data;
}

bool SingleInstance::handOver(const QList<QUrl> &urls, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString interface = QStringLiteral("org.freedesktop.Application");
    QDBusMessage message;
    if (urls.isEmpty()) {
        message = QDBusMessage::createMethodCall(serviceName(), objectPath(), interface,
                                                 QStringLiteral("Activate"));
        message << platformData();
    } else {
        QStringList uris;
        for (const QUrl &url : urls)
            uris.append(QString::fromLatin1(url.toEncoded()));
        message = QDBusMessage::createMethodCall(serviceName(), objectPath(), interface,
                                                 QStringLiteral("Open"));
        message << uris << platformData();
    }
    const QDBusMessage reply = bus.call(message, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

#include "SingleInstance.moc"
