#include "ConverterEngine.h"

#include "ConversionPipeline.h"
#include "DesktopNotifier.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "JobControl.h"
#include "NumberFormat.h"

#include <QDir>
#include <QMetaObject>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>
#include <thread>

struct ConverterEngine::Job {
    JobControl control;
    std::thread thread;
};

namespace {

const QString keyFps = QStringLiteral("fps");
const QString keyWidth = QStringLiteral("width");
const QString keyMaxColors = QStringLiteral("maxColors");
const QString keyLossy = QStringLiteral("lossy");
const QString keyLoopCount = QStringLiteral("loopCount");
const QString keyFrameSkip = QStringLiteral("frameSkip");
const QString keyOutputPath = QStringLiteral("outputPath");

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

// A missing key, or text that is no number, reads 0.
double readDouble(const QSettings &store, const QString &key) {
    const QVariant value = store.value(key);
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray)
        return parseFloatingLiteral(value.toString().trimmed()).value_or(0);
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : 0;
}

qint64 readInteger(const QSettings &store, const QString &key) {
    const QVariant value = store.value(key);
    if (!value.isValid())
        return 0;
    bool ok = false;
    const qint64 i = value.toLongLong(&ok);
    if (ok)
        return i;
    return truncatedInteger(readDouble(store, key));
}

QString defaultOutputFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath() + QStringLiteral("/Documents");
    return documents + QStringLiteral("/GIF_Output");
}

std::unique_ptr<QSettings> userStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Loomfin"), QStringLiteral("Loomfin"));
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

void ConverterEngine::loadSettings() {
    double fps = readDouble(*m_store, keyFps);
    if (fps == 0)
        fps = 15;
    setFps(fps);

    double width = readDouble(*m_store, keyWidth);
    if (width == 0)
        width = 600;
    setWidth(width);

    double maxColors = readDouble(*m_store, keyMaxColors);
    if (maxColors == 0)
        maxColors = 256;
    if (maxColors <= 2)
        maxColors = 2;
    if (maxColors > 256)
        maxColors = 256;
    setMaxColors(maxColors);

    double lossy = readDouble(*m_store, keyLossy);
    if (lossy <= 0)
        lossy = 0;
    if (lossy > 200)
        lossy = 200;
    setLossy(lossy);

    setLoopCount(readInteger(*m_store, keyLoopCount));

    qint64 frameSkip = readInteger(*m_store, keyFrameSkip);
    if (frameSkip < 1)
        frameSkip = 1;
    setFrameSkip(frameSkip);

    const QVariant path = m_store->value(keyOutputPath);
    setOutputPath(path.isValid() ? path.toString() : QString());
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
    write(m_fps, value, &ConverterEngine::fpsChanged);
    save(keyFps, value);
}

void ConverterEngine::setWidth(double value) {
    write(m_width, value, &ConverterEngine::widthChanged);
    save(keyWidth, value);
}

void ConverterEngine::setMaxColors(double value) {
    write(m_maxColors, value, &ConverterEngine::maxColorsChanged);
    const double corrected = std::isnan(value) ? value : std::max(std::min(value, 256.0), 2.0);
    if (!same(corrected, value)) {
        setMaxColors(corrected);
        return;
    }
    save(keyMaxColors, value);
}

void ConverterEngine::setLossy(double value) {
    write(m_lossy, value, &ConverterEngine::lossyChanged);
    const double m = std::min(value, 200.0);
    const double corrected = m >= 0 ? m : 0;
    if (!same(corrected, value)) {
        setLossy(corrected);
        return;
    }
    save(keyLossy, value);
}

void ConverterEngine::setLoopCount(qint64 value) {
    write(m_loopCount, value, &ConverterEngine::loopCountChanged);
    save(keyLoopCount, value);
}

void ConverterEngine::setFrameSkip(qint64 value) {
    write(m_frameSkip, value, &ConverterEngine::frameSkipChanged);
    save(keyFrameSkip, value);
}

void ConverterEngine::setOutputPath(const QString &value) {
    const QString stored = value.isNull() ? QString(QLatin1String("")) : value;
    write(m_outputPath, stored, &ConverterEngine::outputPathChanged);
    save(keyOutputPath, stored);
}

QUrl ConverterEngine::outputFolderURL() const {
    if (!m_outputPath.isEmpty()) {
        const QUrl url(m_outputPath, QUrl::StrictMode);
        // Only a local, absolute folder: anything else would land somewhere
        // the user did not choose (a relative path follows the working folder).
        if (url.isValid() && url.scheme() == QLatin1String("file") && !url.path().isEmpty())
            return url;
        if (url.isValid() && url.scheme().isEmpty() && m_outputPath.startsWith(QLatin1Char('/')))
            return urlFromLocalPath(m_outputPath.toStdString());
    }
    return QUrl::fromLocalFile(defaultOutputFolder());
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
    m_jobRunning = true;
    m_job = std::make_unique<Job>();
    Job *raw = m_job.get();
    raw->thread = std::thread([this, raw, job] {
        runConversion(job, *this, raw->control);
        QMetaObject::invokeMethod(
            this, [this, raw] { finishJob(raw); }, Qt::QueuedConnection);
    });
    return true;
}

void ConverterEngine::cancelJob() {
    if (m_job)
        m_job->control.cancel();
}

void ConverterEngine::finishJob(const Job *job) {
    // A newer job may already have replaced (and joined) this one.
    if (m_job.get() != job)
        return;
    const bool cancelled = m_job->control.isCancelled();
    waitForJob();
    if (cancelled && m_jobRunning) {
        // A cancelled job makes no report; return to idle quietly.
        m_jobRunning = false;
        setIsConverting(false);
        setProgress(0);
        setStatusMessage(QLatin1String(""));
    }
    m_jobRunning = false;
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
    notify(QStringLiteral("Loomfin — Error"), message, DesktopNotifier::Category::TransferError);
}

void ConverterEngine::postCompletion(const QUrl &outputURL, const QString &sizeText) {
    const QString name = lastPathComponent(outputURL);
    const QString status =
        QStringLiteral("Done — ") + name + QStringLiteral(" (") + sizeText + QLatin1Char(')');
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
    notify(QStringLiteral("Loomfin — Done ✓"), name + QStringLiteral(" · ") + sizeText,
           DesktopNotifier::Category::TransferComplete);
}

void ConverterEngine::postNotification(const QString &title, const QString &message) {
    notify(title, message, DesktopNotifier::Category::TransferComplete);
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
