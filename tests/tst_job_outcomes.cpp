// Every outcome a job reports is true: a GIF reported done is complete, in
// the folder named, with exactly the frames counted, in frame-number order;
// anything else fails with a clear text and leaves nothing behind.

#include "ConversionPipeline.h"
#include "ConverterEngine.h"
#include "FileUrls.h"
#include "JobControl.h"
#include "PrivateFolder.h"
#include "RecordingReporter.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using TestEnvironment::entries;

namespace {

const QString loomfin = QStringLiteral(LOOMFIN_BINARY_DIR "/bin/loomfin");

QString str(const fs::path &p) {
    return QString::fromStdString(p.string());
}

void writeScript(const fs::path &path, const std::string &body) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms(0755));
}

// Frames of mixed sizes and pixel formats, as PNG optimisers leave them.
void makeMixedFrames(const fs::path &folder) {
    TestEnvironment::makeFrames(folder, QStringLiteral("mix_"), 1, 3);
    const auto one = [&](const char *name, const char *size, const char *format) {
        int code = 0;
        TestEnvironment::runProgram(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc=size=%1:rate=10").arg(QLatin1String(size)),
             QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-pix_fmt"),
             QLatin1String(format), QStringLiteral("-y"), str(folder / name)},
            &code);
        QCOMPARE(code, 0);
    };
    one("mix_0004.png", "80x60", "rgba");
    one("mix_0005.png", "64x48", "gray");
}

// Runs `script` (sh, with "$@" = arguments) in a private mount namespace,
// where it may mount a small tmpfs without touching the machine. Nothing
// when this machine does not allow that.
std::optional<QProcess *> inMountNamespace(QProcess &process, const QString &script,
                                           const QStringList &arguments) {
    static const bool root = ::geteuid() == 0;
    static const bool possible =
        QProcess::execute(QStringLiteral("unshare"),
                          root ? QStringList{QStringLiteral("--mount"), QStringLiteral("true")}
                               : QStringList{QStringLiteral("--map-root-user"),
                                             QStringLiteral("--mount"), QStringLiteral("true")}) ==
        0;
    if (!possible)
        return std::nullopt;
    QStringList args =
        root ? QStringList{QStringLiteral("--mount")}
             : QStringList{QStringLiteral("--map-root-user"), QStringLiteral("--mount")};
    args << QStringLiteral("sh") << QStringLiteral("-c") << script << QStringLiteral("sh")
         << arguments;
    process.start(QStringLiteral("unshare"), args);
    return &process;
}

} // namespace

class TestJobOutcomes : public QObject {
    Q_OBJECT

    fs::path m_tools; // a resources folder whose Tools/ may hold fake tools

    JobRequest request(const fs::path &folder, const fs::path &out, double width = 100) {
        JobRequest r;
        r.folder = folder;
        r.settings = JobSettings::clamped(15, width, 256, 0, 0, 1);
        r.outputFolder = out;
        r.environment = environmentSnapshot();
        return r;
    }

    // Runs a job on this thread; the reporter holds what it said.
    void run(const JobRequest &r, RecordingReporter &reporter) {
        JobControl control;
        runConversion(r, reporter, control);
    }

private slots:
    void init() {
        m_tools = TestEnvironment::freshFolder(QStringLiteral("app"));
        setApplicationToolLocations({m_tools, m_tools / "prefix"});
    }

    void cleanup() {
        // No job leaves anything in its temporary folder.
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    // What a render folder may hold besides good frames.
    void inputs_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("frames");   // in the GIF; 0: the job fails
        QTest::addColumn<QString>("text"); // the summary, or the failure

        QTest::newRow("empty frame") << "empty" << 0
                                     << "The frame shot_0004.png is empty (0 bytes). "
                                        "Render it again or remove it.";
        QTest::newRow("frame linked to /dev/zero") << "devzero" << 9 << "Found 9 frames…";
        QTest::newRow("FIFO named like a frame") << "fifo" << 9 << "Found 9 frames…";
        QTest::newRow("FIFO with the next number") << "fifo-next" << 10 << "Found 10 frames…";
        QTest::newRow("crossing frame 9999") << "crossing" << 10 << "Found 10 frames…";
        QTest::newRow("unpadded numbers") << "unpadded" << 12 << "Found 12 frames…";
        QTest::newRow("mixed sizes and pixel formats") << "mixed" << 5 << "Found 5 frames…";
        QTest::newRow("folder path over 1,000 bytes") << "long" << 10 << "Found 10 frames…";
    }

