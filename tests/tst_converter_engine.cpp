#include "ConverterEngine.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>
#include <thread>

namespace {

const QStringList allKeys = {QStringLiteral("fps"),       QStringLiteral("width"),
                             QStringLiteral("maxColors"), QStringLiteral("lossy"),
                             QStringLiteral("loopCount"), QStringLiteral("frameSkip"),
                             QStringLiteral("outputPath")};

QString storePath() {
    static int n = 0;
    return QString::fromStdString((TestEnvironment::root() / "stores").string()) +
           QStringLiteral("/store-%1.conf").arg(++n);
}

std::unique_ptr<QSettings> store(const QString &path) {
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// Writes raw text values, as a hand-edited file would hold them.
void writeRaw(const QString &path, const QString &key, const QString &value) {
    QSettings s(path, QSettings::IniFormat);
    s.setValue(key, value);
    s.sync();
}

QVariant readBack(const QString &path, const QString &key) {
    QSettings s(path, QSettings::IniFormat);
    return s.value(key);
}

bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

class TestConverterEngine : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreLoadsDefaultsAndWritesThemBack() {
        const QString path = storePath();
        ConverterEngine engine(store(path));
        QCOMPARE(engine.fps(), 15.0);
        QCOMPARE(engine.width(), 600.0);
        QCOMPARE(engine.maxColors(), 256.0);
        QCOMPARE(engine.lossy(), 0.0);
        QCOMPARE(engine.loopCount(), 0);
        QCOMPARE(engine.frameSkip(), 1);
        QCOMPARE(engine.outputPath(), QString());
        QVERIFY(!engine.isConverting());
        QCOMPARE(engine.progress(), 0.0);
        QVERIFY(engine.statusMessage().isEmpty());
        QVERIFY(engine.lastOutputURL().isEmpty());
        QVERIFY(engine.errorMessage().isNull());

        // A fresh reader of the file (not the engine's cache) sees all seven keys.
        QSettings file(path, QSettings::IniFormat);
        QCOMPARE(file.allKeys().size(), allKeys.size());
        for (const QString &key : allKeys)
            QVERIFY2(file.contains(key), qPrintable(key));
        QCOMPARE(file.value(QStringLiteral("fps")).toDouble(), 15.0);
        QCOMPARE(file.value(QStringLiteral("maxColors")).toDouble(), 256.0);
        QCOMPARE(file.value(QStringLiteral("frameSkip")).toLongLong(), 1);
        QCOMPARE(file.value(QStringLiteral("outputPath")).toString(), QString());
    }

    // A store that needs no repair is read, never rewritten (a large
    // hand-edited one would otherwise cost seconds at every start).
    void completeStoreIsNotRewritten() {
        const QString path = storePath();
        { ConverterEngine first(store(path)); }
        const auto before = std::filesystem::last_write_time(path.toStdString());
        ConverterEngine engine(store(path));
        QCOMPARE(std::filesystem::last_write_time(path.toStdString()), before);
        QCOMPARE(engine.fps(), 15.0);
    }

    void loadRules_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("loaded");
        QTest::addColumn<double>("jobValue");
        QTest::addColumn<QString>("storedAfter");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("fps 0 is the default") << "fps"
                                              << "0" << 15.0 << 15.0 << "15";
        QTest::newRow("fps -5 kept, job 1") << "fps"
                                            << "-5" << -5.0 << 1.0 << "-5";
        QTest::newRow("fps 12.5 kept") << "fps"
                                       << "12.5" << 12.5 << 12.5 << "12.5";
        QTest::newRow("fps text reads 0") << "fps"
                                          << "abc" << 15.0 << 15.0 << "15";
        QTest::newRow("fps nan kept, job 1") << "fps"
                                             << "nan" << nan << 1.0 << "nan";
        QTest::newRow("width 5000 kept, job 1200") << "width"
                                                   << "5000" << 5000.0 << 1200.0 << "5000";
        QTest::newRow("width inf, job 1200") << "width"
                                             << "inf" << inf << 1200.0 << "inf";
        QTest::newRow("width 1e400 is inf") << "width"
                                            << "1e400" << inf << 1200.0 << "inf";
        QTest::newRow("maxColors 1 becomes 2") << "maxColors"
                                               << "1" << 2.0 << 2.0 << "2";
        QTest::newRow("maxColors 300 becomes 256") << "maxColors"
                                                   << "300" << 256.0 << 256.0 << "256";
        QTest::newRow("maxColors nan kept, job 2") << "maxColors"
                                                   << "nan" << nan << 2.0 << "nan";
        QTest::newRow("lossy -4 becomes 0") << "lossy"
                                            << "-4" << 0.0 << 0.0 << "0";
        QTest::newRow("lossy 250 becomes 200") << "lossy"
                                               << "250" << 200.0 << 200.0 << "200";
        QTest::newRow("lossy nan becomes 0") << "lossy"
                                             << "nan" << 0.0 << 0.0 << "0";
        QTest::newRow("loopCount -1 kept, job 0") << "loopCount"
                                                  << "-1" << -1.0 << 0.0 << "-1";
        QTest::newRow("loopCount 1.9 reads 1") << "loopCount"
                                               << "1.9" << 1.0 << 1.0 << "1";
        // gifsicle's loop count wraps above 65535 (65537 would loop forever).
        QTest::newRow("loopCount huge saturates, job 65535")
            << "loopCount"
            << "1e300" << double(std::numeric_limits<qint64>::max()) << 65535.0
            << "9223372036854775807";
        QTest::newRow("frameSkip 0 becomes 1") << "frameSkip"
                                               << "0" << 1.0 << 1.0 << "1";
        QTest::newRow("frameSkip -3 becomes 1") << "frameSkip"
                                                << "-3" << 1.0 << 1.0 << "1";
        QTest::newRow("frameSkip nan reads 0, becomes 1") << "frameSkip"
                                                          << "nan" << 1.0 << 1.0 << "1";
    }

