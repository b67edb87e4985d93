#include "JobControl.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A name no real folder on the machine is likely to hold, so fixed search
// folders such as /usr/local/bin cannot interfere.
const std::string kToolName = "loomfin-test-tool";

std::string writeScript(const fs::path &folder, const std::string &name, const std::string &body,
                        fs::perms permissions = fs::perms(0755)) {
    fs::create_directories(folder);
    const fs::path path = folder / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, permissions);
    return path.string();
}

QStringList toStrings(const std::vector<fs::path> &paths) {
    QStringList list;
    for (const auto &path : paths)
        list << QString::fromStdString(path.string());
    return list;
}

// Peak resident memory of this process, in KiB.
long peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

class TestToolRunner : public QObject {
    Q_OBJECT

private slots:
    // Must run first: it looks at the locations before anything sets them.
    void defaultLocationsFollowTheExecutable();

    void init();
    void cleanup();

    void searchDirectoriesOrder_data();
    void searchDirectoriesOrder();
    void locatePrecedence_data();
    void locatePrecedence();
    void locateSkipsUnusableCandidates_data();
    void locateSkipsUnusableCandidates();
    void locateRejectsNamesWithPaths();

    void condense_data();
    void condense();

    void startFailure_data();
    void startFailure();
    void realToolStatus_data();
    void realToolStatus();
    void exitStatusAndErrorTail_data();
    void exitStatusAndErrorTail();
    void killedBySignalIsFailure_data();
    void killedBySignalIsFailure();
    void floodDoesNotBlockOrGrow_data();
    void floodDoesNotBlockOrGrow();
    void errorTextDecoding_data();
    void errorTextDecoding();
    void cancellationStopsChild_data();
    void cancellationStopsChild();
    void cancelledBeforeStartNeverSucceeds();
    void extraEnvironmentReachesChildOnly();
    void rawArgumentBytesReachChild();
    void childStartsWithOnlyStandardStreams();

    void missingToolsMessageText();

private:
    ProcessResult runScript(const std::string &body, const RunOptions &options = {});

    QByteArray m_savedPath;
    bool m_pathWasSet = false;
    ToolLocations m_savedLocations;
};

void TestToolRunner::defaultLocationsFollowTheExecutable() {
    // The test program lives in <build>/bin, as the app lives in <prefix>/bin.
    const ToolLocations locations = applicationToolLocations();
    QVERIFY(fs::equivalent(locations.bundleFolder, LOOMFIN_BINARY_DIR));
    QCOMPARE(locations.resourcesFolder.has_value(), fs::is_directory(LOOMFIN_BUILD_DATA_DIR));
    if (locations.resourcesFolder)
        QVERIFY(fs::equivalent(*locations.resourcesFolder, LOOMFIN_BUILD_DATA_DIR));
}

void TestToolRunner::init() {
    m_pathWasSet = qEnvironmentVariableIsSet("PATH");
    m_savedPath = qgetenv("PATH");
    m_savedLocations = applicationToolLocations();
}

void TestToolRunner::cleanup() {
    if (m_pathWasSet)
        qputenv("PATH", m_savedPath);
    else
        qunsetenv("PATH");
    setApplicationToolLocations(m_savedLocations);
}

ProcessResult TestToolRunner::runScript(const std::string &body, const RunOptions &options) {
    const std::string script =
        writeScript(TestEnvironment::freshFolder(QStringLiteral("script")), "fake-tool", body);
    return runTool(script, {}, options);
}

