#include "ConversionPipeline.h"
#include "ConverterEngine.h"
#include "DesktopNotifier.h"
#include "FakeNotificationServer.h"
#include "FileUrls.h"
#include "JobControl.h"
#include "JobReporter.h"
#include "RecordingReporter.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

Q_DECLARE_METATYPE(Args)

using TestEnvironment::entries;

namespace {

void writeScript(const fs::path &path, const std::string &body) {
    fs::create_directories(path.parent_path());
    // A body with its own interpreter line keeps it.
    std::ofstream(path) << (body.starts_with("#!") ? "" : "#!/bin/sh\n") << body << "\n";
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

void writeText(const fs::path &path, const std::string &text) {
    std::ofstream(path) << text;
}

fs::path tmpDir() {
    return fs::path(qgetenv("TMPDIR").toStdString());
}

JobSettings settings(double width = 100, double lossy = 30, qint64 loop = 0, qint64 skip = 1,
                     double colors = 256) {
    return JobSettings::clamped(15, width, colors, lossy, loop, skip);
}

} // namespace

class TestConversionPipeline : public QObject {
    Q_OBJECT

    fs::path m_tools; // a resources folder whose Tools/ may hold fake tools

    // Puts a fake tool first in the search; the real one stays on PATH.
    void useFakeTool(const std::string &name, const std::string &body) {
        writeScript(m_tools / "Tools" / name, body);
    }

    JobRequest request(const fs::path &folder, const JobSettings &s, const fs::path &out) {
        JobRequest r;
        r.folder = folder;
        r.settings = s;
        r.outputFolder = out;
        r.environment = environmentSnapshot();
        return r;
    }

private slots:
    void init() {
        m_tools = TestEnvironment::freshFolder(QStringLiteral("app"));
        setApplicationToolLocations({m_tools, m_tools / "prefix"});
    }

    void cleanup() {
        // No job may leave anything in the temporary folder.
        QCOMPARE(entries(tmpDir()), QStringList());
    }

    void commandLinesOfANumberedFolder() {
        FrameSequence seq;
        seq.frames = {"/Renders/shots/shot_0001.png"};
        seq.foundCount = 120;
        seq.frameExtension = "png";
        seq.inputMode = FrameInputMode::Numbered;
        seq.number = {"shot_", 4, 1};
        ConversionPaths paths = temporaryPaths("TMP", QStringLiteral("20260105T093000"));
        paths.optimiserOutput = "OUT/animation_20260105T093000.gif";
        const CommandLines lines = buildCommandLines(
            seq, "/Renders/shots", JobSettings::clamped(15, 600, 256, 30, 0, 1), paths);

        const Args input = {
            "-start_number", "1", "-framerate", "15", "-i", "/Renders/shots/shot_%04d.png"};
        QCOMPARE(lines.input, input);
        Args palette = {"-xerror", "-reinit_filter", "0"};
        palette.insert(palette.end(), input.begin(), input.end());
        palette.insert(palette.end(), {"-vf",
                                       "scale=600:-1:flags=lanczos,palettegen=max_colors=256:"
                                       "stats_mode=full:reserve_transparent=0",
                                       "-y", "TMP/palette_20260105T093000.png"});
        QCOMPARE(lines.palette, palette);
        Args gif = {"-xerror", "-reinit_filter", "0"};
        gif.insert(gif.end(), input.begin(), input.end());
        gif.insert(gif.end(), {"-i", "TMP/palette_20260105T093000.png", "-lavfi",
                               "scale=600:-1:flags=lanczos [x]; [x][1:v] "
                               "paletteuse=dither=floyd_steinberg",
                               "-y", "TMP/unopt_20260105T093000.gif"});
        QCOMPARE(lines.gif, gif);
        QCOMPARE(lines.optimiser,
                 (Args{"-O3", "--lossy=30", "--loopcount", "-o",
                       "OUT/animation_20260105T093000.gif", "TMP/unopt_20260105T093000.gif"}));
    }

