#include "ConvertCommand.h"

#include "ApplicationInfo.h"
#include "ConversionPipeline.h"
#include "ConverterEngine.h"
#include "DesktopNotifier.h"
#include "DropRouting.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "JobControl.h"
#include "NumberFormat.h"
#include "QuitSignals.h"
#include "ToolRunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

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

const char usageText[] =
    "Usage: loomfin convert [options] PATH...\n"
    "Turns a folder of numbered frames, or the frame files given, into an optimised GIF.\n"
    "\n"
    "Options (override the saved settings for this run only):\n"
    "  --fps N        frame rate (1-60)\n"
    "  --width N      width in pixels (100-1200)\n"
    "  --colors N     palette size (2-256)\n"
    "  --lossy N      lossy compression level, 0 = best quality (0-200)\n"
    "  --loop N       0 = loop forever, 1 = play once, N = play N times\n"
    "  --skip N       keep every Nth frame\n"
    "  --output DIR   folder for the GIF\n"
    "  --dry-run      show the frames found and the commands, run nothing\n"
    "  --notify       post a desktop notification when done\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show the version\n";

struct Options {
    std::optional<double> fps, width, colors, lossy;
    std::optional<qint64> loop, skip;
    std::optional<fs::path> output;
    bool dryRun = false;
    bool notify = false;
    std::vector<fs::path> paths;
};

void printErr(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void printOut(const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int usageError(const QString &message) {
    printErr(QStringLiteral("loomfin convert: ") + message + QLatin1Char('\n') +
             QString::fromUtf8(usageText));
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
            std::fputs(usageText, stdout);
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
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        static const char *const valued[] = {"--fps",  "--width", "--colors", "--lossy",
                                             "--loop", "--skip",  "--output"};
        bool known = false;
        for (const char *v : valued)
            known = known || name == v;
        if (!known)
            return QStringLiteral("unknown option ") + QString::fromStdString(arg);
        if (!value) {
            if (i + 1 >= argc)
                return QStringLiteral("option ") + QString::fromStdString(name) +
                       QStringLiteral(" needs a value");
            value = argv[++i];
        }
        if (name == "--output") {
            if (value->empty())
                return QStringLiteral("--output needs a folder");
            options.output = fs::path(*value);
            continue;
        }
        const std::optional<double> number = parseFloatingLiteral(QString::fromStdString(*value));
        if (!number || std::isnan(*number))
            return QStringLiteral("not a number for ") + QString::fromStdString(name) +
                   QStringLiteral(": ") + QString::fromStdString(*value);
        if (name == "--fps")
            options.fps = number;
        else if (name == "--width")
            options.width = number;
        else if (name == "--colors")
            options.colors = number;
        else if (name == "--lossy")
            options.lossy = number;
        else if (name == "--loop" || name == "--skip") {
            if (*number != std::trunc(*number) || std::isinf(*number))
                return QStringLiteral("not a whole number for ") + QString::fromStdString(name) +
                       QStringLiteral(": ") + QString::fromStdString(*value);
            (name == "--loop" ? options.loop : options.skip) = truncatedInteger(*number);
        }
    }
    if (options.paths.empty())
        return QStringLiteral("no folder or frame files given");
    return std::nullopt;
}

// Paths go the way a drop does: folders alone make a folder job (the first
// by name), otherwise the files make a files job and folders are ignored.
JobRequest routePaths(const std::vector<fs::path> &paths) {
    QList<QUrl> urls;
    for (const fs::path &p : paths) {
        std::error_code ec;
        urls.append(urlFromLocalPath(fs::absolute(p, ec).lexically_normal()));
    }
    const DropRoute route = routeDroppedURLs(urls);
    return route.kind == DropRoute::Kind::Folder ? JobRequest::forFolder(route.folder)
                                                 : JobRequest::forFiles(route.files);
}

std::string shellQuoted(const std::string &arg) {
    if (!arg.empty() && arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789_@%+=:,./-") == std::string::npos)
        return arg;
    std::string out = "'";
    for (const char c : arg) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string commandLine(const std::string &program, const std::vector<std::string> &arguments) {
    std::string line = shellQuoted(program);
    for (const std::string &a : arguments)
        line += ' ' + shellQuoted(a);
    return line;
}

int dryRun(const JobRequest &request) {
    const auto sequence =
        discoverFrameSequence(request.folder, request.files, request.settings.frameSkip);
    if (!sequence) {
        printErr(noImagesMessage() + QLatin1Char('\n'));
        return exitFailed;
    }
    const QString ts = jobTimestamp(QDateTime::currentDateTimeUtc());
    ConversionPaths paths = temporaryPaths(temporaryFolderBase() / "loomfin-XXXXXX", ts);
    paths.optimiserOutput = request.outputFolder / ("animation_" + ts.toStdString() + ".gif");
    const CommandLines lines =
        buildCommandLines(*sequence, request.folder, request.settings, paths);
    const std::optional<std::string> path = environmentValue(environmentSnapshot(), "PATH");
    const std::string ffmpeg = locateTool("ffmpeg", path).value_or("ffmpeg");
    const std::string gifsicle = locateTool("gifsicle", path).value_or("gifsicle");

    QByteArray out =
        selectionSummary(*sequence, request.settings.frameSkip, request.files.has_value()).toUtf8();
    out += "\nInput mode: " + frameInputModeName(sequence->inputMode).toUtf8() + '\n';
    out += QByteArray::fromStdString(commandLine(ffmpeg, lines.palette)) + '\n';
    out += QByteArray::fromStdString(commandLine(ffmpeg, lines.gif)) + '\n';
    out += QByteArray::fromStdString(commandLine(gifsicle, lines.optimiser)) + '\n';
    printOut(out);
    return exitDone;
}

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool live)
        : m_live(live) {}

    void show(const QString &stage, double fraction) {
        const int percent = int(fraction * 100 + 0.5);
        if (m_live) {
            const int filled = percent * 24 / 100;
            const QString bar =
                QString(filled, QLatin1Char('#')) + QString(24 - filled, QLatin1Char('.'));
            printErr(QStringLiteral("\r\033[K[") + bar + QStringLiteral("] ") +
                     QStringLiteral("%1% ").arg(percent, 3) + stage);
        } else {
            printErr(QStringLiteral("[%1%] ").arg(percent, 3) + stage + QLatin1Char('\n'));
        }
        m_shown = true;
    }

    void end() {
        if (m_live && m_shown)
            printErr(QStringLiteral("\r\033[K"));
        m_shown = false;
    }

private:
    bool m_live;
    bool m_shown = false;
};

} // namespace