void TestToolRunner::searchDirectoriesOrder_data() {
    QTest::addColumn<bool>("withResources");
    QTest::addColumn<bool>("pathSet");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QStringList>("fromPath");

    const QString cwd = QString::fromStdString(fs::current_path().string());
    QTest::newRow("PATH unset") << true << false << QByteArray() << QStringList();
    QTest::newRow("PATH empty") << true << true << QByteArray("") << QStringList();
    QTest::newRow("separators only") << true << true << QByteArray("::") << QStringList();
    QTest::newRow("empty pieces dropped")
        << true << true << QByteArray("::/usr/bin:") << QStringList{QStringLiteral("/usr/bin")};
    QTest::newRow("order and repeats kept")
        << true << true << QByteArray("/b:/a:/b:/usr/local/bin")
        << QStringList{QStringLiteral("/b"), QStringLiteral("/a"), QStringLiteral("/b"),
                       QStringLiteral("/usr/local/bin")};
    QTest::newRow("relative pieces anchored at the working folder")
        << true << true << QByteArray("bin:/x:tools/sub")
        << QStringList{cwd + QStringLiteral("/bin"), QStringLiteral("/x"),
                       cwd + QStringLiteral("/tools/sub")};
    QTest::newRow("no resources folder")
        << false << true << QByteArray("/p") << QStringList{QStringLiteral("/p")};
}

void TestToolRunner::searchDirectoriesOrder() {
    QFETCH(bool, withResources);
    QFETCH(bool, pathSet);
    QFETCH(QByteArray, path);
    QFETCH(QStringList, fromPath);

    ToolLocations locations;
    if (withResources)
        locations.resourcesFolder = "/prefix/share/loomfin";
    locations.bundleFolder = "/prefix";

    QStringList expected;
    if (withResources)
        expected << QStringLiteral("/prefix/share/loomfin/Tools")
                 << QStringLiteral("/prefix/share/loomfin");
    expected << QStringLiteral("/prefix/" LOOMFIN_DATA_SUBDIR "/Tools")
             << QStringLiteral("/opt/homebrew/bin") << QStringLiteral("/usr/local/bin") << fromPath;
    QCOMPARE(toStrings(toolSearchDirectories(locations, pathSet ? path.constData() : nullptr)),
             expected);
}

void TestToolRunner::locatePrecedence_data() {
    QTest::addColumn<QStringList>("holders");
    QTest::addColumn<QString>("winner");

    // Folders: resources Tools, resources, bundle Tools, then two PATH entries.
    QTest::newRow("only on PATH") << QStringList{QStringLiteral("path2")}
                                  << QStringLiteral("path2");
    QTest::newRow("first PATH entry wins")
        << QStringList{QStringLiteral("path1"), QStringLiteral("path2")} << QStringLiteral("path1");
    QTest::newRow("bundle Tools beats PATH")
        << QStringList{QStringLiteral("bundleTools"), QStringLiteral("path1")}
        << QStringLiteral("bundleTools");
    QTest::newRow("resources beat bundle Tools")
        << QStringList{QStringLiteral("resources"), QStringLiteral("bundleTools"),
                       QStringLiteral("path1")}
        << QStringLiteral("resources");
    QTest::newRow("resources Tools beat everything")
        << QStringList{QStringLiteral("resourcesTools"), QStringLiteral("resources"),
                       QStringLiteral("bundleTools"), QStringLiteral("path1"),
                       QStringLiteral("path2")}
        << QStringLiteral("resourcesTools");
    QTest::newRow("nowhere") << QStringList() << QString();
}

void TestToolRunner::locatePrecedence() {
    QFETCH(QStringList, holders);
    QFETCH(QString, winner);

    const fs::path root = TestEnvironment::freshFolder(QStringLiteral("precedence"));
    const std::map<QString, fs::path> folders{
        {QStringLiteral("resourcesTools"), root / "prefix/share/loomfin/Tools"},
        {QStringLiteral("resources"), root / "prefix/share/loomfin"},
        {QStringLiteral("bundleTools"), root / "bundle" / LOOMFIN_DATA_SUBDIR / "Tools"},
        {QStringLiteral("path1"), root / "path1"},
        {QStringLiteral("path2"), root / "path2"},
    };
    for (const auto &[key, folder] : folders) {
        fs::create_directories(folder);
        if (holders.contains(key))
            writeScript(folder, kToolName, "exit 0");
    }
    setApplicationToolLocations({root / "prefix/share/loomfin", root / "bundle"});
    qputenv("PATH",
            QByteArray::fromStdString((root / "path1").string() + ":" + (root / "path2").string()));

    const auto found = locateTool(kToolName);
    if (winner.isEmpty()) {
        QVERIFY(!found);
        return;
    }
    QVERIFY(found);
    QCOMPARE(QString::fromStdString(*found),
             QString::fromStdString((folders.at(winner) / kToolName).string()));
}

