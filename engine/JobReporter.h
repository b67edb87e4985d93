// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QUrl>

// The only ways a running job talks back. Called from the job's thread;
// implementations hand the change to the main thread and return at once.
class JobReporter {
public:
    virtual ~JobReporter() = default;
    virtual void postStatus(const QString &text, double fraction) = 0;
    virtual void postFailure(const QString &message) = 0;
    virtual void postCompletion(const QUrl &outputURL, const QString &sizeText) = 0;
};
