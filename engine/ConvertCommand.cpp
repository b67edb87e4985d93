// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ConvertCommand.h"

#include "ApplicationInfo.h"
#include "ConversionPipeline.h"
#include "ConverterEngine.h"
#include "DesktopNotifier.h"
#include "DropRouting.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "JobControl.h"
#include "JobLog.h"
#include "NumberFormat.h"
#include "PrivateFolder.h"
#include "QuitSignals.h"
#include "ToolRunner.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <array>
#include <csignal>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int exitDone = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitInterrupted = 130;

const char usageText[] = QT_TRANSLATE_NOOP(
    "ConvertCommand",
    "Usage: loomfin convert [options] PATH...\n"
    "Turns a folder of numbered frames, or the frame files given, into an optimised GIF.\n"
    "Several folders make one GIF each, one after another, with the same settings.\n"
    "\n"
    "Options (override the saved settings for this run only):\n"
    "  --fps N        frame rate (1-60)\n"
    "  --width N      width in pixels (100-1200)\n"
    "  --colors N     palette size (2-256)\n"
    "  --lossy N      lossy compression level, 0 = best quality (0-200)\n"
    "  --loop N       0 = loop forever, 1 = play once, N = play N times (0-65535)\n"
    "  --skip N       keep every Nth frame\n"
    "  --output DIR   folder for the GIFs\n"
    "  --dry-run      show the frames found and the commands, run nothing\n"
    "  --notify       post a desktop notification when done\n"
    "  --sequential   run one tool process at a time (for comparison, or as a way\n"
    "                 out); otherwise a long job's GIF pass runs as frame ranges,\n"
    "                 one per core, joined into the same GIF\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show the version\n"
    "\n"
    "A long job already keeps every core busy. To run folders in parallel\n"
    "anyway, start one loomfin per folder:\n"
    "  printf '%s\\0' shots_*/ | xargs -0 -n1 -P2 loomfin convert\n");

struct Options {
    std::array<std::optional<double>, 6> settings; // by SettingId
    std::optional<fs::path> output;
    bool dryRun = false;
    bool notify = false;
    bool sequential = false;
    std::vector<fs::path> paths;
};

// A write to a closed pipe (`loomfin convert … | head -n1`) fails with EPIPE
// instead of killing the process, so the job still ends cleanly.
bool write(FILE *stream, const QByteArray &bytes) {
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size()) &&
        std::fflush(stream) == 0;
    std::clearerr(stream);
    return written;
}

bool printErr(const QString &text) {
    return write(stderr, text.toUtf8());
}

bool printOut(const QByteArray &bytes) {
    return write(stdout, bytes);
}

void onBrokenPipe(int) {}

void surviveClosedOutput() {
    // A handler rather than SIG_IGN, which the tools would inherit.
    struct sigaction action = {};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &action, nullptr);
}

QString usage() {
    return QCoreApplication::translate("ConvertCommand", usageText);
}

int usageError(const QString &message) {
    printErr(QStringLiteral("loomfin convert: ") + message + QLatin1Char('\n') + usage());
    return exitUsage;
}

// Returns an error text, or nothing when the arguments are fine.
std::optional<QString> parseArguments(int argc, char **argv, Options &options,
                                      bool &helpOrVersion) {
    helpOrVersion = false;
    bool onlyPaths = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
            options.paths.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPaths = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            printOut(usage().toUtf8());
            helpOrVersion = true;
            return std::nullopt;
        }
        if (arg == "-V" || arg == "--version") {
            printOut("loomfin " + ApplicationInfo::version().toUtf8() + '\n');
            helpOrVersion = true;
            return std::nullopt;
        }
        if (arg == "--dry-run") {
            options.dryRun = true;
            continue;
        }
        if (arg == "--notify") {
            options.notify = true;
            continue;
        }
        if (arg == "--sequential") {
            options.sequential = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const NumericSetting *setting = nullptr;
        for (const NumericSetting &s : numericSettings()) {
            if (name == std::string("--") + s.option)
                setting = &s;
        }
        if (!setting && name != "--output")
            return QCoreApplication::translate("ConvertCommand", "unknown option %1")
                .arg(QString::fromStdString(arg));
        if (!value) {
            if (i + 1 >= argc)
                return QCoreApplication::translate("ConvertCommand", "option %1 needs a value")
                    .arg(QString::fromStdString(name));
            value = argv[++i];
        }
        if (name == "--output") {
            if (value->empty())
                return QCoreApplication::translate("ConvertCommand", "--output needs a folder");
            options.output = fs::path(*value);
            continue;
        }
        const std::optional<double> number = parseFloatingLiteral(QString::fromStdString(*value));
        if (!number || std::isnan(*number))
            return QCoreApplication::translate("ConvertCommand", "not a number for %1: %2")
                .arg(QString::fromStdString(name), QString::fromStdString(*value));
        if (setting->isInteger && (*number != std::trunc(*number) || std::isinf(*number)))
            return QCoreApplication::translate("ConvertCommand", "not a whole number for %1: %2")
                .arg(QString::fromStdString(name), QString::fromStdString(*value));
        // Other settings are clamped like the saved ones; a loop count out of
        // range would silently loop forever (or wrap), so it is refused.
        if (setting->id == SettingId::LoopCount &&
            (*number < setting->job.from || *number > setting->job.to))
            return QCoreApplication::translate(
                       "ConvertCommand", "--loop must be from 0 to 65535 (0 = loop forever): %1")
                .arg(QString::fromStdString(*value));
        options.settings[size_t(setting->id)] = number;
    }
    if (options.paths.empty())
        return QCoreApplication::translate("ConvertCommand", "no folder or frame files given");
    return std::nullopt;
}