void TestToolRunner::locateSkipsUnusableCandidates_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("usable");

    QTest::newRow("not executable") << QStringLiteral("plain file") << false;
    QTest::newRow("folder with the tool's name") << QStringLiteral("folder") << false;
    QTest::newRow("dangling symbolic link") << QStringLiteral("dangling link") << false;
    QTest::newRow("link to a non-executable") << QStringLiteral("link to plain file") << false;
    QTest::newRow("link to an executable") << QStringLiteral("link to executable") << true;
}

void TestToolRunner::locateSkipsUnusableCandidates() {
    QFETCH(QString, kind);
    QFETCH(bool, usable);

    const fs::path root = TestEnvironment::freshFolder(QStringLiteral("unusable"));
    const fs::path tools = root / "res/Tools";
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directories(tools);
    fs::create_directories(elsewhere);
    const std::string fallback = writeScript(root / "path", kToolName, "exit 0");
    const fs::path candidate = tools / kToolName;
    if (kind == QStringLiteral("plain file")) {
        writeScript(tools, kToolName, "exit 0", fs::perms(0644));
    } else if (kind == QStringLiteral("folder")) {
        fs::create_directory(candidate);
    } else if (kind == QStringLiteral("dangling link")) {
        fs::create_symlink(elsewhere / "missing", candidate);
    } else if (kind == QStringLiteral("link to plain file")) {
        fs::create_symlink(writeScript(elsewhere, "target", "exit 0", fs::perms(0644)), candidate);
    } else {
        fs::create_symlink(writeScript(elsewhere, "target", "exit 0"), candidate);
    }
    setApplicationToolLocations({root / "res", root / "bundle"});
    qputenv("PATH", QByteArray::fromStdString((root / "path").string()));

    const auto found = locateTool(kToolName);
    QVERIFY(found);
    QCOMPARE(*found, usable ? candidate.string() : fallback);
}

void TestToolRunner::locateRejectsNamesWithPaths() {
    const fs::path root = TestEnvironment::freshFolder(QStringLiteral("names"));
    writeScript(root / "path/sub", kToolName, "exit 0");
    setApplicationToolLocations({std::nullopt, root / "bundle"});
    qputenv("PATH", QByteArray::fromStdString((root / "path").string()));

    QVERIFY(!locateTool("sub/" + kToolName));
    QVERIFY(!locateTool(""));
    QVERIFY(!locateTool(".."));
}

void TestToolRunner::condense_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("last three non-blank lines")
        << 1 << QStringLiteral("a\n\n  b  \nc\nd") << QStringLiteral("b | c | d");
    QTest::newRow("blank lines only")
        << 1 << QStringLiteral("\n   \n\t\n") << QStringLiteral("exit 1");
    QTest::newRow("empty, start failure") << -1 << QString() << QStringLiteral("exit -1");
    QTest::newRow("empty, large status") << 255 << QString() << QStringLiteral("exit 255");
    QTest::newRow("one line") << 1 << QStringLiteral("only line\n") << QStringLiteral("only line");
    QTest::newRow("start error description")
        << -1 << QStringLiteral("Could not start /x/gifsicle: Permission denied")
        << QStringLiteral("Could not start /x/gifsicle: Permission denied");
    QTest::newRow("progress lines end in carriage returns")
        << 1
        << QStringLiteral("frame=  1\rframe=  2\rframe=  3\r\nError opening output\n"
                          "Conversion failed!\n")
        << QStringLiteral("frame=  3 | Error opening output | Conversion failed!");
    QTest::newRow("progress then one error line")
        << 1 << QStringLiteral("frame=  1\rframe=  2\rNo such file or directory\n")
        << QStringLiteral("frame=  1 | frame=  2 | No such file or directory");
    QTest::newRow("CRLF line ends") << 2 << QStringLiteral("a\r\nb\r\n") << QStringLiteral("a | b");
    QTest::newRow("unicode kept") << 1 << QStringLiteral("\u00a0 caf\u00e9 \u00d7 2 \n")
                                  << QStringLiteral("caf\u00e9 \u00d7 2");
}

