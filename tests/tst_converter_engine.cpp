// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ConverterEngine.h"
#include "TestEnvironment.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

QString freshStore() {
    static int n = 0;
    return QString::fromStdString(TestEnvironment::root() / "stores") +
           u"/store-%1.conf"_s.arg(++n);
}

std::unique_ptr<QSettings> store(const QString &path) {
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// As a fresh reader of the file sees it, not the engine's cache.
QString stored(const QString &path, const QByteArray &key) {
    return QSettings(path, QSettings::IniFormat).value(QString::fromLatin1(key)).toString();
}

} // namespace

class TestConverterEngine : public QObject {
    Q_OBJECT

private slots:
    // An empty store gets every default written back, once: a complete store
    // is read, never rewritten (a large hand-edited one would cost seconds),
    // and nor is one holding anything else, only to add the missing keys.
    void emptyStoreGetsTheDefaultsOnce() {
        const QString path = freshStore(), junk = freshStore();
        { ConverterEngine first(store(path)); }
        QSettings(junk, QSettings::IniFormat).setValue(u"junk"_s, u"x"_s);
        const auto written = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
        for (const QString &file : {path, junk}) // no write can match it
            std::filesystem::last_write_time(file.toStdString(), written);
        ConverterEngine engine(store(path));
        QCOMPARE(ConverterEngine(store(junk)).maxColors(), 256.0);
        QCOMPARE(std::filesystem::last_write_time(path.toStdString()), written);
        QCOMPARE(std::filesystem::last_write_time(junk.toStdString()), written);
        QStringList loadedAndStored;
        for (const char *key :
             {"fps", "width", "maxColors", "lossy", "loopCount", "frameSkip", "outputPath"})
            loadedAndStored << engine.property(key).toString() + u'|' + stored(path, key);
        QCOMPARE(loadedAndStored, (QStringList{u"15|15"_s, u"600|600"_s, u"256|256"_s, u"0|0"_s,
                                               u"0|0"_s, u"1|1"_s, u"|"_s}));
        QCOMPARE(QSettings(path, QSettings::IniFormat).allKeys().size(), 7);
    }

    // A value as the store loads it (a repair is written back at once), then
    // written: every write fires objectWillChange, changed or not, and a value
    // the store may not hold is corrected by a second write and signal.
    void storeRules_data() {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("raw"); // in the store, as a hand edit leaves it; then written
        QTest::addColumn<double>("loaded");
        QTest::addColumn<double>("kept");
        QTest::addColumn<int>("willChange");
        const auto row = [](const char *key, const char *raw, double loaded, double kept, int n) {
            QTest::addRow("%s %s", key, raw)
                << QByteArray(key) << QString::fromLatin1(raw) << loaded << kept << n;
        };
        row("fps", "0", 15, 0, 1);   // a stored 0 cannot be told from a missing key
        row("fps", "99", 99, 99, 1); // only a job clamps it
        row("fps", "nan", qQNaN(), qQNaN(), 1);
        row("width", "1e400", qInf(), qInf(), 1);
        row("maxColors", "300", 256, 256, 2);
        row("maxColors", "256", 256, 256, 1); // unchanged, still signalled
        row("maxColors", "nan", qQNaN(), qQNaN(), 1);
        row("maxColors", "-5", 2, 2, 2); // clamped, not taken as missing
        row("lossy", "250", 200, 200, 2);
        row("lossy", "nan", 0, 0, 2);
        row("loopCount", "-1", -1, -1, 1);
        row("frameSkip", "-3", 1, -3, 1);
    }
    void storeRules() {
        QFETCH(QByteArray, key);
        QFETCH(QString, raw);
        QFETCH(double, loaded);
        QFETCH(double, kept);
        QFETCH(int, willChange);
        const QString path = freshStore();
        QSettings(path, QSettings::IniFormat).setValue(QString::fromLatin1(key), raw);
        ConverterEngine engine(store(path));
        QCOMPARE(engine.property(key).toDouble(), loaded);
        QCOMPARE(stored(path, key).toDouble(), loaded);
        QSignalSpy spy(&engine, &ConverterEngine::objectWillChange);
        QVERIFY(engine.setProperty(key, raw.toDouble()));
        QCOMPARE(spy.count(), willChange);
        QCOMPARE(engine.property(key).toDouble(), kept);
        QCOMPARE(stored(path, key).toDouble(), kept);
    }