    void inputArgumentsByMode() {
        FrameSequence seq;
        seq.frameExtension = "png";
        const JobSettings s = JobSettings::clamped(15, 600, 256, 0, 0, 2);
        seq.inputMode = FrameInputMode::Staged;
        QCOMPARE(inputArguments(seq, "/Renders/shots", "TMP/loomfin_frames_20260105T093000", s),
                 (Args{"-start_number", "0", "-framerate", "15", "-i",
                       "TMP/loomfin_frames_20260105T093000/frame_%04d.png"}));
        seq.inputMode = FrameInputMode::Glob;
        QCOMPARE(inputArguments(seq, "/a b/frames", "", s),
                 (Args{"-framerate", "15", "-pattern_type", "glob", "-i", "/a b/frames/*.png"}));
        QCOMPARE(temporaryPaths("TMP", QStringLiteral("20260105T093000")).stagingFolder,
                 fs::path("TMP/loomfin_frames_20260105T093000"));
    }

    void settingsEnterCommandLinesTruncated_data() {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("colors");
        QTest::addColumn<double>("lossy");
        QTest::addColumn<qint64>("loop");
        QTest::addColumn<QStringList>("inPalette");
        QTest::addColumn<QStringList>("optimiserOptions");

        QTest::newRow("defaults") << 15.0 << 600.0 << 256.0 << 0.0 << qint64(0)
                                  << QStringList{"15", "scale=600:", "max_colors=256:"}
                                  << QStringList{"-O3", "--loopcount"};
        QTest::newRow("fractions truncate") << 12.9 << 640.7 << 255.9 << 0.0 << qint64(0)
                                            << QStringList{"12", "scale=640:", "max_colors=255:"}
                                            << QStringList{"-O3", "--loopcount", "--colors", "255"};
        QTest::newRow("lossy 0.5 is above 0")
            << 15.0 << 600.0 << 256.0 << 0.5 << qint64(0) << QStringList{}
            << QStringList{"-O3", "--lossy=0", "--loopcount"};
        QTest::newRow("lossy 200") << 15.0 << 600.0 << 256.0 << 200.0 << qint64(0) << QStringList{}
                                   << QStringList{"-O3", "--lossy=200", "--loopcount"};
        QTest::newRow("plays once") << 15.0 << 600.0 << 256.0 << 0.0 << qint64(1) << QStringList{}
                                    << QStringList{"-O3", "--no-loopcount"};
        QTest::newRow("loop 2") << 15.0 << 600.0 << 256.0 << 0.0 << qint64(2) << QStringList{}
                                << QStringList{"-O3", "--loopcount=1"};
        QTest::newRow("loop 5") << 15.0 << 600.0 << 256.0 << 0.0 << qint64(5) << QStringList{}
                                << QStringList{"-O3", "--loopcount=4"};
        QTest::newRow("two colours")
            << 15.0 << 600.0 << 2.0 << 0.0 << qint64(0) << QStringList{"max_colors=2:"}
            << QStringList{"-O3", "--loopcount", "--colors", "2"};
    }

    void settingsEnterCommandLinesTruncated() {
        QFETCH(double, fps);
        QFETCH(double, width);
        QFETCH(double, colors);
        QFETCH(double, lossy);
        QFETCH(qint64, loop);
        QFETCH(QStringList, inPalette);
        QFETCH(QStringList, optimiserOptions);

        FrameSequence seq;
        seq.frameExtension = "png";
        seq.inputMode = FrameInputMode::Glob;
        ConversionPaths paths = temporaryPaths("T", QStringLiteral("ts"));
        paths.optimiserOutput = "O/out.gif";
        const CommandLines lines = buildCommandLines(
            seq, "/f", JobSettings::clamped(fps, width, colors, lossy, loop, 1), paths);
        QString palette;
        for (const auto &a : lines.palette)
            palette += QString::fromStdString(a) + QLatin1Char(' ');
        for (const QString &piece : inPalette)
            QVERIFY2(palette.contains(piece), qPrintable(palette));
        QStringList optimiser;
        for (const auto &a : lines.optimiser)
            optimiser << QString::fromStdString(a);
        const QStringList tail{"-o", "O/out.gif", "T/unopt_ts.gif"};
        QCOMPARE(optimiser, optimiserOptions + tail);
    }

    void timestampIsUtc() {
        const QDateTime paris(QDate(2026, 1, 5), QTime(10, 30, 0), QTimeZone(3600));
        QCOMPARE(jobTimestamp(paris), QStringLiteral("20260105T093000"));
        QCOMPARE(jobTimestamp(paris).size(), 15);
    }