void TestToolRunner::condense() {
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(condenseToolOutput(status, text), expected);
}

void TestToolRunner::startFailure_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << QStringLiteral("missing") << ENOENT;
    QTest::newRow("not executable") << QStringLiteral("plain file") << EACCES;
    QTest::newRow("a folder") << QStringLiteral("folder") << EACCES;
    QTest::newRow("not a program") << QStringLiteral("garbage") << ENOEXEC;
}

void TestToolRunner::startFailure() {
    QFETCH(QString, kind);
    QFETCH(int, error);

    const fs::path root = TestEnvironment::freshFolder(QStringLiteral("start"));
    fs::path program = root / "gifsicle";
    if (kind == QStringLiteral("plain file")) {
        writeScript(root, "gifsicle", "exit 0", fs::perms(0644));
    } else if (kind == QStringLiteral("folder")) {
        fs::create_directory(program);
    } else if (kind == QStringLiteral("garbage")) {
        std::ofstream(program, std::ios::binary) << std::string("\x7f\x01\x02garbage", 10);
        fs::permissions(program, fs::perms(0755));
    }

    const ProcessResult result = runTool(program.string(), {"x"});
    QCOMPARE(result.exitStatus, -1);
    const QString expected = QStringLiteral("Could not start ") +
                             QString::fromStdString(program.string()) + QStringLiteral(": ") +
                             QString::fromLocal8Bit(std::strerror(error));
    QCOMPARE(result.outputText, expected);
    QCOMPARE(condenseToolOutput(result.exitStatus, result.outputText), expected);
}

void TestToolRunner::realToolStatus_data() {
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("textPart");

    const QString folder =
        QString::fromStdString(TestEnvironment::freshFolder(QStringLiteral("real")).string());
    const QString missing = folder + QStringLiteral("/missing.gif");
    QTest::newRow("ffmpeg succeeds") << QStringLiteral("ffmpeg")
                                     << QStringList{QStringLiteral("-hide_banner"),
                                                    QStringLiteral("-loglevel"),
                                                    QStringLiteral("error"),
                                                    QStringLiteral("-f"),
                                                    QStringLiteral("lavfi"),
                                                    QStringLiteral("-i"),
                                                    QStringLiteral("testsrc=size=64x48:rate=10"),
                                                    QStringLiteral("-frames:v"),
                                                    QStringLiteral("1"),
                                                    QStringLiteral("-y"),
                                                    folder + QStringLiteral("/frame.png")}
                                     << 0 << QString();
    QTest::newRow("ffmpeg without input")
        << QStringLiteral("ffmpeg")
        << QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-i"), missing,
                       folder + QStringLiteral("/out.gif")}
        << 1 << QStringLiteral("No such file or directory");
    QTest::newRow("gifsicle without input")
        << QStringLiteral("gifsicle")
        << QStringList{QStringLiteral("-O3"), missing, QStringLiteral("-o"),
                       folder + QStringLiteral("/out.gif")}
        << 1 << missing;
}

void TestToolRunner::realToolStatus() {
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, textPart);

    const auto located = locateTool(tool.toStdString());
    QVERIFY(located);
    std::vector<std::string> args;
    for (const QString &argument : arguments)
        args.push_back(argument.toStdString());
    const ProcessResult result = runTool(*located, args);
    QCOMPARE(result.exitStatus, status);
    if (textPart.isEmpty())
        QCOMPARE(result.outputText, QString());
    else
        QVERIFY2(condenseToolOutput(result.exitStatus, result.outputText).contains(textPart),
                 qPrintable(result.outputText));
}