// The saved settings with this run's options laid over them.
JobSettings overridden(JobSettings settings, const Options &options) {
    for (const NumericSetting &setting : numericSettings()) {
        if (const auto &value = options.settings[size_t(setting.id)])
            settings.set(setting.id, *value);
    }
    return settings.clamped();
}

fs::path absolutePath(const fs::path &path) {
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal();
}

struct BatchJob {
    JobRequest request;
    QString given; // the path as typed (folder jobs)
    QString name;  // the folder's name (folder jobs)
};

// Folders make one job each, in the order given; frame files make one job,
// sorted and routed the way a drop is.
std::vector<BatchJob> jobsFor(const std::vector<fs::path> &folders,
                              const std::vector<fs::path> &files) {
    std::vector<BatchJob> jobs;
    for (const fs::path &folder : folders) {
        BatchJob job{
            JobRequest::forFolder(urlFromLocalPath(absolutePath(folder))), displayPath(folder), {}};
        job.request.given = job.given;
        const std::string name = fileNameOf(job.request.folder);
        job.name = name.empty() ? displayPath(job.request.folder) : displayPath(name);
        jobs.push_back(job);
    }
    if (!files.empty()) {
        QList<QUrl> urls;
        for (const fs::path &file : files)
            urls.append(urlFromLocalPath(absolutePath(file)));
        jobs.push_back({JobRequest::forFiles(routeDroppedURLs(urls).files), {}, {}});
        jobs.back().request.given = QString();
    }
    return jobs;
}

