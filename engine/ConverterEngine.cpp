// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ConverterEngine.h"
#include "ConversionPipeline.h"
#include "DesktopNotifier.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "JobControl.h"
#include "NumberFormat.h"
#include "RegularFile.h"
#include "ToolRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>
#include <cstdio>
#include <pwd.h>
#include <thread>
#include <unistd.h>

struct ConverterEngine::Job {
    quint64 serial = 0;
    JobControl control;
    std::thread thread;
};

namespace {

// NaN equals NaN here: a NaN setting is kept, not corrected forever.
bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// "None" and the empty text are different values.
bool same(const QString &a, const QString &b) {
    return a == b && a.isNull() == b.isNull();
}

template<typename T> bool same(const T &a, const T &b) {
    return a == b;
}

QString keyOf(SettingId id) {
    return QLatin1String(numericSetting(id).key);
}

// More than a store of Loomfin's own keys ever takes, whatever the output path.
constexpr qint64 kOwnStoreBytes = 64 * 1024;

// A missing key, or text that is no number, reads 0.
double readDouble(const QVariant &value) {
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
        return parseFloatingLiteral(value.toString().trimmed()).value_or(0);
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : 0;
}

qint64 readInteger(const QVariant &value) {
    if (!value.isValid())
        return 0;
    bool ok = false;
    const qint64 i = value.toLongLong(&ok);
    return ok ? i : truncatedInteger(readDouble(value));
}

// Documents/GIF_Output under the user's documents folder, as an absolute,
// normalised path. A home of "/" must not give "//Documents", which reads as
// a network host, nor may an unset HOME leave a path relative to wherever
// the program was started.
QString defaultOutputFolder() {
    const QByteArray homeVariable = qgetenv("HOME");
    QString home = QDir::cleanPath(QString::fromLocal8Bit(homeVariable));
    if (!QDir::isAbsolutePath(home)) {
        const passwd *entry = ::getpwuid(::getuid());
        home = entry && entry->pw_dir ? QDir::cleanPath(QString::fromLocal8Bit(entry->pw_dir))
                                      : QString();
        if (!QDir::isAbsolutePath(home))
            return {};
        return QDir::cleanPath(home + QStringLiteral("/Documents/GIF_Output"));
    }
    const QString documents =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const QString base = QDir::isAbsolutePath(documents) && documents != QLatin1String("/")
                             ? documents
                             : home + QStringLiteral("/Documents");
    return QDir::cleanPath(base + QStringLiteral("/GIF_Output"));
}

// Only this file, without the shared fallbacks QSettings would also read.
// QSettings would wait forever on a FIFO there: anything but a regular file
// leaves the engine without a store (the defaults, nothing saved).
std::unique_ptr<QSettings> userStore() {
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Loomfin/Loomfin.conf");
    if (isSpecialFile(path.toLocal8Bit().toStdString())) {
        std::fputs(QCoreApplication::translate("ConverterEngine",
                                               "loomfin: the settings file %1 is not a regular "
                                               "file: using the defaults, and no change is "
                                               "saved\n")
                       .arg(path)
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        return nullptr;
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace

ConverterEngine::ConverterEngine(QObject *parent)
    : ConverterEngine(userStore(), parent) {}

ConverterEngine::ConverterEngine(std::unique_ptr<QSettings> store, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_notifier(std::make_unique<DesktopNotifier>()) {
    loadSettings();
}

ConverterEngine::~ConverterEngine() {
    cancelJob();
    waitForJob();
}

// Reads the store once and writes back, in one go, only what was repaired,
// and the missing keys of a store that holds nothing else: a large store
// (hand-edited, or junk) is not rewritten at every start.
void ConverterEngine::loadSettings() {
    const auto read = [&](const QString &key) {
        return m_store ? m_store->value(key) : QVariant();
    };
    QVariantMap repaired, missing;
    const auto keep = [&](const QString &key, const QVariant &stored, const QVariant &value) {
        if (!stored.isValid())
            missing.insert(key, value);
        else if (stored.toString() != value.toString())
            repaired.insert(key, value);
    };
    for (const NumericSetting &setting : numericSettings()) {
        const QString key = QLatin1String(setting.key);
        const QVariant stored = read(key);
        if (setting.isInteger) {
            const qint64 value = loadedInteger(setting, readInteger(stored));
            (setting.id == SettingId::LoopCount ? m_loopCount : m_frameSkip) = value;
            keep(key, stored, value);
            continue;
        }
        const double value = loadedValue(setting, readDouble(stored));
        double *field = setting.id == SettingId::Fps         ? &m_fps
                        : setting.id == SettingId::Width     ? &m_width
                        : setting.id == SettingId::MaxColors ? &m_maxColors
                                                             : &m_lossy;
        *field = value;
        keep(key, stored, value);
    }
    const QString pathKey = QLatin1String(outputPathKey);
    const QVariant path = read(pathKey);
    m_outputPath = path.isValid() ? path.toString() : QString(QLatin1String(""));
    keep(pathKey, path, m_outputPath);
    if (!m_store)
        return;
    // Listing the keys of a large file costs seconds: its size tells first.
    const qsizetype ownKeys = qsizetype(numericSettings().size()) + 1;
    if (QFileInfo(m_store->fileName()).size() <= kOwnStoreBytes &&
        m_store->allKeys().size() + missing.size() == ownKeys)
        repaired.insert(missing);
    for (auto it = repaired.cbegin(); it != repaired.cend(); ++it)
        m_store->setValue(it.key(), it.value());
    if (!repaired.isEmpty())
        m_store->sync();
}

// --- published properties -----------------------------------------------------

// Every write fires objectWillChange first, changed or not; the NOTIFY signal
// follows only a real change.
template<typename T>
void ConverterEngine::write(T &field, const T &value, void (ConverterEngine::*changed)()) {
    emit objectWillChange();
    if (same(field, value))
        return;
    field = value;
    emit(this->*changed)();
}

void ConverterEngine::save(const QString &key, const QVariant &value) {
    if (!m_store)
        return; // an unusable store: nothing is saved
    m_store->setValue(key, value);
    m_store->sync(); // persists at once, not at exit
}

void ConverterEngine::setIsConverting(bool value) {
    write(m_isConverting, value, &ConverterEngine::isConvertingChanged);
}

void ConverterEngine::setProgress(double value) {
    write(m_progress, value, &ConverterEngine::progressChanged);
}

void ConverterEngine::setStatusMessage(const QString &value) {
    write(m_statusMessage, value, &ConverterEngine::statusMessageChanged);
}

void ConverterEngine::setLastOutputURL(const QUrl &value) {
    write(m_lastOutputURL, value, &ConverterEngine::lastOutputURLChanged);
}

void ConverterEngine::setErrorMessage(const QString &value) {
    write(m_errorMessage, value, &ConverterEngine::errorMessageChanged);
}

void ConverterEngine::setFps(double value) {
    writeReal(SettingId::Fps, m_fps, value, &ConverterEngine::fpsChanged);
}

void ConverterEngine::setWidth(double value) {
    writeReal(SettingId::Width, m_width, value, &ConverterEngine::widthChanged);
}

void ConverterEngine::setMaxColors(double value) {
    writeReal(SettingId::MaxColors, m_maxColors, value, &ConverterEngine::maxColorsChanged);
}

void ConverterEngine::setLossy(double value) {
    writeReal(SettingId::Lossy, m_lossy, value, &ConverterEngine::lossyChanged);
}

// A value the store may not hold is written, then corrected by a second write.
void ConverterEngine::writeReal(SettingId id, double &field, double value,
                                void (ConverterEngine::*changed)()) {
    write(field, value, changed);
    const double corrected = writtenValue(numericSetting(id), value);
    if (!same(corrected, value)) {
        writeReal(id, field, corrected, changed);
        return;
    }
    save(keyOf(id), value);
}

void ConverterEngine::setLoopCount(qint64 value) {
    write(m_loopCount, value, &ConverterEngine::loopCountChanged);
    save(keyOf(SettingId::LoopCount), value);
}

void ConverterEngine::setFrameSkip(qint64 value) {
    write(m_frameSkip, value, &ConverterEngine::frameSkipChanged);
    save(keyOf(SettingId::FrameSkip), value);
}

void ConverterEngine::setOutputPath(const QString &value) {
    const QString stored = value.isNull() ? QString(QLatin1String("")) : value;
    write(m_outputPath, stored, &ConverterEngine::outputPathChanged);
    save(QLatin1String(outputPathKey), stored);
}

QUrl ConverterEngine::outputFolderURL() const {
    // Only a local, absolute folder: anything else would land somewhere the
    // user did not choose (a relative path follows the working folder).
    if (const QUrl url = localFolderUrl(m_outputPath); !url.isEmpty())
        return url;
    const QString folder = defaultOutputFolder();
    return folder.isEmpty() ? QUrl() : urlFromLocalPath(folder.toStdString());
}

void ConverterEngine::clearResult() {
    setLastOutputURL(QUrl());
    setStatusMessage(QLatin1String(""));
}

JobSettings ConverterEngine::jobSettings() const {
    return JobSettings::clamped(m_fps, m_width, m_maxColors, m_lossy, m_loopCount, m_frameSkip);
}

// --- job entry points --------------------------------------------------------

void ConverterEngine::startFolderJob(const QUrl &folderURL) {
    if (m_isConverting || m_jobRunning)
        return;
    JobRequest request = JobRequest::forFolder(folderURL);
    request.settings = jobSettings();
    submitJob(request);
}

void ConverterEngine::startFilesJob(const QList<QUrl> &fileURLs) {
    if (m_isConverting || m_jobRunning || fileURLs.isEmpty())
        return;
    JobRequest request = JobRequest::forFiles(fileURLs);
    request.settings = jobSettings();
    submitJob(request);
}

bool ConverterEngine::submitJob(const JobRequest &request) {
    if (m_isConverting || m_jobRunning)
        return false;
    waitForJob(); // the previous job's thread has made its final report
    JobRequest job = request;
    if (job.outputFolder.empty())
        job.outputFolder = localPathFromUrl(outputFolderURL());
    // The job's thread never reads the live environment, which this thread may change.
    if (job.environment.empty())
        job.environment = environmentSnapshot();
    m_jobRunning = true;
    m_job = std::make_unique<Job>();
    m_job->serial = ++m_lastJobSerial;
    Job *raw = m_job.get();
    raw->thread = std::thread([this, raw, job] {
        runConversion(job, *this, raw->control);
        // The serial, not the address: a later job may reuse the memory.
        QMetaObject::invokeMethod(
            this, [this, serial = raw->serial] { finishJob(serial); }, Qt::QueuedConnection);
    });
    return true;
}

void ConverterEngine::cancelJob() {
    if (m_job)
        m_job->control.cancel();
}

void ConverterEngine::finishJob(quint64 serial) {
    // A job started from this one's final report has already joined it.
    if (m_job && m_job->serial == serial) {
        const bool cancelled = m_job->control.isCancelled();
        waitForJob();
        if (cancelled && m_jobRunning) {
            // A cancelled job makes no report; return to idle quietly.
            setIsConverting(false);
            setProgress(0);
            setStatusMessage(QLatin1String(""));
        }
        m_jobRunning = false;
    }
    emit jobEnded();
}

void ConverterEngine::waitForJob() {
    if (m_job && m_job->thread.joinable())
        m_job->thread.join();
    m_job.reset();
}

// --- reporting ---------------------------------------------------------------

void ConverterEngine::postStatus(const QString &text, double fraction) {
    QMetaObject::invokeMethod(
        this,
        [this, text, fraction] {
            setIsConverting(true);
            setStatusMessage(text);
            setProgress(fraction);
            setErrorMessage(QString());
        },
        Qt::QueuedConnection);
}

void ConverterEngine::postFailure(const QString &message) {
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            m_jobRunning = false;
            setIsConverting(false);
            setProgress(0);
            setErrorMessage(message);
            setStatusMessage(QLatin1String(""));
        },
        Qt::QueuedConnection);
    notify(tr("Loomfin — Error"), message, DesktopNotifier::Category::TransferError);
}

void ConverterEngine::postCompletion(const QUrl &outputURL, const QString &sizeText) {
    const QString name = lastPathComponent(outputURL);
    const QString status = tr("Done — %1 (%2)").arg(name, sizeText);
    QMetaObject::invokeMethod(
        this,
        [this, status, outputURL] {
            m_jobRunning = false;
            setIsConverting(false);
            setProgress(1);
            setStatusMessage(status);
            setLastOutputURL(outputURL);
            setErrorMessage(QString());
        },
        Qt::QueuedConnection);
    notify(tr("Loomfin — Done ✓"), tr("%1 · %2", "file name · size").arg(name, sizeText),
           DesktopNotifier::Category::TransferComplete);
}

void ConverterEngine::notify(const QString &title, const QString &message,
                             DesktopNotifier::Category category) {
    if (!m_notificationsEnabled)
        return;
    m_notifier->notify(title, message, category);
}

DesktopNotifier *ConverterEngine::notifier() const {
    return m_notifier.get();
}
