// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The program as a command: help and the window without a display, usage
// errors, batches, signals, and notifications nobody answers.

#include "ApplicationInfo.h"
#include "DesktopNotifier.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <semaphore>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>

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
        QCOMPARE(options.size(), 17);
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
        const auto match = QRegularExpression('^' + QRegularExpression::escape(folders[0]) + done +
                                              QRegularExpression::escape(
                                                  folders[1] +
                                                  ": No image files found in the dropped folder. "
                                                  "Supported: PNG, JPG, TIFF, TGA, BMP.\n" +
                                                  folders[2]) +
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

    // With --notify, a session bus that never answers holds the program at
    // most 2 s after its GIF is done, and a SIGTERM ends that wait at once.
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
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
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
        QElapsedTimer sinceDone;
        sinceDone.start();
        if (terminate)
            process.terminate();
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
        QVERIFY2(sinceDone.elapsed() < (terminate ? 1500 : 10000),
                 qPrintable(QString::number(sinceDone.elapsed())));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(::accept(socket, nullptr, nullptr) >= 0); // it did try the bus
    }

    // A notification handed over from another thread ends in `idle` even when
    // it is handled before the posting thread runs on (a lost `idle` holds the
    // program for its whole wait).
    void notifierSignalsIdleAfterEveryNotification() {
        DesktopNotifier notifier(nullptr, [] {
            return QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "nowhere");
        });
        QSignalSpy idle(&notifier, &DesktopNotifier::idle);
        std::counting_semaphore<> go(0);
        std::atomic<bool> stop = false;
        std::thread poster([&] {
            while (go.acquire(), !stop)
                notifier.notify("t", "b", DesktopNotifier::Category::TransferComplete);
        });
        int lost = 0;
        for (int i = 0; i < 20000 && lost == 0; ++i) {
            go.release();
            lost += idle.wait(5000) ? 0 : 1;
        }
        stop = true;
        go.release();
        poster.join();
        QCOMPARE(lost, 0);
        QVERIFY(notifier.isIdle());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
