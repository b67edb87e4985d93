#include "FileUrls.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <fstream>

namespace fs = std::filesystem;

using TestEnvironment::entries;

namespace {

const QString loomfin = QStringLiteral(LOOMFIN_BINARY_DIR "/bin/loomfin");

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run convert(const QStringList &arguments,
            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(loomfin, QStringList{QStringLiteral("convert")} + arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString str(const fs::path &p) {
    return QString::fromStdString(p.string());
}

QString configFile() {
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
           QStringLiteral("/Loomfin/Loomfin.conf");
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersion() {
        const Run help = convert({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage: loomfin convert")));
        const Run version = convert({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("loomfin ")));
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
        QTest::newRow("missing value") << QStringList{".", "--skip"} << "needs a value";
        QTest::newRow("missing path") << QStringList{"/no/such/frames"} << "no such file or folder";
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = convert(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.err.contains(QStringLiteral("Usage: loomfin convert")));
        QVERIFY(run.out.isEmpty());
    }

    void dryRunPrintsTheCommandLines() {
        const fs::path shots = TestEnvironment::freshFolder(QStringLiteral("Renders")) / "shots";
        fs::create_directories(shots);
        for (int i = 1; i <= 120; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "shot_%04d.png", i);
            std::ofstream(shots / name) << "";
        }
        std::ofstream(shots / "notes.txt") << "";
        const fs::path out = shots.parent_path() / "OUT";
        const Run run = convert(
            {QStringLiteral("--dry-run"), QStringLiteral("--fps=15"), QStringLiteral("--width"),
             QStringLiteral("600"), QStringLiteral("--colors"), QStringLiteral("256"),
             QStringLiteral("--lossy"), QStringLiteral("30"), QStringLiteral("--loop"),
             QStringLiteral("0"), QStringLiteral("--output"), str(out), str(shots)});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("Found 120 frames…"));
        QCOMPARE(lines[1], QStringLiteral("Input mode: numbered"));
        const QString ts = QStringLiteral("(\\d{8}T\\d{6})");
        const QString tmp = QStringLiteral("\\S+/loomfin-XXXXXX");
        const QString input = QStringLiteral("-start_number 1 -framerate 15 -i ") +
                              QRegularExpression::escape(str(shots)) +
                              QStringLiteral("/shot_%04d.png");
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\S*ffmpeg -xerror -reinit_filter 0 ") + input +
                     QStringLiteral(" -vf scale=600:-1:flags=lanczos,palettegen=max_colors=256:"
                                    "stats_mode=full:reserve_transparent=0 -y ") +
                     tmp + QStringLiteral("/palette_") + ts + QStringLiteral("\\.png$"))
                     .match(lines[2])
                     .hasMatch(),
                 qPrintable(lines[2]));
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\S*ffmpeg -xerror -reinit_filter 0 ") + input +
                     QStringLiteral(" -i ") + tmp + QStringLiteral("/palette_") + ts +
                     QStringLiteral("\\.png -lavfi 'scale=600:-1:flags=lanczos \\[x\\]; "
                                    "\\[x\\]\\[1:v\\] paletteuse=dither=floyd_steinberg' -y ") +
                     tmp + QStringLiteral("/unopt_") + ts + QStringLiteral("\\.gif$"))
                     .match(lines[3])
                     .hasMatch(),
                 qPrintable(lines[3]));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\S*gifsicle -O3 --lossy=30 --loopcount -o ") +
                                    QRegularExpression::escape(str(out)) +
                                    QStringLiteral("/animation_") + ts + QStringLiteral("\\.gif ") +
                                    tmp + QStringLiteral("/unopt_") + ts +
                                    QStringLiteral("\\.gif$"))
                     .match(lines[4])
                     .hasMatch(),
                 qPrintable(lines[4]));
        // Nothing written, nothing run.
        QVERIFY(!fs::exists(out));
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }

    void convertsAFolderWithoutSavingOverrides() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 6);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));

        const Run run =
            convert({QStringLiteral("--width"), QStringLiteral("128"), QStringLiteral("--fps"),
                     QStringLiteral("30"), QStringLiteral("--loop=1"), QStringLiteral("--output"),
                     str(out), str(folder)});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
        QVERIFY2(run.err.contains(QStringLiteral("[  5%] Found 6 frames…\n")), qPrintable(run.err));
        QVERIFY(run.err.contains(QStringLiteral("[ 80%] Optimising with gifsicle…\n")));

        QSettings store(configFile(), QSettings::IniFormat);
        QCOMPARE(store.value(QStringLiteral("fps")).toDouble(), 15.0);
        QCOMPARE(store.value(QStringLiteral("width")).toDouble(), 600.0);
        QCOMPARE(store.value(QStringLiteral("loopCount")).toLongLong(), 0);
    }

    void filesAreRoutedLikeADrop() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("f_"), 1, 4);
        fs::create_directories(folder / "sub");
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));
        const Run run = convert({QStringLiteral("--output"), str(out), str(folder / "f_0003.png"),
                                 str(folder / "sub"), str(folder / "f_0001.png")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains(QStringLiteral("Using 2 selected frames…")));
        QCOMPARE(TestEnvironment::gifFrameCount(run.out.split(QLatin1Char('\n'))[1].toStdString()),
                 2);
    }

    void failureGoesToStandardError() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("empty"));
        const Run run = convert({str(folder)});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.endsWith(QStringLiteral(
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.\n")));
    }

    void terminatingStopsTheJobAndCleansUp() {
        const fs::path fake = TestEnvironment::freshFolder(QStringLiteral("fakebin"));
        {
            std::ofstream(fake / "ffmpeg") << "#!/bin/sh\nexec sleep 60\n";
            fs::permissions(fake / "ffmpeg", fs::perms::owner_all);
        }
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("frames"));
        TestEnvironment::makeFrames(folder, QStringLiteral("shot_"), 1, 4);
        const fs::path out = TestEnvironment::freshFolder(QStringLiteral("out"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), str(fake) + QStringLiteral(":/usr/bin:/bin"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(loomfin, {QStringLiteral("convert"), QStringLiteral("--skip=2"),
                                QStringLiteral("--output"), str(out), str(folder)});
        QString err;
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(process.readAllStandardError()))
                                     .contains(QStringLiteral("Generating colour palette…")),
                                 20000);
        process.terminate();
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(QString::fromUtf8(process.readAllStandardError())
                    .contains(QStringLiteral("Cancelled.")));
        QCOMPARE(entries(out), QStringList());
        QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
