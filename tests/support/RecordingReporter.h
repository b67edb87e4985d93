// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "JobReporter.h"

#include <QStringList>
#include <QUrl>

// Reports straight into lists. A job on another thread reports into its own
// recorder, read once that thread has been joined.
class RecordingReporter : public JobReporter {
public:
    void postStatus(const QString &text, double fraction) override {
        stages << text + QStringLiteral(" @") + QString::number(fraction);
    }
    void postFailure(const QString &message) override { failures << message; }
    void postCompletion(const QUrl &url, const QString &size) override {
        outputs << url;
        sizes << size;
    }
    QStringList stages, failures, sizes;
    QList<QUrl> outputs;
};