void TestToolRunner::exitStatusAndErrorTail_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");

    QTest::newRow("success, nothing written") << QStringLiteral("exit 0") << 0 << QString();
    QTest::newRow("status 3, tail of four lines")
        << QStringLiteral("printf 'one\\ntwo\\n\\n  three  \\nfour' >&2; exit 3") << 3
        << QStringLiteral("two\nthree\nfour");
    QTest::newRow("trailing blank lines skipped")
        << QStringLiteral("printf 'a\\nb\\nc\\n\\n\\n  \\n\\t\\n' >&2; exit 4") << 4
        << QStringLiteral("a\nb\nc");
    QTest::newRow("lines split across writes")
        << QStringLiteral(
               "printf 'fir' >&2; sleep 0.1; printf 'st\\n\\n\\nsec' >&2; sleep 0.1; "
               "printf 'ond\\r\\n\\n\\nthird\\nfou' >&2; sleep 0.1; printf 'rth' >&2; exit 5")
        << 5 << QStringLiteral("second\nthird\nfourth");
    QTest::newRow("status 255") << QStringLiteral("echo bad >&2; exit 255") << 255
                                << QStringLiteral("bad");
    QTest::newRow("standard output is not part of the text")
        << QStringLiteral("echo noise; echo real >&2; exit 1") << 1 << QStringLiteral("real");
    QTest::newRow("progress separated from the error")
        << QStringLiteral("printf 'frame=  1\\rframe=  2\\rfailed here\\n' >&2; exit 1") << 1
        << QStringLiteral("frame=  1\nframe=  2\nfailed here");
}

void TestToolRunner::exitStatusAndErrorTail() {
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(QString, text);

    const ProcessResult result = runScript(script.toStdString());
    QCOMPARE(result.exitStatus, status);
    QCOMPARE(result.outputText, text);
}

void TestToolRunner::killedBySignalIsFailure_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("description");

    QTest::newRow("SIGKILL") << 9 << QStringLiteral("Killed");
    QTest::newRow("SIGSEGV") << 11 << QStringLiteral("Segmentation fault");
}

void TestToolRunner::killedBySignalIsFailure() {
    QFETCH(int, signal);
    QFETCH(QString, description);

    const ProcessResult result = runScript("ulimit -c 0; echo 'about to go' >&2; kill -" +
                                           std::to_string(signal) + " $$; exit 0");
    QCOMPARE(result.exitStatus, 128 + signal);
    QCOMPARE(
        condenseToolOutput(result.exitStatus, result.outputText),
        QStringLiteral("about to go | Terminated by signal %1 (%2)").arg(signal).arg(description));
}

void TestToolRunner::floodDoesNotBlockOrGrow_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("standard error without line breaks")
        << QStringLiteral(
               "head -c 200000000 /dev/zero | tr '\\0' x >&2; echo >&2; echo 'late error' >&2")
        << QStringLiteral("late error");
    QTest::newRow("standard error lines")
        << QStringLiteral("yes 'progress line' | head -c 200000000 >&2; echo 'late error' >&2")
        << QStringLiteral("late error");
    QTest::newRow("standard output")
        << QStringLiteral("head -c 200000000 /dev/zero; echo 'late error' >&2")
        << QStringLiteral("late error");
    QTest::newRow("both streams at once")
        << QStringLiteral("head -c 100000000 /dev/zero & yes | head -c 100000000 >&2; wait; "
                          "echo 'late error' >&2")
        << QStringLiteral("late error");
}

