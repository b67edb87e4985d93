// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The program as a command: help and the window without a display, usage
// errors, batches, signals, and notifications nobody answers.

#include "ApplicationInfo.h"
#include "DesktopNotifier.h"
#include "TestEnvironment.h"

#include <QAbstractEventDispatcher>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <semaphore>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace fs = std::filesystem;
using namespace TestEnvironment;

namespace {

const QString loomfin = QStringLiteral(LOOMFIN_BINARY_DIR "/bin/loomfin");

// shots_v1 (10 frames), shots_v2 (4, or none) and shots_v3 (5).
QStringList threeFolders(bool emptySecond) {
    const fs::path parent = freshFolder("renders");
    QStringList folders;
    for (const int frames : {10, emptySecond ? 0 : 4, 5}) {
        const fs::path folder = parent / ("shots_v" + std::to_string(folders.size() + 1));
        fs::create_directories(folder);
        if (frames > 0)
            makeFrames(folder, "shot_", 1, frames);
        folders << str(folder);
    }
    return folders;
}

// An event loop whose wake-up, which runs on the thread that posts, holds
// that thread until the loop has handled the post: the order in which a post
// is handled before its poster takes another step, every time.
class HoldingDispatcher : public QAbstractEventDispatcher {
    std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_posted = 0, m_handled = 0;
    QThread *m_loop = nullptr; // the thread that handles

public:
    bool processEvents(QEventLoop::ProcessEventsFlags flags) override {
        std::unique_lock lock(m_mutex);
        m_loop = QThread::currentThread();
        if (flags & QEventLoop::WaitForMoreEvents)
            m_changed.wait(lock, [this] { return m_posted > m_handled; });
        const quint64 posted = m_posted;
        lock.unlock();
        QCoreApplication::sendPostedEvents();
        lock.lock();
        m_handled = posted;
        m_changed.notify_all();
        return true;
    }
    void wakeUp() override { wake(true); }
    void interrupt() override { wake(false); } // QThread::exit holds a lock the loop needs
    void wake(bool hold) {
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_posted;
        m_changed.notify_all();
        if (hold && m_loop && QThread::currentThread() != m_loop)
            m_changed.wait(lock, [&] { return m_handled >= ticket; });
    }
    void registerSocketNotifier(QSocketNotifier *) override {}
    void unregisterSocketNotifier(QSocketNotifier *) override {}
    void registerTimer(int, qint64, Qt::TimerType, QObject *) override {}
    bool unregisterTimer(int) override { return false; }
    bool unregisterTimers(QObject *) override { return false; }
    QList<TimerInfo> registeredTimers(QObject *) const override { return {}; }
    int remainingTime(int) override { return -1; }
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    // Neither help nor version needs a display or a bus; the window without
    // one says so in one line instead of aborting; a command line convert
    // cannot take is refused with its usage.
    void withoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // how it starts; empty: nothing
        QTest::addColumn<QString>("err"); // the same
        const QString help = "Usage: loomfin [PATH...]\n";
        const QString version = "loomfin " + ApplicationInfo::version() + '\n';
        const QString usage = "\nUsage: loomfin convert [options] PATH...\n";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << help << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << help << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
        QTest::newRow("-V") << QStringList{"-V"} << 0 << version << "";
        QTest::newRow("window") << QStringList{} << 1 << ""
                                << "loomfin: no display found; to convert without a window use: "
                                   "loomfin convert PATH…\n";
        // gifsicle would wrap these (65537 loops forever); -1 would mean forever too.
        QTest::newRow("loop below 0")
            << QStringList{"convert", "--loop", "-1", "."} << 2 << ""
            << "loomfin convert: --loop must be from 0 to 65535 (0 = loop forever): -1" + usage;
        QTest::newRow("loop above 65535")
            << QStringList{"convert", "--loop=65536", "."} << 2 << ""
            << "loomfin convert: --loop must be from 0 to 65535 (0 = loop forever): 65536" + usage;
        QTest::newRow("an option last, without its value")
            << QStringList{"convert", ".", "--fps"} << 2 << ""
            << "loomfin convert: option --fps needs a value" + usage;
        QTest::newRow("convert alone") << QStringList{"convert"} << 2 << ""
                                       << "loomfin convert: no folder or frame files given" + usage;
        // Both ends of the loop range are taken, and a lone "-" is a path.
        QTest::newRow("loop 0 and 65535, a folder named -")
            << QStringList{"convert", "--loop", "0", "--loop=65535", "-"} << 2 << ""
            << "loomfin convert: no such file or folder: -" + usage;
        // Leading NAME=value arguments set the language (German catalogue).
        const QString hilfe = "\nAufruf: loomfin convert [Optionen] PFAD...\n";
        QTest::newRow("--help, German")
            << QStringList{"LANG=de_DE.UTF-8", "--help"} << 0 << "Aufruf: loomfin [PFAD...]\n"
            << "";
        QTest::newRow("convert --help, LANGUAGE=de")
            << QStringList{"LANGUAGE=de", "convert", "--help"} << 0 << hilfe.mid(1) << "";
        QTest::newRow("convert --help, LC_ALL over LANG")
            << QStringList{"LC_ALL=de_DE.UTF-8", "LANG=en_US.UTF-8", "convert", "-h"} << 0
            << hilfe.mid(1) << "";
        QTest::newRow("window, German") << QStringList{"LANG=de_DE.UTF-8"} << 1 << ""
                                        << "loomfin: keine Anzeige gefunden; ohne Fenster "
                                           "umwandeln mit: loomfin convert PFAD…\n";
        QTest::newRow("usage error, German")
            << QStringList{"LANG=de_DE.UTF-8", "convert", "--loop", "-1", "."} << 2 << ""
            << "loomfin convert: --loop muss von 0 bis 65535 reichen (0 = endlos wiederholen): -1" +
                   hilfe;
        QTest::newRow("folders and files")
            << QStringList{"convert", ".", QCoreApplication::applicationFilePath()} << 2 << ""
            << "loomfin convert: give either folders (one GIF each) or frame files (one GIF), not "
               "both" +
                   usage;
    }

