#include "JobControl.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A name no real folder on the machine is likely to hold, so fixed search
// folders such as /usr/local/bin cannot interfere.
const std::string kToolName = "loomfin-test-tool";

std::string writeScript(const fs::path &path, const std::string &body,
                        fs::perms permissions = fs::perms(0755)) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, permissions);
    return path.string();
}

// Puts at `path` a program of the given kind: "missing", "plain" (not
// executable), "folder", "garbage" (executable, not a program), "dangling",
// "link" or "link to plain"; anything else is a working script.
void place(const fs::path &path, const std::string &kind) {
    const bool link = kind.starts_with("link");
    const fs::path target = path.string() + ".target";
    if (kind == "folder") {
        fs::create_directories(path);
    } else if (kind == "garbage") {
        std::ofstream(path, std::ios::binary) << std::string("\x7f\x01\x02garbage", 10);
        fs::permissions(path, fs::perms(0755));
    } else if (kind != "missing" && kind != "dangling") {
        writeScript(link ? target : path, "exit 0",
                    kind.ends_with("plain") ? fs::perms(0644) : fs::perms(0755));
    }
    if (link || kind == "dangling")
        fs::create_symlink(target, path); // never written for "dangling"
}

ProcessResult runScript(const std::string &body, JobControl *control = nullptr,
                        const std::vector<std::string> &environment = environmentSnapshot()) {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("script"));
    return runTool(writeScript(folder / "fake-tool", body), {}, {environment, control});
}

std::string ffmpeg() {
    return locateTool("ffmpeg", environmentValue(environmentSnapshot(), "PATH")).value_or("ffmpeg");
}

// The real ffmpeg writing one small frame to `output`.
ProcessResult ffmpegFrame(const std::string &output) {
    return runTool(ffmpeg(),
                   {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                    "testsrc=size=64x48:rate=10", "-frames:v", "1", "-y", output},
                   {environmentSnapshot(), nullptr});
}

// Neither gone nor a zombie.
} // namespace

class TestToolRunner : public QObject {
    Q_OBJECT

    ToolLocations m_savedLocations = applicationToolLocations();

private slots:
    void defaultLocationsFollowTheExecutable() {
        // The test program lives in <build>/bin, as the app lives in <prefix>/bin.
        const ToolLocations locations = applicationToolLocations();
        QVERIFY(fs::equivalent(locations.bundleFolder, LOOMFIN_BINARY_DIR));
        QCOMPARE(locations.resourcesFolder.has_value(), fs::is_directory(LOOMFIN_BUILD_DATA_DIR));
        if (locations.resourcesFolder)
            QVERIFY(fs::equivalent(*locations.resourcesFolder, LOOMFIN_BUILD_DATA_DIR));
    }

    void cleanup() { setApplicationToolLocations(m_savedLocations); }

    void searchDirectoriesOrder_data() {
        QTest::addColumn<bool>("withResources");
        QTest::addColumn<QByteArray>("path");  // null: unset
        QTest::addColumn<QString>("fromPath"); // joined by ":"

        const QString cwd = QString::fromStdString(fs::current_path());
        QTest::newRow("PATH unset") << true << QByteArray() << QString();
        QTest::newRow("PATH empty") << true << QByteArray("") << QString();
        QTest::newRow("separators only") << true << QByteArray("::") << QString();
        QTest::newRow("empty pieces dropped")
            << true << QByteArray("::/usr/bin:") << QStringLiteral("/usr/bin");
        QTest::newRow("order and repeats kept") << true << QByteArray("/b:/a:/b:/usr/local/bin")
                                                << QStringLiteral("/b:/a:/b:/usr/local/bin");
        QTest::newRow("relative pieces anchored at the working folder")
            << true << QByteArray("bin:/x:tools/sub")
            << cwd + QStringLiteral("/bin:/x:") + cwd + QStringLiteral("/tools/sub");
        QTest::newRow("no resources folder") << false << QByteArray("/p") << QStringLiteral("/p");
    }

    void searchDirectoriesOrder() {
        QFETCH(bool, withResources);
        QFETCH(QByteArray, path);
        QFETCH(QString, fromPath);

        ToolLocations locations{std::nullopt, "/prefix"};
        QStringList expected;
        if (withResources) {
            locations.resourcesFolder = "/prefix/share/loomfin";
            expected << QStringLiteral("/prefix/share/loomfin/Tools")
                     << QStringLiteral("/prefix/share/loomfin");
        }
        expected << QStringLiteral("/prefix/" LOOMFIN_DATA_SUBDIR "/Tools")
                 << QStringLiteral("/opt/homebrew/bin") << QStringLiteral("/usr/local/bin");
        if (!fromPath.isEmpty())
            expected << fromPath.split(QLatin1Char(':'));
        QStringList actual;
        const auto pathVariable =
            path.isNull() ? std::nullopt : std::optional<std::string>(path.toStdString());
        for (const auto &folder : toolSearchDirectories(locations, pathVariable))
            actual << QString::fromStdString(folder);
        QCOMPARE(actual, expected);
    }

