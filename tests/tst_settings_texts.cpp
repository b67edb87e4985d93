#include "SettingsSummary.h"
#include "SettingsTexts.h"

#include <QTest>

#include <cstdio>
#include <limits>

using namespace Qt::StringLiterals;

// Settings sheet and footer text rules, for values the controls cannot reach.
class SettingsTextsTest : public QObject {
    Q_OBJECT
    const SettingsTexts texts;

private slots:
    void storeOnlyValues() {
        // Loop counts beyond the stepper: no grouping, sign kept.
        QCOMPARE((QStringList{texts.loopLabel(1234567), texts.loopHint(1234567),
                              texts.loopLabel(-1), texts.loopHint(-1)}),
                 (QStringList{u"1234567×"_s, u"GIF plays 1234567 times then stops."_s, u"-1×"_s,
                              u"GIF plays -1 times then stops."_s}));
        // Frame skips no option shows, including ones no int can hold.
        for (qint64 skip : {qint64(0), qint64(-3), qint64(5), std::numeric_limits<qint64>::max(),
                            std::numeric_limits<qint64>::min()})
            QCOMPARE(texts.frameSkipIndex(skip), -1);
        // Widths: toward zero, and readable beyond 64 bits.
        QCOMPARE((QStringList{texts.widthFieldText(-12.7), texts.widthFieldText(1e30)}),
                 (QStringList{u"-12"_s, u"1000000000000000019884624838656"_s}));
    }

    // The readout shows what printf "%.0f" shows.
    void readout_data() {
        QTest::addColumn<double>("value");
        for (double v : {15.0, 14.5, 15.5, -0.4, 1e300, qInf(), -qInf(), qQNaN()})
            QTest::addRow("%g", v) << v;
    }
    void readout() {
        QFETCH(double, value);
        char printed[400];
        std::snprintf(printed, sizeof printed, "%.0f", value);
        QCOMPARE(texts.readout(value), QString::fromLatin1(printed));
    }

    void summary_data() {
        QTest::addColumn<QList<double>>("settings"); // fps, width, colours, skip, loop
        QTest::addColumn<QString>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("skip 2 shows, one loop")
            << QList<double>{15, 600, 256, 2, 1}
            << u"15 fps · 600px · 256 colors · skip 2× · 1× loop"_s;
        QTest::newRow("skip 0 and negative hidden")
            << QList<double>{15, 600, 256, -4, 0} << u"15 fps · 600px · 256 colors · ∞ loop"_s;
        QTest::newRow("truncated, not rounded")
            << QList<double>{12.9, 640.9, 2.99, 3, 2}
            << u"12 fps · 640px · 2 colors · skip 3× · 2× loop"_s;
        QTest::newRow("negatives")
            << QList<double>{-5.7, -0.5, 2, 1, -1} << u"-5 fps · 0px · 2 colors · -1× loop"_s;
        QTest::newRow("not finite")
            << QList<double>{inf, -inf, qQNaN(), 1, 0} << u"∞ fps · -∞px · NaN colors · ∞ loop"_s;
        QTest::newRow("beyond the integer range")
            << QList<double>{1e300, 9.3e18, 256, 1, 0}
            << u"%1 fps · 9300000000000000000px · 256 colors · ∞ loop"_s.arg(
                   QString::number(1e300, 'f', 0));
    }
    void summary() {
        QFETCH(QList<double>, settings);
        QFETCH(QString, expected);
        QCOMPARE(SettingsSummary().text(settings[0], settings[1], settings[2], qint64(settings[3]),
                                        qint64(settings[4])),
                 expected);
        const qint64 max = std::numeric_limits<qint64>::max();
        QCOMPARE(SettingsSummary().text(1, 1, 1, max, std::numeric_limits<qint64>::min()),
                 u"1 fps · 1px · 1 colors · skip %1× · %2× loop"_s.arg(max).arg(
                     std::numeric_limits<qint64>::min()));
    }

    void outputFolder_data() {
        QTest::addColumn<QUrl>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("path");
        QTest::newRow("slash kept")
            << QUrl(u"file:///home/u/Renders/"_s) << u"file:///home/u/Renders/"_s << u"Renders"_s
            << u"/home/u/Renders"_s;
        QTest::newRow("escaped") << QUrl::fromLocalFile(u"/home/u/My Renders #2"_s)
                                 << u"file:///home/u/My%20Renders%20%232/"_s << u"My Renders #2"_s
                                 << u"/home/u/My Renders #2"_s;
        QTest::newRow("root") << QUrl(u"file:///"_s) << u"file:///"_s << u"/"_s << u"/"_s;
        QTest::newRow("none") << QUrl() << QString() << QString() << QString();
        QTest::newRow("not local") << QUrl(u"https://example.org/x/"_s) << QString() << u"x"_s
                                   << u"https://example.org/x/"_s;
    }
    void outputFolder() {
        QFETCH(QUrl, chosen);
        QFETCH(QString, stored);
        QFETCH(QString, title);
        QFETCH(QString, path);
        const QString kept = texts.outputPathForFolder(chosen);
        QCOMPARE(kept, stored);
        QCOMPARE(texts.outputFolderTitle(chosen), title);
        QCOMPARE(texts.outputFolderPath(chosen), path);
        // What is stored reads back as the same folder, with the same title.
        if (!kept.isEmpty())
            QCOMPARE(texts.outputFolderTitle(QUrl(kept, QUrl::StrictMode)), title);
    }
};

QTEST_GUILESS_MAIN(SettingsTextsTest)
#include "tst_settings_texts.moc"