int runConvertCommand(int argc, char **argv) {
    Options options;
    bool helpOrVersion = false;
    if (const auto error = parseArguments(argc, argv, options, helpOrVersion))
        return usageError(*error);
    if (helpOrVersion)
        return exitDone;
    for (const fs::path &p : options.paths) {
        std::error_code ec;
        if (!fs::exists(p, ec))
            return usageError(QStringLiteral("no such file or folder: ") + displayPath(p));
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(ApplicationInfo::name());
    QCoreApplication::setOrganizationName(ApplicationInfo::name());
    QCoreApplication::setApplicationVersion(ApplicationInfo::version());

    ConverterEngine engine;
    engine.setNotificationsEnabled(options.notify);

    JobRequest request = routePaths(options.paths);
    JobSettings settings = engine.jobSettings();
    if (options.fps)
        settings.fps = *options.fps;
    if (options.width)
        settings.width = *options.width;
    if (options.colors)
        settings.maxColors = *options.colors;
    if (options.lossy)
        settings.lossy = *options.lossy;
    if (options.loop)
        settings.loopCount = *options.loop;
    if (options.skip)
        settings.frameSkip = *options.skip;
    request.settings = settings.clamped();
    if (options.output) {
        std::error_code ec;
        request.outputFolder = fs::absolute(*options.output, ec);
    } else {
        request.outputFolder = localPathFromUrl(engine.outputFolderURL());
    }

    if (options.dryRun)
        return dryRun(request);

    ProgressPrinter progress(::isatty(STDERR_FILENO) == 1);
    QObject::connect(&engine, &ConverterEngine::progressChanged, &engine, [&] {
        if (engine.isConverting())
            progress.show(engine.statusMessage(), engine.progress());
    });

    bool interrupted = false;
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &engine, [&](int) {
        interrupted = true;
        engine.cancelJob();
    });

    int status = exitFailed;
    QObject::connect(&engine, &ConverterEngine::jobEnded, &app, [&] {
        progress.end();
        if (interrupted) {
            printErr(QStringLiteral("Cancelled.\n"));
            status = exitInterrupted;
        } else if (!engine.errorMessage().isNull()) {
            printErr(engine.errorMessage() + QLatin1Char('\n'));
            status = exitFailed;
        } else {
            printOut(engine.statusMessage().toUtf8() + '\n' +
                     QByteArray::fromStdString(localPathFromUrl(engine.lastOutputURL()).native()) +
                     '\n');
            status = exitDone;
        }
        DesktopNotifier *notifier = engine.notifier();
        if (notifier->isIdle()) {
            app.quit();
            return;
        }
        // Let the notification reach the server before the process ends.
        QObject::connect(notifier, &DesktopNotifier::idle, &app, &QCoreApplication::quit);
        QTimer::singleShot(5000, &app, &QCoreApplication::quit);
    });

    if (!engine.submitJob(request))
        return exitFailed;
    app.exec();
    return status;
}
