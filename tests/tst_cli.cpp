#include "ApplicationInfo.h"
#include "DesktopNotifier.h"
#include "FileUrls.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <csignal>
#include <fstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

using TestEnvironment::entries;

namespace {

const QString loomfin = QStringLiteral(LOOMFIN_BINARY_DIR "/bin/loomfin");
const QString noDisplayLine = QStringLiteral(
    "loomfin: no display found; to convert without a window use: loomfin convert PATH…\n");

struct Run {
    int exitCode = -1;
    QString out, err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

Run run(const QStringList &arguments,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(loomfin, arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

Run convert(const QStringList &arguments,
            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) {
    return run(QStringList{QStringLiteral("convert")} + arguments, env);
}

QString str(const fs::path &p) {
    return QString::fromStdString(p.string());
}

QString configFile() {
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
           QStringLiteral("/Loomfin/Loomfin.conf");
}

// An ffmpeg that hangs on the folders named shots_v2 and is the real one
// otherwise; `started` appears once it hangs.
QProcessEnvironment hangingOnSecondFolder(const fs::path &started) {
    const fs::path bin = TestEnvironment::freshFolder(QStringLiteral("fakebin"));
    std::ofstream(bin / "ffmpeg") << "#!/bin/sh\ncase \"$*\" in *shots_v2*) touch '"
                                  << started.string()
                                  << "'; exec sleep 60;; esac\nexec /usr/bin/ffmpeg \"$@\"\n";
    fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), str(bin) + QStringLiteral(":/usr/bin:/bin"));
    return env;
}

// shots_v1, shots_v2, shots_v3 (the second with no frames when `emptySecond`).
std::vector<fs::path> threeFolders(bool emptySecond) {
    const fs::path parent = TestEnvironment::freshFolder(QStringLiteral("renders"));
    std::vector<fs::path> folders;
    for (int i = 1; i <= 3; ++i) {
        folders.push_back(parent / ("shots_v" + std::to_string(i)));
        fs::create_directories(folders.back());
        if (i != 2 || !emptySecond)
            TestEnvironment::makeFrames(folders.back(), QStringLiteral("shot_"), 1, 2 + i);
    }
    return folders;
}

// A socket that takes connections (the kernel queues them) and never speaks.
struct SilentSocket {
    explicit SilentSocket(const fs::path &path) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(fd, 8) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~SilentSocket() {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
};

// Takes the notification call and never answers it.
class SilentNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    SilentNotificationServer()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("silent"))) {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                             QDBusConnection::ExportAllSlots);
        m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~SilentNotificationServer() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QDBusConnection::disconnectFromBus(m_bus.name());
    }
    int calls = 0;

public slots:
    QStringList GetCapabilities() {
        ++calls;
        setDelayedReply(true);
        return {};
    }

