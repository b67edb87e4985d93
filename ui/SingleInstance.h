// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariantMap>

// One window per user session: the first instance owns the bus name
// org.loomfin.Loomfin and serves org.freedesktop.Application at
// /org/loomfin/Loomfin; a later launch hands its files over and exits.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,   // owns the name; requests arrive as signals
        Secondary, // another instance owns it
        Alone,     // no session bus: just run
    };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Registers the object and claims the name (on the session bus by default).
    Role claim();
    Role claim(const QString &connectionName);

    // Asks the running instance to open the URLs (or, with none, to come
    // forward). Returns whether it answered.
    static bool handOver(const QList<QUrl> &urls, int timeoutMs = 10000);

    static QString serviceName();
    static QString objectPath();

    // Platform data for a hand-over: the launch's activation token.
    static QVariantMap platformData();

signals:
    void activateRequested(const QVariantMap &platformData);
    void openRequested(const QList<QUrl> &urls, const QVariantMap &platformData);

private:
    QString m_connectionName;
    bool m_registered = false;
};