int dryRun(const JobRequest &request, const QString &prefix) {
    const auto sequence =
        discoverFrameSequence(request.folder, request.files, request.settings.frameSkip);
    if (!sequence) {
        printErr(prefix + noImagesMessage(request.given) + QLatin1Char('\n'));
        return exitFailed;
    }
    // The job would fail so: never a command line writing to a relative path.
    if (request.outputFolder.empty() || request.outputFolder.is_relative()) {
        printErr(prefix + noOutputFolderMessage() + QLatin1Char('\n'));
        return exitFailed;
    }
    const QString ts = jobTimestamp(QDateTime::currentDateTimeUtc());
    const std::vector<std::string> environment = environmentSnapshot();
    ConversionPaths paths = temporaryPaths(
        PrivateFolder::base(environmentValue(environment, "TMPDIR")) / PrivateFolder::namePattern(),
        ts);
    paths.optimiserOutput = request.outputFolder / ("animation_" + ts.toStdString() + ".gif");
    const CommandLines lines =
        buildCommandLines(*sequence, request.folder, request.settings, paths);
    const std::optional<std::string> path = environmentValue(environment, "PATH");
    const std::string ffmpeg = locateTool("ffmpeg", path).value_or("ffmpeg");
    const std::string gifsicle = locateTool("gifsicle", path).value_or("gifsicle");

    QByteArray out = prefix.isEmpty() ? QByteArray() : prefix.trimmed().toUtf8() + '\n';
    out +=
        selectionSummary(*sequence, request.settings.frameSkip, request.files.has_value()).toUtf8();
    out += '\n' +
           QCoreApplication::translate("ConvertCommand", "Input mode: %1")
               .arg(frameInputModeName(sequence->inputMode))
               .toUtf8() +
           '\n';
    out += QByteArray::fromStdString(JobLog::commandLine(ffmpeg, lines.palette)) + '\n';
    out += QByteArray::fromStdString(JobLog::commandLine(ffmpeg, lines.gif)) + '\n';
    out += QByteArray::fromStdString(JobLog::commandLine(gifsicle, lines.optimiser)) + '\n';
    printOut(out);
    return exitDone;
}

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool live)
        : m_live(live) {}

    // `prefix` names the folder in a batch ("[2/5] shots_v3: ").
    void show(const QString &prefix, const QString &stage, double fraction) {
        if (m_broken)
            return;
        const int percent = int(fraction * 100 + 0.5);
        QString line;
        if (m_live) {
            const int filled = percent * 24 / 100;
            const QString bar =
                QString(filled, QLatin1Char('#')) + QString(24 - filled, QLatin1Char('.'));
            line = QStringLiteral("\r\033[K") + prefix + QLatin1Char('[') + bar +
                   QStringLiteral("] ") + QStringLiteral("%1% ").arg(percent, 3) + stage;
        } else if (prefix.isEmpty()) {
            line = QStringLiteral("[%1%] ").arg(percent, 3) + stage + QLatin1Char('\n');
        } else {
            line = prefix + stage + QLatin1Char('\n');
        }
        // Whoever read standard error has gone: progress is for nobody now.
        m_broken = !printErr(line);
        m_shown = !m_broken;
    }

    void end() {
        if (m_live && m_shown)
            printErr(QStringLiteral("\r\033[K"));
        m_shown = false;
    }

private:
    bool m_live;
    bool m_shown = false;
    bool m_broken = false;
};

// Runs the jobs one at a time on one engine and reports as they end.
class BatchRun {
public:
    BatchRun(ConverterEngine &engine, std::vector<BatchJob> jobs)
        : m_engine(engine)
        , m_jobs(std::move(jobs))
        , m_outcomes(m_jobs.size())
        , m_progress(::isatty(STDERR_FILENO) == 1) {}

    // Returns the exit status.
    int exec(QCoreApplication &app) {
        QObject::connect(&m_engine, &ConverterEngine::progressChanged, &m_engine, [this] {
            if (m_engine.isConverting())
                m_progress.show(prefix(), m_engine.statusMessage(), m_engine.progress());
        });
        QObject::connect(&m_engine, &ConverterEngine::jobEnded, &app, [this, &app] {
            jobEnded();
            if (m_interrupted || m_current == m_jobs.size())
                finish(app);
            else
                startNext();
        });
        QuitSignals quitSignals;
        QObject::connect(&quitSignals, &QuitSignals::received, &app, [this, &app](int) {
            // Once every job has ended only the notifications are left to wait for.
            if (m_waitingForNotifications) {
                app.quit();
                return;
            }
            m_interrupted = true;
            m_engine.cancelJob();
        });
        startNext();
        app.exec();
        return status();
    }

private:
    enum class Outcome { Skipped, Done, Failed, Cancelled };

    bool isBatch() const { return m_jobs.size() > 1; }

    QString prefix() const {
        if (!isBatch())
            return {};
        return QStringLiteral("[%1/%2] %3: ")
            .arg(m_current + 1)
            .arg(m_jobs.size())
            .arg(m_jobs[m_current].name);
    }

    void startNext() {
        // A job that ends without a report (cancelled) leaves these empty.
        m_engine.clearResult();
        m_engine.setErrorMessage(QString());
        m_engine.submitJob(m_jobs[m_current].request);
    }

    void jobEnded() {
        m_progress.end();
        // A job can complete just as a signal comes in: its GIF still counts.
        QString text;
        if (!m_engine.lastOutputURL().isEmpty()) {
            m_outcomes[m_current] = Outcome::Done;
            text = m_engine.statusMessage();
            m_gifs.push_back(
                QByteArray::fromStdString(localPathFromUrl(m_engine.lastOutputURL()).native()));
            m_texts.push_back(text);
        } else if (!m_engine.errorMessage().isNull()) {
            m_outcomes[m_current] = Outcome::Failed;
            text = m_engine.errorMessage();
            m_texts.push_back(text);
        } else {
            m_outcomes[m_current] = Outcome::Cancelled;
            text = QCoreApplication::translate("ConvertCommand", "Cancelled.");
            m_texts.push_back(text);
        }
        if (isBatch() || m_outcomes[m_current] != Outcome::Done)
            printErr(prefix() + text + QLatin1Char('\n'));
        ++m_current;
    }