    void jobSettingsClamps() {
        // fps, width, colours, lossy, loop count, frame skip: as set, then as a job gets them.
        const std::pair<QList<double>, QList<double>> rows[] = {
            {{15, 600, 256, 30, 2, 3}, {15, 600, 256, 30, 2, 3}},
            {{0, 5, 1, -1, -4, -2}, {1, 100, 2, 0, 0, 1}},
            // gifsicle's loop count wraps above 65535 (65537 would loop forever).
            {{61, 5000, 300, 250, 65537, 50}, {60, 1200, 256, 200, 65535, 50}},
            {{qQNaN(), qQNaN(), qQNaN(), qQNaN(), 0, 1}, {1, 100, 2, 0, 0, 1}},
            {{qInf(), -qInf(), qInf(), -qInf(), 0, 1}, {60, 100, 256, 0, 0, 1}},
        };
        for (const auto &[set, job] : rows) {
            const JobSettings s = JobSettings::clamped(set[0], set[1], set[2], set[3],
                                                       qint64(set[4]), qint64(set[5]));
            QCOMPARE((QList<double>{s.fps, s.width, s.maxColors, s.lossy, double(s.loopCount),
                                    double(s.frameSkip)}),
                     job);
        }
    }

    // Only a local absolute folder is taken; anything else is the default
    // folder, and a stored value stays as it is until the user chooses.
    void outputFolder() {
        const QString fallback = qEnvironmentVariable("HOME") + u"/Documents/GIF_Output"_s;
        QStringList folders;
        for (const QString &outputPath :
             {QString(), u"renders"_s, u"https://example.org/x/"_s, u"file://host/x"_s, u"file:x"_s,
              u"file:///srv/my%20gifs/"_s, u"/srv/plain"_s}) {
            const QString path = freshStore();
            QSettings(path, QSettings::IniFormat).setValue(u"outputPath"_s, outputPath);
            folders << ConverterEngine(store(path)).outputFolderURL().toLocalFile();
            QCOMPARE(stored(path, "outputPath"), outputPath);
        }
        QCOMPARE(folders, (QStringList{fallback, fallback, fallback, fallback, fallback,
                                       u"/srv/my gifs/"_s, u"/srv/plain"_s}));
    }

    // Reports from the job's thread apply in order, on the main thread; a
    // failure leaves an earlier result alone, a completion replaces it.
    void reportsApplyInOrderOnTheMainThread() {
        ConverterEngine engine(store(freshStore()));
        engine.setNotificationsEnabled(false);
        engine.setLastOutputURL(QUrl(u"file:///old/earlier.gif"_s));
        engine.setErrorMessage(u"earlier failure"_s);
        QStringList seen;
        const auto record = [&](void (ConverterEngine::*changed)(), const char *property) {
            connect(&engine, changed, this,
                    [&, property] { seen << engine.property(property).toString(); });
        };
        record(&ConverterEngine::isConvertingChanged, "isConverting");
        record(&ConverterEngine::statusMessageChanged, "statusMessage");
        record(&ConverterEngine::progressChanged, "progress");
        record(&ConverterEngine::errorMessageChanged, "errorMessage");
        record(&ConverterEngine::lastOutputURLChanged, "lastOutputURL");
        std::thread job([&] {
            engine.postStatus(u"Found 3 frames…"_s, 0.05);
            engine.postStatus(u"Creating GIF…"_s, 0.5);
            engine.postFailure(u"boom"_s);
            engine.postCompletion(QUrl(u"file:///out/a%20b.gif"_s), u"12 KB"_s);
        });
        job.join();
        QVERIFY(seen.isEmpty()); // nothing applied on the job's thread: all on this one
        QTRY_COMPARE(seen.size(), 14);
        QCOMPARE(seen, (QStringList{u"true"_s, u"Found 3 frames…"_s, u"0.05"_s, QString(),
                                    u"Creating GIF…"_s, u"0.5"_s, u"false"_s, u"0"_s, u"boom"_s,
                                    QString(), u"1"_s, u"Done — a b.gif (12 KB)"_s,
                                    u"file:///out/a b.gif"_s, QString()}));
    }
};

QTEST_GUILESS_MAIN(TestConverterEngine)
#include "tst_converter_engine.moc"