    void withoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(name);
        while (!arguments.isEmpty() && arguments.first().contains('=') &&
               !arguments.first().startsWith('-')) {
            const QString assignment = arguments.takeFirst();
            env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(loomfin, arguments);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit); // no crash, no core
        QCOMPARE(process.exitCode(), exitCode);
        const QString printed = process.readAllStandardOutput(),
                      said = process.readAllStandardError();
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? said.isEmpty() : said.startsWith(err), qPrintable(said));
    }

    void manPageCoversEveryOption() {
        QFile page(LOOMFIN_SOURCE_DIR "/resources/loomfin.1");
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString man = QString::fromUtf8(page.readAll())
                                .replace("\\-", "-")
                                .remove(QRegularExpression("\\\\f[BIRP]"));
        QVERIFY(man.contains("\"Loomfin " + ApplicationInfo::version() + '"'));
        const QRegularExpression option("^  (-[-\\w]+)(?:, (--[-\\w]+))?",
                                        QRegularExpression::MultilineOption);
        QStringList options;
        for (auto it = option.globalMatch(runProgram(loomfin, {"--help"}) +
                                          runProgram(loomfin, {"convert", "--help"}));
             it.hasNext();)
            options << it.next().capturedTexts().mid(1);
        options.removeAll(QString());
        QCOMPARE(options.size(), 18);
        // The German help is complete: it lists the same options.
        QStringList german;
        for (auto it = option.globalMatch(
                 runProgram("env", {"LANG=de_DE.UTF-8", loomfin, "--help"}) +
                 runProgram("env", {"LANG=de_DE.UTF-8", loomfin, "convert", "--help"}));
             it.hasNext();)
            german << it.next().capturedTexts().mid(1);
        german.removeAll(QString());
        QCOMPARE(german, options);
        for (const QString &o : options)
            QVERIFY2(man.contains(QRegularExpression(QRegularExpression::escape(o) + "(?![-\\w])")),
                     qPrintable(o));
    }

    // QT_LOGGING_RULES turns the job log on: each tool's command line as it
    // starts, its exit status and time as it ends, on standard error.
    void jobLogOnlyWhenAsked_data() {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("log");
        const QString tool = "loomfin\\.job: run: (/\\S+/%1) .+\\n"
                             "loomfin\\.job: \\g{-1}: exit 0 after \\d+\\.\\d{3} s\\n";
        QTest::newRow("off by default") << ""
                                        << "";
        QTest::newRow("loomfin.*=true")
            << "loomfin.*=true" << tool.arg("ffmpeg") + tool.arg("ffmpeg") + tool.arg("gifsicle");
    }
    void jobLogOnlyWhenAsked() {
        QFETCH(QString, rules);
        QFETCH(QString, log);
        const fs::path folder = freshFolder("frames");
        makeFrames(folder, "f_", 1, 3);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_LOGGING_RULES", rules);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(loomfin, {"convert", "--width", "100", "--output", str(freshFolder("out")),
                                str(folder)});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 0);
        QString logged; // the log's lines among the progress lines
        for (const QString &line : QString::fromUtf8(process.readAllStandardError()).split('\n'))
            logged += line.startsWith("loomfin.") ? line + '\n' : "";
        QVERIFY2(QRegularExpression('^' + log + '$').match(logged).hasMatch(), qPrintable(logged));
    }

    // A batch of three folders, the second without frames, its progress read
    // through a pipe that closes after the first line: the other two become
    // GIFs with the options given, the summary and then the two
    // paths are printed, and the status says that one failed.
    void batchGoesOnPastAFailureAndAClosedPipe() {
        const QStringList folders = threeFolders(true);
        // First as a dry run with every setting above its range: the
        // commands get the largest values, and the status still says one failed.
        QProcess dry;
        dry.start(loomfin, QStringList{"convert", "--dry-run", "--fps", "99", "--width", "5000",
                                       "--colors", "999", "--lossy", "999"} +
                               folders);
        QVERIFY(dry.waitForFinished(120000));
        QCOMPARE(dry.exitCode(), 1);
        const QString commands = QString::fromUtf8(dry.readAllStandardOutput());
        QCOMPARE(commands.count(QRegularExpression("-framerate 60 -i .* -vf "
                                                   "scale=1200:-1:flags=lanczos,palettegen="
                                                   "max_colors=256:")),
                 2);
        QCOMPARE(commands.count(" -O3 --lossy=200 --loopcount -o "), 2);
        const fs::path out = freshFolder("out");
        QProcess shell; // the program's output to ours, its progress through head to our errors
        shell.start("bash", QStringList{"-c",
                                        "exec 3>&1; \"$0\" convert --skip 3 --width 128 --loop=1 "
                                        "--output \"$@\" 2>&1 >&3 | head -n1 >&2; "
                                        "exit ${PIPESTATUS[0]}",
                                        loomfin, str(out)} +
                                folders);
        QVERIFY(shell.waitForFinished(120000));
        QCOMPARE(shell.exitCode(), 1);
        QCOMPARE(shell.readAllStandardError(),
                 "[1/3] shots_v1: Using 4 of 10 frames (every 3rd)…\n");
        const QString printed = QString::fromUtf8(shell.readAllStandardOutput());
        const QString done = ": Done — animation_\\d{8}T\\d{6}(?:-2)?\\.gif \\(\\d+ KB\\)\\n";
        const auto match =
            QRegularExpression('^' + QRegularExpression::escape(folders[0]) + done +
                               QRegularExpression::escape(
                                   folders[1] + ": No image files found in " + folders[1] +
                                   ". Supported: PNG, JPG, TIFF, TGA, BMP.\n" + folders[2]) +
                               done + "(.*)\\n(.*)\\n$")
                .match(printed);
        QVERIFY2(match.hasMatch(), qPrintable(printed));
        QCOMPARE(gifFrameCount(match.captured(2).toStdString()), 2);
        const QString info = gifInfo(match.captured(1).toStdString());
        QVERIFY2(info.contains(" 4 images\n  logical screen 128x96") && !info.contains("loop"),
                 qPrintable(info));
        QCOMPARE(entries(out).size(), 2);
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // A long job's GIF pass runs as one ffmpeg per core (here at most 2: 128
    // frames make two ranges of the shortest length); --sequential and
    // LOOMFIN_SEQUENTIAL=1 keep one.
    void sequentialKeepsOneProcess_data() {
        cpu_set_t set;
        CPU_ZERO(&set);
        QCOMPARE(::sched_getaffinity(0, sizeof set, &set), 0);
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<int>("runs");
        QTest::newRow("planned") << QStringList() << std::min(2, CPU_COUNT(&set));
        QTest::newRow("--sequential") << QStringList{"--sequential"} << 1;
        QTest::newRow("LOOMFIN_SEQUENTIAL=1") << QStringList{"LOOMFIN_SEQUENTIAL=1"} << 1;
    }

    void sequentialKeepsOneProcess() {
        QFETCH(QStringList, extra);
        QFETCH(int, runs);
        const fs::path folder = freshFolder("frames"), out = freshFolder("out");
        const fs::path bin = freshFolder("bin");
        makeFrames(folder, "shot_", 1, 128, 4, 16, 16);
        writeScript(bin / "ffmpeg", "case \"$*\" in *paletteuse*) echo >> \"$0.runs\";; esac\n"
                                    "exec /usr/bin/ffmpeg \"$@\"");
        const QString env = extra.value(0).startsWith("LOOMFIN") ? extra.takeFirst() : "A=1";
        int code = -1;
        runProgram("env",
                   QStringList{env, "PATH=" + str(bin) + ":/usr/bin:/bin", loomfin, "convert",
                               "--width", "100", "--output", str(out)} +
                       extra + QStringList{str(folder)},
                   &code);
        QCOMPARE(code, 0);
        QCOMPARE(runProgram("wc", {"-l", str(bin / "ffmpeg.runs")}).section(u' ', 0, 0).toInt(),
                 runs);
    }

    // Ctrl-C, SIGTERM and SIGHUP stop the running job cleanly and skip the
    // rest of the batch: status 130, nothing left behind.
    void signalsStopTheBatch_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("Ctrl-C") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalsStopTheBatch() {
        QFETCH(int, signalNumber);
        const QStringList folders = threeFolders(false);
        const fs::path out = freshFolder("out"), bin = freshFolder("bin");
        writeScript(bin / "ffmpeg",
                    "case \"$*\" in *shots_v2*) touch \"$0.started\"; exec sleep 60;; "
                    "esac\nexec /usr/bin/ffmpeg \"$@\"");
        QProcess process; // exec'd by env: its process is the program's
        process.start("env", QStringList{"PATH=" + str(bin) + ":/usr/bin:/bin", loomfin, "convert",
                                         "--output", str(out)} +
                                 folders);
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(bin / "ffmpeg.started"), 60000);
        QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        const QStringList printed =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), 4);
        QVERIFY(printed[0].startsWith(folders[0] + ": Done — "));
        QCOMPARE(printed.mid(1, 2),
                 (QStringList{folders[1] + ": Cancelled.", folders[2] + ": Skipped."}));
        QCOMPARE(entries(out), QStringList{str(fs::path(printed[3].toStdString()).filename())});
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // A settings store the program cannot use: a FIFO (QSettings would wait on
    // it forever) gives the defaults, one warning and nothing saved; a stored
    // output folder that is no local absolute path gives the default folder.
    // Either way the command lines and the job write to an absolute path.
    void unusableStores_data() {
        QTest::addColumn<QString>("outputPath"); // empty: the store is a FIFO
        QTest::newRow("FIFO") << QString();
        QTest::newRow("remote folder") << "file://host/x";
        QTest::newRow("relative URL") << "file:x";
    }

    void unusableStores() {
        QFETCH(QString, outputPath);
        const fs::path folder = freshFolder("frames"), config = freshFolder("config");
        const fs::path store = config / "Loomfin/Loomfin.conf";
        makeFrames(folder, "shot_", 1, 3);
        fs::create_directories(store.parent_path());
        if (outputPath.isEmpty()) {
            for (const fs::path &fifo : {store, config / "Loomfin.conf"})
                QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        } else {
            std::ofstream(store) << "[General]\noutputPath=" << outputPath.toStdString() << '\n';
        }
        const QString warning = outputPath.isEmpty()
                                    ? "loomfin: the settings file " + str(store) +
                                          " is not a regular file: using the defaults, and no "
                                          "change is saved\n"
                                    : QString();
        const QString gifs = qEnvironmentVariable("HOME") + "/Documents/GIF_Output/animation_";
        QStringList printed;
        for (const QStringList &arguments :
             {QStringList{"convert", "--dry-run", str(folder)}, {"convert", str(folder)}}) {
            QProcess process; // exec'd by env: its process is the program's
            process.start("env",
                          QStringList{"XDG_CONFIG_HOME=" + str(config), loomfin} + arguments);
            QVERIFY(process.waitForFinished(120000));
            QCOMPARE(process.exitCode(), 0);
            const QString said = process.readAllStandardError();
            QVERIFY2(said.startsWith(warning) && !said.mid(warning.size()).contains("settings"),
                     qPrintable(said));
            printed
                << QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u'\n').last();
        }
        QVERIFY2(printed[0].contains(" -o " + gifs), qPrintable(printed[0]));
        QVERIFY2(printed[1].startsWith(gifs) && fs::exists(printed[1].toStdString()),
                 qPrintable(printed[1]));
        fs::remove_all(fs::path(printed[1].toStdString()).parent_path());
        QCOMPARE(fs::is_fifo(store), outputPath.isEmpty());
    }

    // A FIFO left at the optimiser's output is refused, never waited on: the
    // job ends with a message, or, when a SIGTERM comes first, as cancelled.
    void fifoAtTheOptimisersOutput() {
        const fs::path folder = freshFolder("frames"), out = freshFolder("out"),
                       bin = freshFolder("bin");
        makeFrames(folder, "shot_", 1, 3);
        writeScript(bin / "gifsicle", "while [ \"$1\" != -o ]; do shift; done\n"
                                      "rm \"$2\" && mkfifo \"$2\" && touch \"$0.done\"");
        QProcess process; // exec'd by env: its process is the program's
        process.start("env", {"PATH=" + str(bin) + ":/usr/bin:/bin", loomfin, "convert", "--output",
                              str(out), str(folder)});
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(bin / "gifsicle.done"), 60000);
        process.terminate(); // a no-op when it has ended already
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 60000);
        const QByteArray said = process.readAllStandardError();
        const bool refused =
            said.endsWith("\ngifsicle optimisation failed: its output is not a regular file\n");
        // The signal may come before the job has failed (then it is cancelled),
        // after (status 130 with the failure said), or once the program has
        // stopped watching for it on its way out (the failure said, killed).
        QVERIFY2(process.exitStatus() == QProcess::NormalExit
                     ? (process.exitCode() == 1 || process.exitCode() == 130) &&
                           (refused || said.endsWith("\nCancelled.\n"))
                     : refused,
                 said.constData());
        QCOMPARE(entries(out), QStringList());
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // With --notify, a session bus that never answers (its library never
    // gives up) holds the program only for its own short wait after its GIF
    // is done, 2 s, or until a SIGTERM; either way it exits 0. The guard, ten
    // times that wait, only ends a program that waits on the bus.
    void silentBusDoesNotHoldTheProgram_data() {
        QTest::addColumn<bool>("terminate");
        QTest::newRow("waiting") << false;
        QTest::newRow("SIGTERM") << true;
    }

    void silentBusDoesNotHoldTheProgram() {
        QFETCH(bool, terminate);
        const fs::path folder = freshFolder("frames"), out = freshFolder("out");
        const fs::path bus = freshFolder("bus") / "socket";
        makeFrames(folder, "shot_", 1, 3);
        // A socket that takes connections (the kernel queues them) and never speaks.
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto closeSocket = qScopeGuard([socket] { ::close(socket); });
        sockaddr_un address{AF_UNIX, {}};
        bus.native().copy(address.sun_path, sizeof address.sun_path - 1);
        QVERIFY(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(socket, 8) == 0);
        QProcess process; // exec'd by env: its process is the program's
        process.start("env", {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + str(bus), loomfin, "convert",
                              "--notify", "--output", str(out), str(folder)});
        QByteArray printed;
        QTRY_VERIFY_WITH_TIMEOUT((printed += process.readAllStandardOutput()).endsWith(".gif\n"),
                                 60000);
        pollfd calling{socket, POLLIN, 0};
        QCOMPARE(::poll(&calling, 1, 60000), 1); // it tries the bus
        if (terminate)
            process.terminate();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // A notification handed over from another thread ends in `idle` even when
    // it is handled before the posting thread runs on (a lost `idle` holds the
    // program for its whole wait). The notifier lives on a loop that handles
    // each post while its poster waits; the first post finds out the bus is
    // missing, the second is handled on the spot.
    void notifierSignalsIdleAfterEveryNotification() {
        QThread loop;
        loop.setEventDispatcher(new HoldingDispatcher);
        DesktopNotifier notifier(nullptr, [] {
            return QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "nowhere");
        });
        std::atomic<int> idles = 0;
        connect(
            &notifier, &DesktopNotifier::idle, &notifier, [&] { ++idles; }, Qt::DirectConnection);
        notifier.moveToThread(&loop);
        loop.start();
        const auto stop = qScopeGuard([&] {
            QMetaObject::invokeMethod(
                &notifier, [&] { notifier.moveToThread(thread()); }, Qt::BlockingQueuedConnection);
            loop.quit();
            loop.wait();
        });
        notifier.notify("t", "b", DesktopNotifier::Category::TransferComplete);
        QTRY_COMPARE(idles.load(), 1);
        notifier.notify("t", "b", DesktopNotifier::Category::TransferComplete);
        QCOMPARE(idles.load(), 2);
        QVERIFY(notifier.isIdle());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