    void finish(QCoreApplication &app) {
        QByteArray out;
        if (isBatch()) {
            for (size_t i = 0; i < m_jobs.size(); ++i) {
                const QString text =
                    i < m_texts.size() ? m_texts[i]
                                       : QCoreApplication::translate("ConvertCommand", "Skipped.");
                out += (m_jobs[i].given + QStringLiteral(": ") + text).toUtf8() + '\n';
            }
        } else if (m_outcomes[0] == Outcome::Done) {
            out += m_texts[0].toUtf8() + '\n';
        }
        for (const QByteArray &gif : m_gifs)
            out += gif + '\n';
        printOut(out);

        DesktopNotifier *notifier = m_engine.notifier();
        if (notifier->isIdle()) {
            app.quit();
            return;
        }
        // Give the notifications a moment to reach the server, no more.
        m_waitingForNotifications = true;
        QObject::connect(notifier, &DesktopNotifier::idle, &app, &QCoreApplication::quit);
        QTimer::singleShot(2000, &app, &QCoreApplication::quit);
    }

    int status() const {
        if (m_interrupted)
            return exitInterrupted;
        for (const Outcome outcome : m_outcomes) {
            if (outcome != Outcome::Done)
                return exitFailed;
        }
        return exitDone;
    }

    ConverterEngine &m_engine;
    std::vector<BatchJob> m_jobs;
    std::vector<Outcome> m_outcomes;
    std::vector<QString> m_texts;   // per job ended, in order
    std::vector<QByteArray> m_gifs; // per job done, in order
    ProgressPrinter m_progress;
    size_t m_current = 0;
    bool m_interrupted = false;
    bool m_waitingForNotifications = false;
};

} // namespace

int runConvertCommand(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(ApplicationInfo::name());
    QCoreApplication::setOrganizationName(ApplicationInfo::name());
    QCoreApplication::setApplicationVersion(ApplicationInfo::version());
    Translations::install();

    Options options;
    bool helpOrVersion = false;
    if (const auto error = parseArguments(argc, argv, options, helpOrVersion))
        return usageError(*error);
    if (helpOrVersion)
        return exitDone;
    std::vector<fs::path> folders, files;
    for (const fs::path &p : options.paths) {
        std::error_code ec;
        const fs::file_status status = fs::status(p, ec);
        if (!fs::exists(status))
            return usageError(
                QCoreApplication::translate("ConvertCommand", "no such file or folder: %1")
                    .arg(displayPath(p)));
        (fs::is_directory(status) ? folders : files).push_back(p);
    }
    if (!folders.empty() && !files.empty())
        return usageError(QCoreApplication::translate(
            "ConvertCommand",
            "give either folders (one GIF each) or frame files (one GIF), not both"));

    surviveClosedOutput();

    ConverterEngine engine;
    engine.setNotificationsEnabled(options.notify);

    // Every job of a batch works from the same settings and output folder.
    const JobSettings settings = overridden(engine.jobSettings(), options);
    const fs::path outputFolder =
        options.output ? absolutePath(*options.output) : localPathFromUrl(engine.outputFolderURL());
    std::vector<BatchJob> jobs = jobsFor(folders, files);
    for (BatchJob &job : jobs) {
        job.request.settings = settings;
        job.request.outputFolder = outputFolder;
        job.request.frameRanges = options.sequential ? 1 : 0;
    }

    if (options.dryRun) {
        int status = exitDone;
        for (size_t i = 0; i < jobs.size(); ++i) {
            const QString prefix =
                jobs.size() > 1
                    ? QStringLiteral("[%1/%2] %3: ").arg(i + 1).arg(jobs.size()).arg(jobs[i].name)
                    : QString();
            status = std::max(status, dryRun(jobs[i].request, prefix));
        }
        return status;
    }

    BatchRun batch(engine, std::move(jobs));
    const int status = batch.exec(app);
    if (!engine.notifier()->isIdle()) {
        // Qt's D-Bus thread may be stuck on a bus that never answers, and a
        // normal exit would wait for it.
        std::fflush(nullptr);
        ::_exit(status);
    }
    return status;
}
