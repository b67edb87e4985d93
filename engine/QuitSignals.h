// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread, so a
// running job can be stopped and cleaned up instead of the process dying
// with its tools and temporary files left behind.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one instance per process.
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signalNumber);

private:
    void drain();
};