    void locatesTool_data() {
        QTest::addColumn<QStringList>("holdings"); // per search folder, in search order
        QTest::addColumn<int>("winner");           // -1: none

        const auto row = [](const char *tag, const char *holdings, int winner) {
            QTest::newRow(tag) << QString::fromLatin1(holdings).split(QLatin1Char(',')) << winner;
        };
        row("only on PATH", ",,,,tool", 4);
        row("first PATH entry wins", ",,,tool,tool", 3);
        row("bundle Tools beat PATH", ",,tool,tool,", 2);
        row("resources beat bundle Tools", ",tool,tool,tool,", 1);
        row("resources Tools beat everything", "tool,tool,tool,tool,tool", 0);
        row("nowhere", ",,,,", -1);
        row("not executable skipped", "plain,,,,tool", 4);
        row("folder skipped", "folder,,,,tool", 4);
        row("dangling link skipped", "dangling,,,,tool", 4);
        row("link to a non-executable skipped", "link to plain,,,,tool", 4);
        row("link to an executable used", "link,,,,tool", 0);
    }

    void locatesTool() {
        QFETCH(QStringList, holdings);
        QFETCH(int, winner);

        const fs::path root = TestEnvironment::freshFolder(QStringLiteral("locate"));
        const std::vector<fs::path> folders = {
            root / "prefix/share/loomfin/Tools", root / "prefix/share/loomfin",
            root / "bundle" / LOOMFIN_DATA_SUBDIR / "Tools", root / "path1", root / "path2"};
        for (size_t i = 0; i < folders.size(); ++i) {
            fs::create_directories(folders[i]);
            if (!holdings[int(i)].isEmpty())
                place(folders[i] / kToolName, holdings[int(i)].toStdString());
        }
        setApplicationToolLocations({root / "prefix/share/loomfin", root / "bundle"});
        const std::string path = folders[3].string() + ":" + folders[4].string();
        QCOMPARE(QString::fromStdString(locateTool(kToolName, path).value_or("")),
                 winner < 0 ? QString()
                            : QString::fromStdString(folders[size_t(winner)] / kToolName));
    }