    void loadRules() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(double, loaded);
        QFETCH(double, jobValue);
        QFETCH(QString, storedAfter);

        const QString path = storePath();
        writeRaw(path, key, stored);
        ConverterEngine engine(store(path));
        const QVariant property = engine.property(key.toLatin1().constData());
        QVERIFY2(same(property.toDouble(), loaded),
                 qPrintable(QStringLiteral("loaded %1").arg(property.toDouble())));

        const JobSettings job = engine.jobSettings();
        const double fromJob = key == QLatin1String("fps")         ? job.fps
                               : key == QLatin1String("width")     ? job.width
                               : key == QLatin1String("maxColors") ? job.maxColors
                               : key == QLatin1String("lossy")     ? job.lossy
                               : key == QLatin1String("loopCount") ? double(job.loopCount)
                                                                   : double(job.frameSkip);
        QCOMPARE(fromJob, jobValue);
        QVERIFY(!std::isnan(job.fps) && !std::isnan(job.width) && !std::isnan(job.maxColors) &&
                !std::isnan(job.lossy));
        QCOMPARE(readBack(path, key).toString(), storedAfter);
    }

    void correctionFiresTwoSignals_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<double>("written");
        QTest::addColumn<double>("kept");
        QTest::addColumn<int>("willChange");

        QTest::newRow("maxColors 300") << QByteArray("maxColors") << 300.0 << 256.0 << 2;
        QTest::newRow("maxColors 1") << QByteArray("maxColors") << 1.0 << 2.0 << 2;
        QTest::newRow("maxColors 128") << QByteArray("maxColors") << 128.0 << 128.0 << 1;
        QTest::newRow("lossy -4") << QByteArray("lossy") << -4.0 << 0.0 << 2;
        QTest::newRow("lossy 250") << QByteArray("lossy") << 250.0 << 200.0 << 2;
        QTest::newRow("lossy 30") << QByteArray("lossy") << 30.0 << 30.0 << 1;
        QTest::newRow("maxColors nan kept") << QByteArray("maxColors") << qQNaN() << qQNaN() << 1;
        QTest::newRow("fps 99 not clamped") << QByteArray("fps") << 99.0 << 99.0 << 1;
        QTest::newRow("width 0 not clamped") << QByteArray("width") << 0.0 << 0.0 << 1;
    }

    void correctionFiresTwoSignals() {
        QFETCH(QByteArray, property);
        QFETCH(double, written);
        QFETCH(double, kept);
        QFETCH(int, willChange);

        const QString path = storePath();
        ConverterEngine engine(store(path));
        QSignalSpy spy(&engine, &ConverterEngine::objectWillChange);
        QVERIFY(engine.setProperty(property.constData(), written));
        QCOMPARE(spy.count(), willChange);
        QCOMPARE(engine.property(property.constData()).toDouble(), kept);
        QCOMPARE(readBack(path, QString::fromLatin1(property)).toDouble(), kept);
    }

    void everyWriteSignalsEvenUnchanged() {
        ConverterEngine engine(store(storePath()));
        QSignalSpy will(&engine, &ConverterEngine::objectWillChange);
        QSignalSpy fpsChanged(&engine, &ConverterEngine::fpsChanged);
        engine.setFps(15); // unchanged
        engine.setFps(20);
        engine.setStatusMessage(QString());
        engine.setIsConverting(false);
        engine.setLoopCount(3);
        engine.setOutputPath(QStringLiteral("file:///x/"));
        QCOMPARE(will.count(), 6);
        QCOMPARE(fpsChanged.count(), 1);
    }

    void integerSettingsStoredAsWritten() {
        const QString path = storePath();
        ConverterEngine engine(store(path));
        engine.setFrameSkip(0);
        engine.setLoopCount(-1);
        QCOMPARE(engine.frameSkip(), 0);
        QCOMPARE(readBack(path, QStringLiteral("frameSkip")).toLongLong(), 0);
        QCOMPARE(engine.jobSettings().frameSkip, 1);
        QCOMPARE(engine.jobSettings().loopCount, 0);
        // A second engine over the same store repairs what the first kept.
        ConverterEngine again(store(path));
        QCOMPARE(again.frameSkip(), 1);
        QCOMPARE(again.loopCount(), -1);
    }

    void jobSettingsClamps_data() {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("maxColors");
        QTest::addColumn<double>("lossy");
        QTest::addColumn<qint64>("loop");
        QTest::addColumn<qint64>("skip");
        QTest::addColumn<QList<double>>("expected");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("in range") << 15.0 << 600.0 << 256.0 << 30.0 << qint64(2) << qint64(3)
                                  << QList<double>{15, 600, 256, 30, 2, 3};
        QTest::newRow("below") << 0.0 << 5.0 << 1.0 << -1.0 << qint64(-4) << qint64(-2)
                               << QList<double>{1, 100, 2, 0, 0, 1};
        QTest::newRow("above") << 61.0 << 5000.0 << 300.0 << 250.0 << qint64(99) << qint64(50)
                               << QList<double>{60, 1200, 256, 200, 99, 50};
        QTest::newRow("nan to lower bound") << nan << nan << nan << nan << qint64(0) << qint64(1)
                                            << QList<double>{1, 100, 2, 0, 0, 1};
        QTest::newRow("infinities") << inf << -inf << inf << -inf << qint64(0) << qint64(1)
                                    << QList<double>{60, 100, 256, 0, 0, 1};
    }

    void jobSettingsClamps() {
        QFETCH(double, fps);
        QFETCH(double, width);
        QFETCH(double, maxColors);
        QFETCH(double, lossy);
        QFETCH(qint64, loop);
        QFETCH(qint64, skip);
        QFETCH(QList<double>, expected);
        const JobSettings s = JobSettings::clamped(fps, width, maxColors, lossy, loop, skip);
        QCOMPARE((QList<double>{s.fps, s.width, s.maxColors, s.lossy, double(s.loopCount),
                                double(s.frameSkip)}),
                 expected);
    }

    void takingJobSettingsLeavesTheEngineAlone() {
        const QString path = storePath();
        writeRaw(path, QStringLiteral("fps"), QStringLiteral("nan"));
        ConverterEngine engine(store(path));
        engine.setWidth(5000);
        QSignalSpy will(&engine, &ConverterEngine::objectWillChange);
        const JobSettings s = engine.jobSettings();
        QCOMPARE(s.width, 1200.0);
        QCOMPARE(s.fps, 1.0);
        QCOMPARE(will.count(), 0);
        QCOMPARE(engine.width(), 5000.0);
        QVERIFY(std::isnan(engine.fps()));
        QCOMPARE(readBack(path, QStringLiteral("fps")).toString(), QStringLiteral("nan"));
    }

    void outputFolder_data() {
        QTest::addColumn<QString>("outputPath");
        QTest::addColumn<QString>("expectedPath");

        const QString fallback = QDir::homePath() + QStringLiteral("/Documents/GIF_Output");
        QTest::newRow("empty is the default") << QString() << fallback;
        QTest::newRow("folder URL") << "file:///srv/renders/out/"
                                    << "/srv/renders/out/";
        QTest::newRow("escaped URL") << "file:///srv/my%20renders/"
                                     << "/srv/my renders/";
        QTest::newRow("tilde is not expanded") << "file:///srv/~/gifs/"
                                               << "/srv/~/gifs/";
        QTest::newRow("plain absolute path") << "/srv/plain"
                                             << "/srv/plain";
        QTest::newRow("relative text is not a folder") << "renders" << fallback;
        QTest::newRow("another scheme") << "https://example.org/x/" << fallback;
        QTest::newRow("unparsable") << "file://[::1" << fallback;
    }

    void outputFolder() {
        QFETCH(QString, outputPath);
        QFETCH(QString, expectedPath);
        ConverterEngine engine(store(storePath()));
        engine.setOutputPath(outputPath);
        QCOMPARE(engine.outputFolderURL().toLocalFile(), expectedPath);
        QCOMPARE(engine.outputPath(), outputPath.isNull() ? QString() : outputPath);
    }

    void reportsApplyInOrderOnTheMainThread() {
        ConverterEngine engine(store(storePath()));
        engine.setNotificationsEnabled(false);
        engine.setLastOutputURL(QUrl(QStringLiteral("file:///old/earlier.gif")));

        QStringList seen;
        const auto record = [&](const char *what) {
            QCOMPARE(QThread::currentThread(), engine.thread());
            seen << QString::fromLatin1(what);
        };
        connect(&engine, &ConverterEngine::isConvertingChanged, this,
                [&] { record(engine.isConverting() ? "converting" : "idle"); });
        connect(&engine, &ConverterEngine::statusMessageChanged, this,
                [&] { seen << engine.statusMessage(); });
        connect(&engine, &ConverterEngine::progressChanged, this,
                [&] { seen << QString::number(engine.progress()); });
        connect(&engine, &ConverterEngine::errorMessageChanged, this,
                [&] { seen << QStringLiteral("error=") + engine.errorMessage(); });

        engine.setErrorMessage(QStringLiteral("earlier failure"));
        seen.clear();
        std::thread job([&] {
            engine.postStatus(QStringLiteral("Found 3 frames…"), 0.05);
            engine.postStatus(QStringLiteral("Creating GIF…"), 0.5);
            engine.postFailure(QStringLiteral("boom"));
        });
        job.join();
        QVERIFY(seen.isEmpty()); // nothing applied on the job's thread
        QTRY_COMPARE(seen.size(), 10);
        QCOMPARE(seen, (QStringList{QStringLiteral("converting"), QStringLiteral("Found 3 frames…"),
                                    QStringLiteral("0.05"), QStringLiteral("error="),
                                    QStringLiteral("Creating GIF…"), QStringLiteral("0.5"),
                                    QStringLiteral("idle"), QStringLiteral("0"),
                                    QStringLiteral("error=boom"), QString()}));
        // A failure leaves an earlier result alone.
        QCOMPARE(engine.lastOutputURL(), QUrl(QStringLiteral("file:///old/earlier.gif")));
        QCOMPARE(engine.statusMessage(), QString());
    }

    void completionTexts_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("status");
        QTest::newRow("sized") << "file:///out/clip.gif"
                               << "2.1 MB"
                               << "Done — clip.gif (2.1 MB)";
        QTest::newRow("unknown") << "file:///out/clip.gif"
                                 << "unknown size"
                                 << "Done — clip.gif (unknown size)";
        QTest::newRow("escaped name") << "file:///out/a%20b.gif"
                                      << "12 KB"
                                      << "Done — a b.gif (12 KB)";
    }

    void completionTexts() {
        QFETCH(QString, file);
        QFETCH(QString, size);
        QFETCH(QString, status);
        ConverterEngine engine(store(storePath()));
        engine.setNotificationsEnabled(false);
        engine.setErrorMessage(QStringLiteral("old"));
        engine.postCompletion(QUrl(file), size);
        QTRY_VERIFY(!engine.lastOutputURL().isEmpty());
        QCOMPARE(engine.statusMessage(), status);
        QCOMPARE(engine.progress(), 1.0);
        QVERIFY(!engine.isConverting());
        QVERIFY(engine.errorMessage().isNull());
        QCOMPARE(engine.lastOutputURL(), QUrl(file));
    }
};

QTEST_GUILESS_MAIN(TestConverterEngine)
#include "tst_converter_engine.moc"
