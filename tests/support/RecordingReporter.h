#pragma once

#include "JobReporter.h"

#include <QStringList>
#include <QUrl>
#include <mutex>

// Reports straight into lists, from whatever thread the job runs on.
class RecordingReporter : public JobReporter {
public:
    void postStatus(const QString &text, double fraction) override {
        std::lock_guard lock(mutex);
        stages << text + QStringLiteral(" @") + QString::number(fraction);
    }
    void postFailure(const QString &message) override {
        std::lock_guard lock(mutex);
        failures << message;
    }
    void postCompletion(const QUrl &url, const QString &size) override {
        std::lock_guard lock(mutex);
        outputs << url;
        sizes << size;
    }
    std::mutex mutex;
    QStringList stages, failures, sizes;
    QList<QUrl> outputs;
};