void TestToolRunner::floodDoesNotBlockOrGrow() {
    QFETCH(QString, script);
    QFETCH(QString, lastLine);

    const long peakBefore = peakResidentKiB();
    QElapsedTimer timer;
    timer.start();
    const ProcessResult result = runScript(script.toStdString() + "\nexit 1");
    QVERIFY2(timer.elapsed() < 30000, "a flood must not stall the run");
    QCOMPARE(result.exitStatus, 1);
    QVERIFY(result.outputText.size() < 64 * 1024);
    QVERIFY2(result.outputText.endsWith(lastLine), qPrintable(result.outputText.right(200)));
    for (const QString &line : result.outputText.split(QLatin1Char('\n')))
        QVERIFY(line.size() <= 4096);
    QVERIFY2(peakResidentKiB() - peakBefore < 64 * 1024, "output must not be accumulated");
}

void TestToolRunner::errorTextDecoding_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");

    QTest::newRow("character split across writes")
        << QStringLiteral("printf 'caf\\303' >&2; sleep 0.2; printf '\\251\\n' >&2")
        << QStringLiteral("caf\u00e9");
    QTest::newRow("four-byte character")
        << QStringLiteral("printf 'smile \\360\\237\\230\\200\\n' >&2")
        << QString::fromUtf8("smile \xf0\x9f\x98\x80");
    QTest::newRow("invalid byte") << QStringLiteral("printf 'ok\\n\\377\\n' >&2") << QString();
    QTest::newRow("invalid byte in a line long gone")
        << QStringLiteral("printf '\\377\\na\\nb\\nc\\nd\\n' >&2") << QString();
    QTest::newRow("lone continuation byte") << QStringLiteral("printf 'a\\200b' >&2") << QString();
    QTest::newRow("overlong form") << QStringLiteral("printf '\\300\\257' >&2") << QString();
    QTest::newRow("surrogate") << QStringLiteral("printf '\\355\\240\\200' >&2") << QString();
    QTest::newRow("beyond U+10FFFF")
        << QStringLiteral("printf '\\364\\220\\200\\200' >&2") << QString();
    QTest::newRow("cut off at the end")
        << QStringLiteral("printf 'abc\\342\\202' >&2") << QString();
    QTest::newRow("long line cut at a character boundary")
        << QStringLiteral("head -c 4095 /dev/zero | tr '\\0' a >&2; printf '\\303\\251tail\\n' >&2")
        << QString(4095, QLatin1Char('a'));
    QTest::newRow("long indentation does not hide the text")
        << QStringLiteral("printf '%5000s' '' >&2; echo 'after spaces' >&2")
        << QStringLiteral("after spaces");
    QTest::newRow("non-ASCII blank line dropped")
        << QStringLiteral("echo one >&2; printf ' \\302\\240 \\n' >&2; echo two >&2")
        << QStringLiteral("one\ntwo");
}

void TestToolRunner::errorTextDecoding() {
    QFETCH(QString, script);
    QFETCH(QString, text);

    const ProcessResult result = runScript(script.toStdString() + "\nexit 1");
    QCOMPARE(result.exitStatus, 1);
    QCOMPARE(result.outputText, text);
}

void TestToolRunner::cancellationStopsChild_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<int>("maximumMs");

    QTest::newRow("stops on SIGTERM")
        << QStringLiteral(": > \"$1\"; exec sleep 1000") << 128 + SIGTERM << 0 << 1500;
    QTest::newRow("ignores SIGTERM, killed later")
        << QStringLiteral("trap '' TERM; : > \"$1\"; exec sleep 1000") << 128 + SIGKILL << 1500
        << 6000;
    QTest::newRow("exits 0 on SIGTERM")
        << QStringLiteral("trap 'kill $!; exit 0' TERM; : > \"$1\"; sleep 1000 & wait")
        << 128 + SIGTERM << 0 << 1500;
}