    void sizeTexts_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("one byte") << qint64(1) << "1 byte";
        QTest::newRow("bytes") << qint64(999) << "999 bytes";
        QTest::newRow("kilobytes, rounded") << qint64(12567) << "13 KB";
        QTest::newRow("megabytes") << qint64(2100000) << "2.1 MB";
        QTest::newRow("gigabytes") << qint64(3250000000) << "3.25 GB";
    }

    void sizeTexts() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(sizeText(bytes), text);
    }

    void publishingNeverReplacesAFile() {
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("publish"));
        writeText(out / "animation_T.gif", "mine");
        writeText(out / "animation_T-2.gif", "mine too");
        writeText(out / ".part", "new");
        QCOMPARE(publishOutput(out / ".part", out, QStringLiteral("T")), out / "animation_T-3.gif");
        QCOMPARE(entries(out),
                 (QStringList{"animation_T-2.gif", "animation_T-3.gif", "animation_T.gif"}));
        std::ifstream first(out / "animation_T.gif");
        std::string content;
        first >> content;
        QCOMPARE(content, std::string("mine"));
    }

    void jobsOfEveryMode_data() {
        QTest::addColumn<int>("mode"); // 0 numbered, 1 glob, 2 staged by skip, 3 files
        QTest::addColumn<qint64>("loop");
        QTest::addColumn<double>("colors");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("loopLine");

        QTest::newRow("numbered, loops forever")
            << 0 << qint64(0) << 256.0 << 12 << "Found 12 frames…"
            << "loop forever";
        QTest::newRow("glob, plays once") << 1 << qint64(1) << 64.0 << 3 << "Found 3 frames…"
                                          << "";
        QTest::newRow("staged by skip, three plays")
            << 2 << qint64(3) << 32.0 << 6 << "Using 6 of 12 frames (every 2nd)…"
            << "loop count 2";
        QTest::newRow("files") << 3 << qint64(2) << 256.0 << 3 << "Using 3 selected frames…"
                               << "loop count 1";
    }

    void jobsOfEveryMode() {
        QFETCH(int, mode);
        QFETCH(qint64, loop);
        QFETCH(double, colors);
        QFETCH(int, frames);
        QFETCH(QString, summary);
        QFETCH(QString, loopLine);

        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        JobRequest r = request(folder, settings(100, 30, loop, mode == 2 ? 2 : 1, colors), out);
        if (mode == 1) {
            TestEnvironment::makeFrames(folder, QStringLiteral("f"), 1, 3);
            fs::rename(folder / "f0001.png", folder / "a.png");
            fs::rename(folder / "f0002.png", folder / "b.png");
            fs::rename(folder / "f0003.png", folder / "c.png");
        } else if (mode == 3) {
            TestEnvironment::makeFrames(folder, QStringLiteral("pick_"), 1, 5);
            writeText(folder / "notes.pdf", "%PDF-1.4");
            r.files = std::vector<fs::path>{folder / "pick_0004.png", folder / "pick_0001.png",
                                            folder / "notes.pdf", folder / "pick_0002.png"};
        } else {
            TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 12);
            writeText(folder / "notes.txt", "not a frame");
        }

        RecordingReporter reporter;
        JobControl control;
        runConversion(r, reporter, control);

        QCOMPARE(reporter.failures, QStringList());
        QCOMPARE(reporter.stages, (QStringList{summary + QStringLiteral(" @0.05"),
                                               QStringLiteral("Generating colour palette… @0.2"),
                                               QStringLiteral("Creating GIF… @0.5"),
                                               QStringLiteral("Optimising with gifsicle… @0.8")}));
        QCOMPARE(reporter.outputs.size(), 1);
        const fs::path gif = localPathFromUrl(reporter.outputs.first());
        QVERIFY(
            QString::fromStdString(gif.filename().string())
                .contains(QRegularExpression(QStringLiteral("^animation_\\d{8}T\\d{6}\\.gif$"))));
        QCOMPARE(entries(out), QStringList{QString::fromStdString(gif.filename().string())});
        QCOMPARE(reporter.sizes.first(), sizeText(qint64(fs::file_size(gif))));

        const QString info = TestEnvironment::gifInfo(gif);
        QCOMPARE(TestEnvironment::gifFrameCount(gif), frames);
        QVERIFY2(info.contains(QStringLiteral("logical screen 100x75")), qPrintable(info));
        if (loopLine.isEmpty())
            QVERIFY2(!info.contains(QStringLiteral("loop")), qPrintable(info));
        else
            QVERIFY2(info.contains(loopLine), qPrintable(info));
        const QRegularExpression table(QStringLiteral("color table \\[(\\d+)\\]"));
        auto it = table.globalMatch(info);
        while (it.hasNext())
            QVERIFY(it.next().captured(1).toInt() <= int(colors));
        // The frames were only linked, never touched.
        QVERIFY(fs::exists(folder / (mode == 1   ? "a.png"
                                     : mode == 3 ? "pick_0001.png"
                                                 : "shot_0001.png")));
    }

    // Every tool failure: one failure text, nothing left behind (no
    // half-written GIF, no staging links, no temporary files).
    void toolFailures_data() {
        QTest::addColumn<QString>("tool"); // the fake one; empty: real tools, a broken frame
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("failure"); // a regular expression
        QTest::addColumn<int>("stages");

        QTest::newRow("undecodable frame") << ""
                                           << ""
                                           << "^FFmpeg palette generation failed: \\S" << 2;
        QTest::newRow("gif pass")
            << "ffmpeg"
            << "case \"$*\" in *paletteuse*) printf 'frame=  1\\rframe=  2\\r\\nx\\ny\\nz: "
               "broken pipe\\n' >&2; exit 3;; esac\nexec /usr/bin/ffmpeg \"$@\""
            << "^FFmpeg GIF creation failed: x \\| y \\| z: broken pipe$" << 3;
        QTest::newRow("optimiser writes half a file")
            << "gifsicle"
            << "while [ \"$1\" != -o ]; do shift; done; echo GIF89a > \"$2\"; echo 'gifsicle: "
               "disk full' >&2; exit 1"
            << "^gifsicle optimisation failed: gifsicle: disk full$" << 4;
        QTest::newRow("optimiser crashes")
            << "gifsicle"
            << "kill -9 $$"
            << "^gifsicle optimisation failed: Terminated by signal 9 \\(Killed\\)$" << 4;
        // An interpreter that does not exist: the tool cannot be started at all.
        QTest::newRow("optimiser cannot start")
            << "gifsicle"
            << "#!/nonexistent/interpreter"
            << "^gifsicle optimisation failed: Could not start .*gifsicle: No such file" << 4;
    }

    void toolFailures() {
        QFETCH(QString, tool);
        QFETCH(QString, script);
        QFETCH(QString, failure);
        QFETCH(int, stages);
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 4);
        if (tool.isEmpty())
            writeText(folder / "shot_0003.png", "this is not a PNG");
        else
            useFakeTool(tool.toStdString(), script.toStdString());

        RecordingReporter reporter;
        JobControl control;
        runConversion(request(folder, settings(100, 0, 0, 2), out), reporter, control);
        QCOMPARE(reporter.stages.size(), stages);
        QCOMPARE(reporter.failures.size(), 1);
        QVERIFY2(QRegularExpression(failure).match(reporter.failures.first()).hasMatch(),
                 qPrintable(reporter.failures.first()));
        QVERIFY(reporter.outputs.isEmpty());
        QCOMPARE(entries(out), QStringList());
    }

    void missingToolFailsBeforeLookingAtFrames() {
        // gifsicle found nowhere: only a fake ffmpeg exists, and PATH is empty.
        useFakeTool("ffmpeg", "exit 0");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "");
        RecordingReporter reporter;
        JobControl control;
        runConversion(request("/nonexistent/folder", settings(), "/nonexistent/out"), reporter,
                      control);
        qputenv("PATH", path);
        QCOMPARE(reporter.failures, QStringList{missingToolsMessage()});
        QVERIFY(reporter.stages.isEmpty());
        QVERIFY(missingToolsMessage().startsWith(
            QStringLiteral("Missing required tools: ffmpeg + gifsicle.\n")));
    }

    void noImages() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("empty"));
        writeText(folder / "readme.txt", "x");
        RecordingReporter reporter;
        JobControl control;
        runConversion(request(folder, settings(), folder / "out"), reporter, control);
        QCOMPARE(reporter.failures,
                 QStringList{QStringLiteral("No image files found in the dropped folder. "
                                            "Supported: PNG, JPG, TIFF, TGA, BMP.")});
        QVERIFY(reporter.stages.isEmpty());
        QVERIFY(!fs::exists(folder / "out"));
    }

    void jobsInTheSameSecondKeepTheirOwnFiles() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 4);
        RecordingReporter a, b;
        JobControl ca, cb;
        std::thread first([&] { runConversion(request(folder, settings(), out), a, ca); });
        std::thread second(
            [&] { runConversion(request(folder, settings(100, 0, 0, 2), out), b, cb); });
        first.join();
        second.join();
        QCOMPARE(a.failures + b.failures, QStringList());
        QCOMPARE(entries(out).size(), 2);
        QCOMPARE(TestEnvironment::gifFrameCount(localPathFromUrl(a.outputs.first())), 4);
        QCOMPARE(TestEnvironment::gifFrameCount(localPathFromUrl(b.outputs.first())), 2);
    }

    void cancellingStopsTheToolsAndCleansUp() {
        useFakeTool("ffmpeg", "trap '' TERM\nsleep 30");
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 3);
        RecordingReporter reporter;
        JobControl control;
        QElapsedTimer clock;
        clock.start();
        std::thread job([&] {
            runConversion(request(folder, settings(100, 0, 0, 2), out), reporter, control);
        });
        QTRY_COMPARE_WITH_TIMEOUT(reporter.stages.size(), 2, 10000);
        control.cancel();
        job.join();
        QVERIFY(clock.elapsed() < 15000);
        QVERIFY(reporter.failures.isEmpty());
        QVERIFY(reporter.outputs.isEmpty());
        QCOMPARE(entries(out), QStringList());
    }

    // The engine's side: entry points, one job at a time, settings snapshot,
    // stage order on the main thread, and the notifications a server receives.
    void engineRunsOneJobAtATimeOnASnapshot() {
        useFakeTool("ffmpeg", "sleep 1\nexec /usr/bin/ffmpeg \"$@\"");
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path other = TestEnvironment::freshFolder(QStringLiteral("other"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 5);
        TestEnvironment::makeFrames(other, QStringLiteral("other_"), 1, 5);

        ConverterEngine engine(std::make_unique<QSettings>(
            QString::fromStdString((TestEnvironment::root() / "engine.conf").string()),
            QSettings::IniFormat));
        engine.setNotificationsEnabled(false);
        engine.setOutputPath(urlFromLocalPath(out).toString() + QLatin1Char('/'));
        engine.setWidth(120);

        QList<double> progress;
        QStringList texts;
        connect(&engine, &ConverterEngine::progressChanged, this, [&] {
            progress << engine.progress();
            texts << engine.statusMessage();
        });
        QSignalSpy ended(&engine, &ConverterEngine::jobEnded);
        engine.startFolderJob(urlFromLocalPath(folder));
        QVERIFY(engine.isJobRunning());
        QVERIFY(!engine.isConverting());                // not until the first stage arrives
        engine.startFolderJob(urlFromLocalPath(other)); // ignored
        engine.startFilesJob({urlFromLocalPath(other / "other_0001.png")}); // ignored
        engine.setWidth(300); // too late for the accepted job
        QVERIFY(ended.wait(60000));
        QCOMPARE(ended.count(), 1);

        QCOMPARE(progress, (QList<double>{0.05, 0.2, 0.5, 0.8, 1.0}));
        QCOMPARE(texts.first(), QStringLiteral("Found 5 frames…"));
        QVERIFY(engine.statusMessage().startsWith(QStringLiteral("Done — animation_")));
        QVERIFY(!engine.isJobRunning());
        QCOMPARE(entries(out).size(), 1);
        const fs::path gif = localPathFromUrl(engine.lastOutputURL());
        QCOMPARE(TestEnvironment::gifFrameCount(gif), 5);
        QVERIFY(TestEnvironment::gifInfo(gif).contains(QStringLiteral("logical screen 120x90")));

        // The next job is accepted once the first has reported.
        engine.startFilesJob({urlFromLocalPath(other / "other_0002.png"),
                              urlFromLocalPath(other / "other_0001.png")});
        QVERIFY(ended.wait(60000));
        QVERIFY(engine.errorMessage().isNull());
        QCOMPARE(entries(out).size(), 2);
        QCOMPARE(TestEnvironment::gifFrameCount(localPathFromUrl(engine.lastOutputURL())), 2);
    }

    // A job started from the previous one's final report is a job of its own:
    // both end, each once, and the main thread never waits on the second.
    void jobStartedFromTheLastReport() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 3);
        ConverterEngine engine(std::make_unique<QSettings>(
            QString::fromStdString((TestEnvironment::root() / "again.conf").string()),
            QSettings::IniFormat));
        engine.setNotificationsEnabled(false);
        engine.setOutputPath(urlFromLocalPath(out).toString() + QLatin1Char('/'));
        int results = 0;
        connect(&engine, &ConverterEngine::lastOutputURLChanged, this, [&] {
            if (results++ == 0)
                engine.startFolderJob(urlFromLocalPath(folder));
        });
        QList<bool> runningAtEnd; // the first job ends while the second still runs
        connect(&engine, &ConverterEngine::jobEnded, this,
                [&] { runningAtEnd << engine.isJobRunning(); });
        engine.startFolderJob(urlFromLocalPath(folder));
        QTRY_COMPARE_WITH_TIMEOUT(runningAtEnd.size(), 2, 60000);
        QCOMPARE(runningAtEnd, (QList<bool>{true, false}));
        QCOMPARE(results, 2);
        QVERIFY(!engine.isJobRunning());
        QCOMPARE(entries(out).size(), 2);
    }

    void notificationsReachTheServer_data() {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain server") << false << "shot \"A&B\" <1>\\x.gif · 2.1 MB";
        QTest::newRow("markup server") << true << "shot \"A&amp;B\" &lt;1&gt;\\x.gif · 2.1 MB";
    }

    void notificationsReachTheServer() {
        QFETCH(bool, markup);
        QFETCH(QString, body);
        FakeNotificationServer server(markup);
        QVERIFY(server.isRegistered());
        ConverterEngine engine(std::make_unique<QSettings>(
            QString::fromStdString((TestEnvironment::root() / "notify.conf").string()),
            QSettings::IniFormat));
        QSignalSpy notified(&server, &FakeNotificationServer::notified);
        std::thread job([&] {
            engine.postCompletion(QUrl::fromLocalFile(QStringLiteral("/o/shot \"A&B\" <1>\\x.gif")),
                                  QStringLiteral("2.1 MB"));
            engine.postFailure(QStringLiteral("FFmpeg GIF creation failed: exit 1"));
        });
        job.join();
        QTRY_COMPARE_WITH_TIMEOUT(notified.count(), 2, 10000);
        const auto done = server.received.at(0);
        QCOMPARE(done.appName, QStringLiteral("Loomfin"));
        QCOMPARE(done.summary, QStringLiteral("Loomfin — Done ✓"));
        QCOMPARE(done.body, body);
        QCOMPARE(done.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.loomfin.Loomfin"));
        QCOMPARE(done.hints.value(QStringLiteral("category")).toString(),
                 QStringLiteral("transfer.complete"));
        const auto error = server.received.at(1);
        QCOMPARE(error.summary, QStringLiteral("Loomfin — Error"));
        QCOMPARE(error.body, QStringLiteral("FFmpeg GIF creation failed: exit 1"));
        QCOMPARE(error.hints.value(QStringLiteral("category")).toString(),
                 QStringLiteral("transfer.error"));
    }

    void noNotificationServerIsNoError() {
        ConverterEngine engine(std::make_unique<QSettings>(
            QString::fromStdString((TestEnvironment::root() / "quiet.conf").string()),
            QSettings::IniFormat));
        QSignalSpy idle(engine.notifier(), &DesktopNotifier::idle);
        engine.postFailure(QStringLiteral("boom"));
        QVERIFY(idle.wait(10000));
        QCOMPARE(engine.errorMessage(), QStringLiteral("boom"));
    }
};

QTEST_GUILESS_MAIN(TestConversionPipeline)
#include "tst_conversion_pipeline.moc"