private:
    QDBusConnection m_bus;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    // Neither help nor version needs a display or a bus; the window without
    // one says so in one line instead of aborting.
    void withoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("outHas");
        QTest::addColumn<QString>("err");
        const QStringList help{"Usage: loomfin [PATH...]\n", "  loomfin convert ...",
                               "$XDG_CONFIG_HOME/Loomfin/Loomfin.conf"};
        const QStringList version{QStringLiteral("loomfin ") + ApplicationInfo::version() + '\n'};
        QTest::newRow("--help") << QStringList{"--help"} << "" << 0 << help << "";
        QTest::newRow("-h") << QStringList{"-h"} << "" << 0 << help << "";
        QTest::newRow("--version") << QStringList{"--version"} << "" << 0 << version << "";
        QTest::newRow("-V") << QStringList{"-V"} << "" << 0 << version << "";
        QTest::newRow("convert --help") << QStringList{"convert", "--help"} << "" << 0
                                        << QStringList{"Usage: loomfin convert", "xargs -0"} << "";
        QTest::newRow("convert -V") << QStringList{"convert", "-V"} << "" << 0 << version << "";
        QTest::newRow("window") << QStringList{} << "" << 1 << QStringList{} << noDisplayLine;
        QTest::newRow("window with a folder")
            << QStringList{"."} << "" << 1 << QStringList{} << noDisplayLine;
        QTest::newRow("dead display")
            << QStringList{} << ":97" << 1 << QStringList{} << noDisplayLine;
    }

    void withoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QStringList, outHas);
        QFETCH(QString, err);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QLatin1String(name));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        const Run r = run(arguments, env);
        QCOMPARE(r.exitCode, exitCode); // -1 for a crash
        for (const QString &text : outHas)
            QVERIFY2(r.out.contains(text), qPrintable(r.out));
        if (outHas.isEmpty())
            QCOMPARE(r.out, QString());
        QCOMPARE(r.err, err);
    }

    void manPageCoversEveryOption() {
        QFile page(QStringLiteral(LOOMFIN_SOURCE_DIR "/resources/loomfin.1"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString man = QString::fromUtf8(page.readAll())
                                .replace(QStringLiteral("\\-"), QStringLiteral("-"))
                                .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
        const QRegularExpression option(QStringLiteral("^  (-[-\\w]+)(?:, (--[-\\w]+))?"),
                                        QRegularExpression::MultilineOption);
        QStringList options;
        for (const QString &help :
             {run({QStringLiteral("--help")}).out, convert({QStringLiteral("--help")}).out}) {
            for (auto it = option.globalMatch(help); it.hasNext();) {
                const auto match = it.next();
                options << match.captured(1) << match.captured(2);
            }
        }
        options.removeAll(QString());
        QCOMPARE(options.size(), 17);
        QVERIFY(man.contains(QStringLiteral("\"Loomfin ") + ApplicationInfo::version() + '"'));
        for (const QString &o : options)
            QVERIFY2(man.contains(QRegularExpression(QRegularExpression::escape(o) +
                                                     QStringLiteral("(?![-\\w])"))),
                     qPrintable(o));
    }

    void completion_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("first word") << QStringList{"loomfin", "co"} << QStringList{"convert"};
        QTest::newRow("options") << QStringList{"loomfin", "convert", "--o"}
                                 << QStringList{"--output"};
        QTest::newRow("folders and frames") << QStringList{"loomfin", "convert", "--fps", "12", ""}
                                            << QStringList{"a.PNG", "b.jpeg", "sub"};
        QTest::newRow("output folder")
            << QStringList{"loomfin", "convert", "--output", ""} << QStringList{"sub"};
        QTest::newRow("number") << QStringList{"loomfin", "convert", "--fps", ""} << QStringList{};
    }

    void completion() {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("complete"));
        fs::create_directories(folder / "sub");
        for (const char *name : {"a.PNG", "b.jpeg", "notes.txt"})
            std::ofstream(folder / name) << "";
        QProcess bash;
        bash.setWorkingDirectory(str(folder));
        bash.start(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("-c"),
                        QStringLiteral("source \"$0\"; COMP_WORDS=(\"$@\"); "
                                       "COMP_CWORD=$(($# - 1)); _loomfin; "
                                       "printf '%s\\n' \"${COMPREPLY[@]}\""),
                        QStringLiteral(LOOMFIN_SOURCE_DIR "/resources/loomfin.bash-completion")} +
                words);
        QVERIFY(bash.waitForFinished(10000));
        QStringList got = QString::fromUtf8(bash.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        got.sort();
        QCOMPARE(got, offered);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "no folder or frame files given";
        QTest::newRow("unknown option")
            << QStringList{"--speed", "2", "."} << "unknown option --speed";
        QTest::newRow("not a number")
            << QStringList{"--fps", "fast", "."} << "not a number for --fps";
        QTest::newRow("nan") << QStringList{"--width=nan", "."} << "not a number for --width";
        QTest::newRow("fraction of a loop")
            << QStringList{"--loop", "1.5", "."} << "not a whole number";
        // gifsicle would wrap these (65537 loops forever); -1 would mean forever too.
        QTest::newRow("loop below 0")
            << QStringList{"--loop", "-1", "."} << "--loop must be from 0 to 65535";
        QTest::newRow("loop above 65535")
            << QStringList{"--loop=65536", "."} << "--loop must be from 0 to 65535";
        QTest::newRow("missing value") << QStringList{".", "--skip"} << "needs a value";
        QTest::newRow("missing path") << QStringList{"/no/such/frames"} << "no such file or folder";
        QTest::newRow("folders and files")
            << QStringList{".", QCoreApplication::applicationFilePath()}
            << "give either folders (one GIF each) or frame files (one GIF), not both";
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run r = convert(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("Usage: loomfin convert")));
        QVERIFY(r.out.isEmpty());
    }

    void convertsAFolderWithoutSavingOverrides() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 6);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));

        const Run r =
            convert({QStringLiteral("--width"), QStringLiteral("128"), QStringLiteral("--fps"),
                     QStringLiteral("30"), QStringLiteral("--loop=1"), QStringLiteral("--output"),
                     str(out), str(folder)});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Done — animation_\\d{8}T\\d{6}\\.gif \\(\\d+ KB\\)$"))
                     .match(lines[0])
                     .hasMatch(),
                 qPrintable(lines[0]));
        const fs::path gif = lines[1].toStdString();
        QCOMPARE(gif.parent_path(), out);
        QCOMPARE(TestEnvironment::gifFrameCount(gif), 6);
        const QString info = TestEnvironment::gifInfo(gif);
        QVERIFY(info.contains(QStringLiteral("logical screen 128x96")));
        QVERIFY(!info.contains(QStringLiteral("loop")));
        // Plain progress lines when standard error is not a terminal.
        QVERIFY2(r.err.contains(QStringLiteral("[  5%] Found 6 frames…\n")), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("[ 80%] Optimising with gifsicle…\n")));

        QSettings store(configFile(), QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("fps")).toDouble(), 15.0);
        QCOMPARE(store.value(QStringLiteral("width")).toDouble(), 600.0);
        QCOMPARE(store.value(QStringLiteral("loopCount")).toLongLong(), 0);
    }

    void skipIsApplied_data() {
        QTest::addColumn<bool>("dryRun");
        QTest::newRow("converted") << false;
        QTest::newRow("dry run") << true;
    }

    void skipIsApplied() {
        QFETCH(bool, dryRun);
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 10);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        QStringList arguments{QStringLiteral("--skip"), QStringLiteral("3"),
                              QStringLiteral("--output"), str(out), str(folder)};
        if (dryRun)
            arguments.prepend(QStringLiteral("--dry-run"));
        const Run r = convert(arguments);
        QCOMPARE(r.exitCode, 0);
        const QString summary = QStringLiteral("Using 4 of 10 frames (every 3rd)…");
        if (dryRun) {
            // The frames found and the three command lines; nothing written.
            QCOMPARE(r.lines().size(), 5);
            QCOMPARE(r.lines().mid(0, 2), (QStringList{summary, "Input mode: staged"}));
            QCOMPARE(entries(out), QStringList());
        } else {
            QVERIFY2(r.err.contains(QStringLiteral("[  5%] ") + summary), qPrintable(r.err));
            QCOMPARE(TestEnvironment::gifFrameCount(r.lines().last().toStdString()), 4);
        }
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    void filesAreRoutedLikeADrop() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("f_"), 1, 4);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        const Run r = convert({QStringLiteral("--output"), str(out), str(folder / "f_0003.png"),
                               str(folder / "f_0001.png")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains(QStringLiteral("Using 2 selected frames…")));
        QCOMPARE(TestEnvironment::gifFrameCount(r.lines().last().toStdString()), 2);
    }

    void failureGoesToStandardError() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("empty"));
        const Run r = convert({str(folder)});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.endsWith(QStringLiteral(
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.\n")));
    }

    void batchOfFoldersGoesOnPastAFailure() {
        const std::vector<fs::path> folders = threeFolders(true);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        const Run r = convert({QStringLiteral("--output"), str(out), str(folders[0]),
                               str(folders[1]), str(folders[2])});
        QCOMPARE(r.exitCode, 1);
        const QString noImages = QStringLiteral(
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.");
        QVERIFY2(r.err.contains(QStringLiteral("[1/3] shots_v1: Found 3 frames…\n")),
                 qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("[2/3] shots_v2: ") + noImages + '\n'));
        QVERIFY(r.err.contains(QStringLiteral("[3/3] shots_v3: Creating GIF…\n")));

        const QStringList lines = r.lines();
        QCOMPARE(lines.size(), 5);
        const QString done = QStringLiteral(": Done — animation_\\d{8}T\\d{6}(-2)?\\.gif \\(");
        QVERIFY(lines[0].contains(
            QRegularExpression('^' + QRegularExpression::escape(str(folders[0])) + done)));
        QCOMPARE(lines[1], str(folders[1]) + QStringLiteral(": ") + noImages);
        QVERIFY(lines[2].contains(
            QRegularExpression('^' + QRegularExpression::escape(str(folders[2])) + done)));
        QCOMPARE(TestEnvironment::gifFrameCount(lines[3].toStdString()), 3);
        QCOMPARE(TestEnvironment::gifFrameCount(lines[4].toStdString()), 5);
        QCOMPARE(entries(out).size(), 2);
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // `loomfin convert DIR 2>&1 | head -n1`: the reader goes away early.
    void closedOutputDoesNotStopTheJob() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 4);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        QProcess shell;
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("\"$0\" convert --output \"$1\" \"$2\" 2>&1 | head -n1; "
                                    "exit ${PIPESTATUS[0]}"),
                     loomfin, str(out), str(folder)});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardOutput(), QByteArray("[  5%] Found 4 frames…\n"));
        QCOMPARE(shell.exitCode(), 0);
        const QStringList written = entries(out);
        QCOMPARE(written.size(), 1);
        QVERIFY2(written[0].endsWith(QStringLiteral(".gif")), qPrintable(written[0]));
        QCOMPARE(TestEnvironment::gifFrameCount(out / written[0].toStdString()), 4);
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // A bus or server that never answers holds the program at most 2 s after
    // its GIF is done, and a SIGTERM then ends it at once.
    void undeliverableNotificationsDoNotHoldTheProgram_data() {
        QTest::addColumn<bool>("silentSocket");
        QTest::addColumn<bool>("terminate");
        QTest::newRow("server never answers") << false << false;
        QTest::newRow("server never answers, SIGTERM") << false << true;
        QTest::newRow("bus never speaks") << true << false;
        QTest::newRow("bus never speaks, SIGTERM") << true << true;
    }

    void undeliverableNotificationsDoNotHoldTheProgram() {
        QFETCH(bool, silentSocket);
        QFETCH(bool, terminate);
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 3);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        SilentNotificationServer server;
        const fs::path socketPath = TestEnvironment::freshFolder(QStringLiteral("bus")) / "s";
        std::optional<SilentSocket> socket;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (silentSocket) {
            QVERIFY(socket.emplace(socketPath).fd >= 0);
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + str(socketPath));
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(loomfin, {QStringLiteral("convert"), QStringLiteral("--notify"),
                                QStringLiteral("--output"), str(out), str(folder)});
        QByteArray stdOut;
        QTRY_VERIFY_WITH_TIMEOUT((stdOut += process.readAllStandardOutput()).endsWith(".gif\n"),
                                 60000);
        QElapsedTimer sinceDone;
        sinceDone.start();
        if (terminate)
            process.terminate();
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
        QVERIFY2(sinceDone.elapsed() < (terminate ? 1500 : 4000),
                 qPrintable(QString::number(sinceDone.elapsed())));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(TestEnvironment::gifFrameCount(stdOut.split('\n').at(1).toStdString()), 3);
        if (!silentSocket)
            QCOMPARE(server.calls, 1);
    }

    // The count of notifications in flight must not stick above zero when a
    // post is handled before the posting thread runs on.
    void notifierCountsEveryNotificationOnce() {
        DesktopNotifier notifier(nullptr, [] {
            return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                 QStringLiteral("nowhere"));
        });
        QSignalSpy idle(&notifier, &DesktopNotifier::idle);
        notifier.notify(QStringLiteral("t"), QStringLiteral("b"),
                        DesktopNotifier::Category::TransferComplete);
        QVERIFY(idle.wait(10000));
        std::atomic<bool> posted = false;
        std::thread poster([&] {
            for (int i = 0; i < 20000; ++i)
                notifier.notify(QStringLiteral("t"), QStringLiteral("b"),
                                DesktopNotifier::Category::TransferComplete);
            posted = true;
        });
        const bool allPosted = QTest::qWaitFor([&] { return posted.load(); }, 60000);
        poster.join();
        QVERIFY(allPosted);
        QTRY_VERIFY_WITH_TIMEOUT(notifier.isIdle(), 5000);
    }

    // Ctrl-C, SIGTERM and SIGHUP stop the running job cleanly: the command
    // line skips the rest of its batch (status 130), the window closes.
    void signalsStopTheJob_data() {
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("convert, SIGTERM") << false << int(SIGTERM);
        QTest::newRow("convert, Ctrl-C") << false << int(SIGINT);
        QTest::newRow("convert, SIGHUP") << false << int(SIGHUP);
        QTest::newRow("window, SIGTERM") << true << int(SIGTERM);
        QTest::newRow("window, Ctrl-C") << true << int(SIGINT);
        QTest::newRow("window, SIGHUP") << true << int(SIGHUP);
    }

    void signalsStopTheJob() {
        QFETCH(bool, window);
        QFETCH(int, signalNumber);
        const fs::path started = TestEnvironment::freshFolder(QStringLiteral("flag")) / "started";
        QProcessEnvironment env = hangingOnSecondFolder(started);
        const std::vector<fs::path> folders = threeFolders(false);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        QProcess process;
        if (window) {
            QSettings store(configFile(), QSettings::IniFormat);
            store.setValue(QStringLiteral("outputPath"),
                           urlFromLocalPath(out).toString() + QLatin1Char('/'));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            process.setProcessEnvironment(env);
            process.start(loomfin, {str(folders[1])});
        } else {
            process.setProcessEnvironment(env);
            process.start(loomfin, {QStringLiteral("convert"), QStringLiteral("--output"), str(out),
                                    str(folders[0]), str(folders[1]), str(folders[2])});
        }
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(started), 60000);
        QVERIFY(::kill(pid_t(process.processId()), signalNumber) == 0);
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
        if (window) {
            QCOMPARE(entries(out), QStringList());
            return;
        }
        QCOMPARE(process.exitCode(), 130);
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(str(folders[0]) + QStringLiteral(": Done — ")));
        QCOMPARE(lines.mid(1, 2), (QStringList{str(folders[1]) + QStringLiteral(": Cancelled."),
                                               str(folders[2]) + QStringLiteral(": Skipped.")}));
        QCOMPARE(entries(out), QStringList{str(fs::path(lines[3].toStdString()).filename())});
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