void TestToolRunner::cancellationStopsChild() {
    QFETCH(QString, script);
    QFETCH(int, status);
    QFETCH(int, minimumMs);
    QFETCH(int, maximumMs);

    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("cancel"));
    const std::string program = writeScript(folder, "hang", script.toStdString());
    const fs::path started = folder / "started";
    JobControl control;
    ProcessResult result;
    std::thread job([&] { result = runTool(program, {started.string()}, {{}, &control}); });

    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(started), 10000);
    QElapsedTimer timer;
    timer.start();
    control.cancel();
    job.join();
    const qint64 elapsed = timer.elapsed();

    QCOMPARE(result.exitStatus, status);
    QVERIFY2(elapsed >= minimumMs && elapsed <= maximumMs, qPrintable(QString::number(elapsed)));
}

void TestToolRunner::cancelledBeforeStartNeverSucceeds() {
    JobControl control;
    control.cancel();
    const ProcessResult result = runScript("exit 0", {{}, &control});
    QVERIFY(result.exitStatus != 0);
}

void TestToolRunner::extraEnvironmentReachesChildOnly() {
    // ffmpeg writes a report file named by FFREPORT.
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("environment"));
    const QByteArray ours = "file=" + QByteArray::fromStdString((folder / "ours.log").string());
    qputenv("FFREPORT", ours);
    const auto ffmpeg = locateTool("ffmpeg");
    QVERIFY(ffmpeg);

    RunOptions options;
    options.environment = {{"FFREPORT", "file=" + (folder / "child.log").string()}};
    const ProcessResult result = runTool(*ffmpeg,
                                         {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                          "testsrc=size=64x48:rate=10", "-frames:v", "1", "-y",
                                          (folder / "frame.png").string()},
                                         options);
    const QByteArray after = qgetenv("FFREPORT");
    qunsetenv("FFREPORT");

    QCOMPARE(result.exitStatus, 0);
    QVERIFY(fs::exists(folder / "child.log"));
    QVERIFY(!fs::exists(folder / "ours.log"));
    QCOMPARE(after, ours);
}

void TestToolRunner::rawArgumentBytesReachChild() {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("bytes"));
    const std::string name = "caf\xe9 \xff frame.png"; // Latin-1, not UTF-8
    const auto ffmpeg = locateTool("ffmpeg");
    QVERIFY(ffmpeg);

    const ProcessResult result = runTool(
        *ffmpeg, {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                  "testsrc=size=64x48:rate=10", "-frames:v", "1", "-y", (folder / name).string()});
    QCOMPARE(result.exitStatus, 0);
    std::vector<std::string> written;
    for (const auto &entry : fs::directory_iterator(folder))
        written.push_back(entry.path().filename().string());
    QCOMPARE(written, std::vector<std::string>{name});
}

void TestToolRunner::childStartsWithOnlyStandardStreams() {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("descriptors"));
    const int plain = ::open(writeScript(folder, "some-file", "").c_str(), O_RDONLY);
    QVERIFY(plain >= 0);
    const int high = ::fcntl(plain, F_DUPFD, 100); // inheritable, unlike our pipes
    ::close(plain);
    QVERIFY(high >= 100);

    const ProcessResult result =
        runScript("echo \"stdin=$(readlink /proc/$$/fd/0)\" >&2; [ -e /proc/$$/fd/" +
                  std::to_string(high) + " ] && echo leaked >&2; exit 0");
    ::close(high);
    QCOMPARE(result.exitStatus, 0);
    QCOMPARE(result.outputText, QStringLiteral("stdin=/dev/null"));
}

void TestToolRunner::missingToolsMessageText() {
    setApplicationToolLocations({std::nullopt, "/opt/loomfin"});
    QCOMPARE(
        missingToolsMessage(),
        QStringLiteral("Missing required tools: ffmpeg + gifsicle.\n"
                       "For app releases, bundle executables at /opt/loomfin/" LOOMFIN_DATA_SUBDIR
                       "/Tools/.\n"
                       "Dev fallback paths checked: /opt/homebrew/bin, /usr/local/bin, and "
                       "$PATH.\n"
                       "Install them from your distribution's packages, for example: sudo apt "
                       "install ffmpeg gifsicle"));
}

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_tool_runner.moc"
