// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "DesktopNotifier.h"
#include "JobReporter.h"
#include "JobRequest.h"
#include "JobSettings.h"
#include "SettingsTable.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <atomic>
#include <memory>

class QSettings;
class JobControl;

// The one observable object: persisted settings and the state of the
// current or last job. Published properties belong to the main thread.
class ConverterEngine : public QObject, public JobReporter {
    Q_OBJECT
    // Job state: written by the job's reports (and clearResult), read-only to views.
    Q_PROPERTY(bool isConverting READ isConverting NOTIFY isConvertingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    // An empty URL means none.
    Q_PROPERTY(QUrl lastOutputURL READ lastOutputURL NOTIFY lastOutputURLChanged)
    // A null string means none; a failure text is never empty.
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(double fps READ fps WRITE setFps NOTIFY fpsChanged)
    Q_PROPERTY(double width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(double maxColors READ maxColors WRITE setMaxColors NOTIFY maxColorsChanged)
    Q_PROPERTY(double lossy READ lossy WRITE setLossy NOTIFY lossyChanged)
    Q_PROPERTY(qint64 loopCount READ loopCount WRITE setLoopCount NOTIFY loopCountChanged)
    Q_PROPERTY(qint64 frameSkip READ frameSkip WRITE setFrameSkip NOTIFY frameSkipChanged)
    Q_PROPERTY(QString outputPath READ outputPath WRITE setOutputPath NOTIFY outputPathChanged)
    Q_PROPERTY(QUrl outputFolderURL READ outputFolderURL NOTIFY outputPathChanged)

public:
    // Uses the user's settings store ($XDG_CONFIG_HOME/Loomfin/Loomfin.conf);
    // when that is no regular file, none.
    explicit ConverterEngine(QObject *parent = nullptr);
    // Uses the given store (tests, tools). Without one the settings load as
    // their defaults and no change is saved.
    explicit ConverterEngine(std::unique_ptr<QSettings> store, QObject *parent = nullptr);
    // Stops a running job (its tools, its temporary files) and waits for it.
    ~ConverterEngine() override;

    bool isConverting() const { return m_isConverting; }
    double progress() const { return m_progress; }
    QString statusMessage() const { return m_statusMessage; }
    QUrl lastOutputURL() const { return m_lastOutputURL; }
    QString errorMessage() const { return m_errorMessage; }
    double fps() const { return m_fps; }
    double width() const { return m_width; }
    double maxColors() const { return m_maxColors; }
    double lossy() const { return m_lossy; }
    qint64 loopCount() const { return m_loopCount; }
    qint64 frameSkip() const { return m_frameSkip; }
    QString outputPath() const { return m_outputPath; }
    // Computed afresh on every read. Empty when no folder can be had (no
    // output path set and no home folder to put the default in).
    QUrl outputFolderURL() const;

    void setIsConverting(bool value);
    void setProgress(double value);
    void setStatusMessage(const QString &value);
    void setLastOutputURL(const QUrl &value);
    void setErrorMessage(const QString &value);
    void setFps(double value);
    void setWidth(double value);
    void setMaxColors(double value);
    void setLossy(double value);
    void setLoopCount(qint64 value);
    void setFrameSkip(qint64 value);
    void setOutputPath(const QString &value);

    // "Convert Another": forgets the last result (lastOutputURL, then
    // statusMessage); progress, errorMessage and the settings stay.
    Q_INVOKABLE void clearResult();

    // The clamped copy a job works from.
    JobSettings jobSettings() const;

    // Job entry points (main thread). Ignored while a job runs.
    Q_INVOKABLE void startFolderJob(const QUrl &folderURL);
    Q_INVOKABLE void startFilesJob(const QList<QUrl> &fileURLs);
    // Common path of both entry points, also used by the command line with
    // its own settings. Returns whether the job was accepted.
    bool submitJob(const JobRequest &request);
    // A job has been accepted and has not yet made its final report.
    bool isJobRunning() const { return m_jobRunning; }
    // Stops the running job, if any: its tools are terminated, its temporary
    // files removed, no output is kept and no report is made.
    void cancelJob();

    // Reporting, callable from any thread; applied in order on the main thread.
    void postStatus(const QString &text, double fraction) override;
    void postFailure(const QString &message) override;
    void postCompletion(const QUrl &outputURL, const QString &sizeText) override;

    // Desktop notifications are on by default; the command line turns them off.
    void setNotificationsEnabled(bool enabled) { m_notificationsEnabled = enabled; }
    // Lets a short-lived caller (the command line) wait for delivery.
    DesktopNotifier *notifier() const;

signals:
    // Fired once before every write of a published property, changed or not.
    void objectWillChange();
    void isConvertingChanged();
    void progressChanged();
    void statusMessageChanged();
    void lastOutputURLChanged();
    void errorMessageChanged();
    void fpsChanged();
    void widthChanged();
    void maxColorsChanged();
    void lossyChanged();
    void loopCountChanged();
    void frameSkipChanged();
    void outputPathChanged();
    // The job's thread has ended (after its final report, or cancelled).
    void jobEnded();

private:
    void loadSettings();
    template<typename T> void write(T &field, const T &value, void (ConverterEngine::*changed)());
    void writeReal(SettingId id, double &field, double value, void (ConverterEngine::*changed)());
    void save(const QString &key, const QVariant &value);
    struct Job;
    void finishJob(quint64 serial);
    void notify(const QString &title, const QString &message, DesktopNotifier::Category category);
    void waitForJob();

    std::unique_ptr<QSettings> m_store;
    std::unique_ptr<DesktopNotifier> m_notifier;

    bool m_isConverting = false;
    double m_progress = 0;
    QString m_statusMessage;
    QUrl m_lastOutputURL;
    QString m_errorMessage;
    double m_fps = 0;
    double m_width = 0;
    double m_maxColors = 0;
    double m_lossy = 0;
    qint64 m_loopCount = 0;
    qint64 m_frameSkip = 0;
    QString m_outputPath;

    std::atomic<bool> m_notificationsEnabled{true};
    bool m_jobRunning = false;
    std::unique_ptr<Job> m_job;
    quint64 m_lastJobSerial = 0;
};