    void condense_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *tag, int status, const char *text, const char *expected) {
            QTest::newRow(tag) << status << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        row("last three non-blank lines", 1, "a\n\n  b  \nc\nd", "b | c | d");
        row("blank lines only", 1, "\n   \n\t\n", "exit 1");
        row("empty, start failure", -1, "", "exit -1");
        row("progress lines end in carriage returns", 1,
            "frame=  1\rframe=  2\rframe=  3\r\nError opening output\nConversion failed!\n",
            "frame=  3 | Error opening output | Conversion failed!");
        row("unicode kept", 1, "\u00a0 caf\u00e9 \u00d7 2 \n", "caf\u00e9 \u00d7 2");
    }

    void condense() {
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(condenseToolOutput(status, text), expected);
    }

    void startFailure_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<int>("error");

        QTest::newRow("missing file") << QByteArray("missing") << ENOENT;
        QTest::newRow("not executable") << QByteArray("plain") << EACCES;
        QTest::newRow("a folder") << QByteArray("folder") << EACCES;
        QTest::newRow("not a program") << QByteArray("garbage") << ENOEXEC;
    }

    void startFailure() {
        QFETCH(QByteArray, kind);
        QFETCH(int, error);

        const fs::path program = TestEnvironment::freshFolder(QStringLiteral("start")) / "gifsicle";
        place(program, kind.toStdString());
        const ProcessResult result = runTool(program.string(), {"x"}, {environmentSnapshot()});
        const QString expected = QStringLiteral("Could not start ") +
                                 QString::fromStdString(program) + QStringLiteral(": ") +
                                 QString::fromLocal8Bit(std::strerror(error));
        QCOMPARE(result.exitStatus, -1);
        QCOMPARE(result.outputText, expected);
        QCOMPARE(condenseToolOutput(result.exitStatus, result.outputText), expected);
    }

    void realToolFailureReported() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("real"));
        const ProcessResult result = runTool(
            ffmpeg(), {"-i", (folder / "in.gif").string(), "out.gif"}, {environmentSnapshot()});
        QCOMPARE(result.exitStatus, 1);
        QVERIFY2(result.outputText.contains(QStringLiteral("No such file or directory")),
                 qPrintable(result.outputText));
    }

    void statusAndErrorText_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");

        const auto row = [](const char *tag, const char *script, int status,
                            const QByteArray &text) {
            QTest::newRow(tag) << QString::fromLatin1(script) << status << QString::fromUtf8(text);
        };
        row("tail", "printf 'one\\ntwo\\n\\n  three  \\nfour' >&2", 3, "two\nthree\nfour");
        row("trailing blanks", "printf 'a\\nb\\nc\\n\\n\\n  \\n\\t\\n' >&2", 255, "a\nb\nc");
        row("lines split across writes",
            "printf 'fir' >&2; sleep 0.1; printf 'st\\n\\n\\nsec' >&2; sleep 0.1; "
            "printf 'ond\\r\\n\\n\\nthird\\nfou' >&2; sleep 0.1; printf 'rth' >&2",
            5, "second\nthird\nfourth");
        row("standard output left out", "echo noise; echo real >&2", 1, "real");
        row("progress lines", "printf 'frame=  1\\rframe=  2\\rfailed\\n' >&2", 1,
            "frame=  1\nframe=  2\nfailed");
        // Killed: 128 + signal, never success, and the signal named.
        row("SIGKILL", "echo bye >&2; kill -9 $$", 137, "bye\nTerminated by signal 9 (Killed)");
        row("SIGSEGV", "ulimit -c 0; echo bye >&2; kill -11 $$", 139,
            "bye\nTerminated by signal 11 (Segmentation fault)");
        row("stdin", "echo \"stdin=$(readlink /proc/$$/fd/0)\" >&2", 0, "stdin=/dev/null");

        // Valid UTF-8 in any split; anything invalid gives no text.
        row("character split", "printf 'caf\\303' >&2; sleep 0.2; printf '\\251' >&2", 1,
            "caf\xc3\xa9");
        row("character over three reads",
            "printf '\\360\\237' >&2; sleep 0.2; printf '\\230' >&2; sleep 0.2; printf '\\200' >&2",
            1, "\xf0\x9f\x98\x80");
        row("split character never finished", "printf 'caf\\303' >&2; sleep 0.2; printf 'e' >&2", 1,
            "");
        row("four bytes", "printf '\\360\\237\\230\\200\\n' >&2", 1, "\xf0\x9f\x98\x80");
        row("invalid byte", "printf 'ok\\n\\377\\n' >&2", 1, "");
        row("invalid byte long gone", "printf '\\377\\na\\nb\\nc\\nd\\n' >&2", 1, "");
        row("overlong form", "printf '\\300\\257' >&2", 1, "");
        row("surrogate", "printf '\\355\\240\\200' >&2", 1, "");
        row("beyond U+10FFFF", "printf '\\364\\220\\200\\200' >&2", 1, "");
        row("cut off at the end", "printf 'abc\\342\\202' >&2", 1, "");
        row("long line cut between characters",
            "head -c 4095 /dev/zero | tr '\\0' a >&2; printf '\\303\\251tail\\n' >&2", 1,
            QByteArray(4095, 'a'));
        row("long indentation", "printf '%5000s' '' >&2; echo after >&2", 1, "after");
        row("non-ASCII blank", "echo 1 >&2; printf ' \\302\\240 \\n' >&2; echo 2 >&2", 1, "1\n2");
    }

    void statusAndErrorText() {
        QFETCH(QString, script);
        QFETCH(int, status);
        QFETCH(QString, text);

        const ProcessResult result =
            runScript(script.toStdString() + "\nexit " + std::to_string(status));
        QCOMPARE(result.exitStatus, status);
        QCOMPARE(result.outputText, text);
    }

    void floodDoesNotBlockOrGrow_data() {
        QTest::addColumn<QString>("flood");

        QTest::newRow("standard error without line breaks")
            << QStringLiteral("head -c 200000000 /dev/zero | tr '\\0' x >&2; echo >&2");
        QTest::newRow("standard output") << QStringLiteral("head -c 200000000 /dev/zero");
        QTest::newRow("both streams at once")
            << QStringLiteral("head -c 100000000 /dev/zero & yes | head -c 100000000 >&2; wait");
    }

    void floodDoesNotBlockOrGrow() {
        QFETCH(QString, flood);

        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        QElapsedTimer timer;
        timer.start();
        const ProcessResult result =
            runScript(flood.toStdString() + "\necho 'late error' >&2\nexit 1");
        QVERIFY2(timer.elapsed() < 30000, "a flood must not stall the run");
        QCOMPARE(result.exitStatus, 1);
        QVERIFY(result.outputText.size() < 64 * 1024);
        QVERIFY2(result.outputText.endsWith(QStringLiteral("late error")),
                 qPrintable(result.outputText.right(200)));
        for (const QString &line : result.outputText.split(QLatin1Char('\n')))
            QVERIFY(line.size() <= 4096);
        getrusage(RUSAGE_SELF, &after); // peak resident memory, in KiB
        QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024, "output must not be accumulated");
    }

    void cancellationStopsChild_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("cancelFirst"); // cancelled while it starts
        QTest::addColumn<QString>("text");

        QTest::newRow("stops on SIGTERM") << QStringLiteral(": > \"$1\"; exec sleep 1000") << false
                                          << QStringLiteral("Terminated by signal 15 (Terminated)");
        // SIGTERM first; SIGKILL only when that is ignored.
        QTest::newRow("goes on after SIGTERM")
            << QStringLiteral("trap 'echo TERM >&2' TERM; : > \"$1\"; while :; do sleep 0.1; done")
            << false << QStringLiteral("TERM\nTerminated by signal 9 (Killed)");
        QTest::newRow("exits 0 on SIGTERM")
            << QStringLiteral("trap 'kill $!; exit 0' TERM; : > \"$1\"; sleep 1000 & wait") << false
            << QStringLiteral("Cancelled");
        QTest::newRow("cancelled while starting")
            << QStringLiteral("exec sleep 1000") << true
            << QStringLiteral("Terminated by signal 15 (Terminated)");
    }

    void cancellationStopsChild() {
        QFETCH(QString, script);
        QFETCH(bool, cancelFirst);
        QFETCH(QString, text);

        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("cancel"));
        const std::string program = writeScript(folder / "hang", script.toStdString());
        const std::string started = (folder / "started").string();
        JobControl control;
        if (cancelFirst)
            control.cancel();
        ProcessResult result;
        std::thread job([&] {
            result = runTool(program, {started}, {environmentSnapshot(), &control});
        });
        if (!cancelFirst) {
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(started), 10000);
            control.cancel();
        }
        job.join();
        QCOMPARE(result.outputText, text);
        QCOMPARE(result.exitStatus, text.contains(QStringLiteral("(Killed)")) ? 137 : 143);
    }

    void childGetsExactlyTheGivenEnvironment() {
        qputenv("LOOMFIN_PROBE", "live");
        const std::vector<std::string> environment =
            withEnvironmentEntry(environmentSnapshot(), "LOOMFIN_PROBE", "given");
        qunsetenv("LOOMFIN_PROBE");
        const ProcessResult result =
            runScript("echo \"$LOOMFIN_PROBE $(env | grep -c ^LOOMFIN_PROBE=) $HOME\" >&2", nullptr,
                      environment);
        QCOMPARE(result.outputText, QStringLiteral("given 1 ") + qEnvironmentVariable("HOME"));
    }

    // A killed application must not leave a tool running: children get
    // SIGKILL when their parent dies.
    void rawArgumentBytesReachChild() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("bytes"));
        const std::string name = "caf\xe9 \xff frame.png"; // Latin-1, not UTF-8
        const ProcessResult result = ffmpegFrame((folder / name).string());
        QCOMPARE(result.exitStatus, 0);
        QVERIFY(fs::exists(folder / name));
        QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    }

    void childInheritsNoOtherDescriptors() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("descriptors"));
        const int plain = ::open(writeScript(folder / "some-file", "").c_str(), O_RDONLY);
        const int high = ::fcntl(plain, F_DUPFD, 100); // inheritable, unlike our pipes
        ::close(plain);
        QVERIFY(high >= 100);
        const ProcessResult result =
            runScript("[ -e /proc/$$/fd/" + std::to_string(high) + " ] && echo leaked >&2; exit 0");
        ::close(high);
        QCOMPARE(result.outputText, QString());
    }

    void missingToolsMessageText() {
        setApplicationToolLocations({std::nullopt, "/opt/loomfin"});
        QCOMPARE(missingToolsMessage(),
                 QStringLiteral(
                     "Missing required tools: ffmpeg + gifsicle.\n"
                     "For app releases, bundle executables at /opt/loomfin/" LOOMFIN_DATA_SUBDIR
                     "/Tools/.\n"
                     "Dev fallback paths checked: /opt/homebrew/bin, /usr/local/bin, and $PATH.\n"
                     "Install them from your distribution's packages, for example: sudo apt "
                     "install ffmpeg gifsicle"));
    }
};

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_tool_runner.moc"