    void inputs() {
        QFETCH(QString, kind);
        QFETCH(int, frames);
        QFETCH(QString, text);
        fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        if (kind == QLatin1String("long")) {
            // Made where ffmpeg can write them, then moved down the long path.
            TestEnvironment::makeFrames(folder / "short", QStringLiteral("shot_"), 1, 10);
            fs::path deep = folder;
            for (int i = 0; i < 6; ++i)
                deep /= std::string(200, char('a' + i));
            fs::create_directories(deep.parent_path());
            fs::rename(folder / "short", deep);
            folder = deep;
        } else if (kind == QLatin1String("crossing"))
            TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 9995, 10);
        else if (kind == QLatin1String("unpadded"))
            TestEnvironment::makeFrames(folder, QStringLiteral("f_"), 1, 12, 1);
        else if (kind == QLatin1String("mixed"))
            makeMixedFrames(folder);
        else
            TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 10);

        const fs::path fourth = folder / "shot_0004.png";
        if (kind == QLatin1String("empty"))
            fs::resize_file(fourth, 0);
        if (kind == QLatin1String("devzero") || kind == QLatin1String("fifo"))
            fs::remove(fourth);
        if (kind == QLatin1String("devzero"))
            fs::create_symlink("/dev/zero", fourth);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(fourth.c_str(), 0644), 0);
        if (kind == QLatin1String("fifo-next"))
            QCOMPARE(::mkfifo((folder / "shot_0011.png").c_str(), 0644), 0);

        RecordingReporter reporter;
        run(request(folder, out), reporter);
        if (frames == 0) {
            QCOMPARE(reporter.failures, QStringList{text});
            QCOMPARE(reporter.stages, QStringList());
            QCOMPARE(entries(out), QStringList());
            return;
        }
        QCOMPARE(reporter.failures, QStringList());
        QCOMPARE(reporter.stages.first(), text + QStringLiteral(" @0.05"));
        const fs::path gif = localPathFromUrl(reporter.outputs.value(0));
        QCOMPARE(TestEnvironment::gifFrameCount(gif), frames);
        QVERIFY(TestEnvironment::gifInfo(gif).contains(QStringLiteral("logical screen 100x75")));
    }

    // A GIF is published only complete and on disk; an optimiser that exits 0
    // having written half or nothing is a failure, and so is a full disk.
    void outputs_data() {
        QTest::addColumn<QString>("gifsicle"); // a fake one's script; empty: the real one
        QTest::addColumn<QString>("failure");  // a regular expression; empty: success

        QTest::newRow("optimiser writes half and exits 0")
            << "while [ \"$1\" != -o ]; do shift; done; head -c 700 \"$3\" > \"$2\""
            << "^gifsicle optimisation failed: it wrote an incomplete GIF \\(700 bytes\\)$";
        QTest::newRow("optimiser writes nothing and exits 0")
            << "exit 0"
            << "^gifsicle optimisation failed: it wrote an incomplete GIF \\(Zero KB\\)$";
        QTest::newRow("ffmpeg stops early and exits 0")
            << ""
            << "^FFmpeg GIF creation failed: it made 3 of 10 frames$";
        QTest::newRow("output folder is a file")
            << ""
            << "^Could not create the output folder .*/taken: \\S";
        QTest::newRow("published with the umask's mode") << ""
                                                         << "";
    }

    void outputs() {
        QFETCH(QString, gifsicle);
        QFETCH(QString, failure);
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 10);
        if (!gifsicle.isEmpty())
            writeScript(m_tools / "Tools/gifsicle", gifsicle.toStdString());
        if (QTest::currentDataTag() == QLatin1String("ffmpeg stops early and exits 0"))
            writeScript(m_tools / "Tools/ffmpeg",
                        "/usr/bin/ffmpeg \"$@\" || exit\ncase \"$*\" in *paletteuse*)\n"
                        "  for last; do :; done\n"
                        "  /usr/bin/ffmpeg -loglevel error -i \"$last\" -frames:v 3 -y "
                        "\"$last.3.gif\" && mv \"$last.3.gif\" \"$last\";;\nesac");
        if (failure.contains(QLatin1String("taken"))) {
            std::ofstream(out / "taken") << "a file";
            out /= "taken";
        }

        const mode_t previous = ::umask(027);
        RecordingReporter reporter;
        run(request(folder, out), reporter);
        ::umask(previous);
        if (failure.isEmpty()) {
            QCOMPARE(reporter.failures, QStringList());
            struct stat info {};
            QCOMPARE(::stat(localPathFromUrl(reporter.outputs.value(0)).c_str(), &info), 0);
            QCOMPARE(info.st_mode & 0777, mode_t(0640));
            return;
        }
        QCOMPARE(reporter.failures.size(), 1);
        QVERIFY2(QRegularExpression(failure).match(reporter.failures.first()).hasMatch(),
                 qPrintable(reporter.failures.first()));
        QVERIFY(reporter.outputs.isEmpty());
        if (fs::is_directory(out))
            QCOMPARE(entries(out), QStringList());
    }

    // On a disk that fills up, gifsicle exits 0 with a cut file.
    void fullDisk() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("small-disk"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 10, 4, 320, 240);
        QProcess process;
        const auto started =
            inMountNamespace(process,
                             QStringLiteral("mount -t tmpfs -o size=64k loomfin-test \"$2\" || "
                                            "exit 99\n\"$1\" convert --width 600 --output \"$2\" "
                                            "\"$3\"\nstatus=$?\nls -A \"$2\"\nexit $status"),
                             {loomfin, str(out), str(folder)});
        if (!started)
            QSKIP("this machine does not allow a private mount namespace for a small disk");
        QVERIFY(process.waitForFinished(120000));
        if (process.exitCode() == 99)
            QSKIP("this machine does not allow mounting a small tmpfs");
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()).trimmed().split(u'\n').last(),
                 QStringLiteral("Not enough space to save the GIF in ") + str(out));
        QCOMPARE(process.readAllStandardOutput(), QByteArray()); // and nothing left on it
    }

    void outputFolderFollowsHome_data() {
        QTest::addColumn<QByteArray>("home"); // null: unset
        QTest::addColumn<QString>("folder");

        const passwd *entry = ::getpwuid(::getuid());
        const QString account = QString::fromLocal8Bit(entry->pw_dir);
        QTest::newRow("home is /") << QByteArray("/") << "/Documents/GIF_Output";
        QTest::newRow("home unset") << QByteArray() << account + "/Documents/GIF_Output";
        QTest::newRow("home relative")
            << QByteArray("somewhere") << account + "/Documents/GIF_Output";
        QTest::newRow("home with a trailing slash")
            << QByteArray("/srv/u/") << "/srv/u/Documents/GIF_Output";
    }

    void outputFolderFollowsHome() {
        QFETCH(QByteArray, home);
        QFETCH(QString, folder);
        const QByteArray saved = qgetenv("HOME");
        if (home.isNull())
            qunsetenv("HOME");
        else
            qputenv("HOME", home);
        ConverterEngine engine(std::make_unique<QSettings>(
            str(TestEnvironment::root() / "home.conf"), QSettings::IniFormat));
        const QUrl url = engine.outputFolderURL();
        qputenv("HOME", saved);
        QCOMPARE(url.host(), QString());
        QCOMPARE(QString::fromStdString(localPathFromUrl(url).string()), folder);
    }

    // TMPDIR missing, not a folder, or unfit for ffmpeg's patterns: jobs use
    // /tmp (here a folder of the test's); when that fails too, the text says
    // where it tried.
    void temporaryFolder_data() {
        QTest::addColumn<QString>("tmpdir"); // "fallback": the fallback itself
        QTest::addColumn<bool>("fallbackExists");
        QTest::addColumn<QString>("madeIn"); // "tmpdir", "fallback", or the failure

        QTest::newRow("usable") << "usable" << true << "tmpdir";
        QTest::newRow("missing") << "missing/tmp" << true << "fallback";
        QTest::newRow("a file") << "file" << true << "fallback";
        QTest::newRow("pattern characters") << "set[1]" << true << "fallback";
        QTest::newRow("relative") << "relative" << true << "fallback";
        QTest::newRow("nowhere") << "missing/tmp" << false
                                 << "Could not make a temporary folder in %1: No such file or "
                                    "directory";
    }

    void temporaryFolder() {
        QFETCH(QString, tmpdir);
        QFETCH(bool, fallbackExists);
        QFETCH(QString, madeIn);
        const fs::path root = TestEnvironment::freshFolder(QStringLiteral("bases"));
        const fs::path fallback = root / "fallback";
        fs::create_directories(root / "usable");
        fs::create_directories(root / "set[1]");
        std::ofstream(root / "file") << "x";
        if (fallbackExists)
            fs::create_directories(fallback);
        const std::string value =
            tmpdir == QLatin1String("relative") ? "usable" : (root / tmpdir.toStdString()).string();
        QString error;
        const auto folder = PrivateFolder::make(value, &error, fallback);
        if (!madeIn.contains(u' ')) {
            QVERIFY2(folder, qPrintable(error));
            QCOMPARE(folder->path().parent_path(),
                     madeIn == QLatin1String("tmpdir") ? fs::path(value) : fallback);
            QCOMPARE(fs::status(folder->path()).permissions(), fs::perms::owner_all);
        } else {
            QVERIFY(!folder);
            QCOMPARE(error, madeIn.arg(str(fallback)));
        }
    }

    // A job that cannot have a temporary folder fails before any tool runs
    // and writes nothing anywhere (/tmp is read-only in its namespace).
    void noTemporaryFolderAtAll() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 4);
        QProcess process;
        const auto started = inMountNamespace(
            process,
            QStringLiteral("mount --bind /tmp /tmp && mount --bind \"$2\" \"$2\" && "
                           "mount -o remount,bind,ro /tmp || exit 99\n"
                           "TMPDIR=/nonexistent/tmp exec \"$1\" convert --output \"$2\" \"$3\""),
            {loomfin, str(out), str(folder)});
        if (!started)
            QSKIP("this machine does not allow a private mount namespace");
        QVERIFY(process.waitForFinished(120000));
        if (process.exitCode() == 99)
            QSKIP("this machine does not allow a read-only /tmp in a mount namespace");
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(
            QString::fromUtf8(process.readAllStandardError()).trimmed().split(u'\n').last(),
            QStringLiteral("Could not make a temporary folder in /tmp: Read-only file system"));
        QCOMPARE(entries(out), QStringList());
        QCOMPARE(entries(folder).size(), 4);
    }

    // The job reads PATH and TMPDIR from the snapshot taken when it was
    // accepted, never from the live environment.
    void jobUsesItsEnvironmentSnapshot() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 3);
        JobRequest r = request(folder, out);
        r.environment = withEnvironmentEntry(r.environment, "PATH", "/nonexistent");
        RecordingReporter reporter;
        run(r, reporter);
        QCOMPARE(reporter.failures, QStringList{missingToolsMessage()});
    }

    // A job killed outright takes its tools with it and leaves its temporary
    // folder and partial GIF; the next job removes them, but never those of a
    // job that is still running.
    void killedJobsAreCleanedUpLater() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        const fs::path fake = TestEnvironment::freshFolder(QStringLiteral("hanging-tools"));
        const fs::path tmp = qgetenv("TMPDIR").toStdString();
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 3);
        writeScript(fake / "ffmpeg", "echo $$ > \"$0.pid\"\nexec sleep 60");

        QProcess hanging;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), str(fake) + QStringLiteral(":/usr/bin:/bin"));
        hanging.setProcessEnvironment(env);
        hanging.start(loomfin, {QStringLiteral("convert"), QStringLiteral("--output"), str(out),
                                str(folder)});
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(fake / "ffmpeg.pid"), 20000);
        const QStringList leftovers = entries(tmp) + entries(out);
        QCOMPARE(leftovers.size(), 2); // its private folder and its partial GIF

        const auto convert = [&] {
            return QProcess::execute(loomfin, {QStringLiteral("convert"),
                                               QStringLiteral("--output"), str(out), str(folder)});
        };
        QCOMPARE(convert(), 0); // alongside the live job: its files stay
        for (const QString &name : leftovers)
            QVERIFY(entries(tmp).contains(name) || entries(out).contains(name));

        ::kill(pid_t(hanging.processId()), SIGKILL);
        QVERIFY(hanging.waitForFinished(10000));
        std::ifstream pidFile(fake / "ffmpeg.pid");
        pid_t child = 0;
        pidFile >> child;
        const auto running = [child] { // and not a zombie waiting for its new parent
            std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
            std::string line;
            return std::getline(stat, line) && line.substr(line.rfind(')') + 1, 3) != " Z ";
        };
        const auto stopChild = qScopeGuard([&] {
            if (running())
                ::kill(child, SIGKILL);
        });
        QTRY_VERIFY_WITH_TIMEOUT(!running(), 5000);
        QCOMPARE(convert(), 0);
        QCOMPARE(entries(tmp), QStringList());
        QCOMPARE(entries(out).filter(QStringLiteral(".part")), QStringList());
        QCOMPARE(entries(out).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestJobOutcomes)
#include "tst_job_outcomes.moc"
