#include "SettingsTexts.h"

#include <QTest>

#include <limits>

using namespace SettingsTexts;
using namespace Qt::StringLiterals;

// Settings sheet text rules for values its controls cannot reach.
class SettingsTextsTest : public QObject {
    Q_OBJECT

private slots:
    void storeOnlyValues() {
        // Loop counts beyond the stepper: no grouping, sign kept.
        QCOMPARE((QStringList{loopLabel(1234567), loopHint(1234567), loopLabel(-1), loopHint(-1)}),
                 (QStringList{u"1234567×"_s, u"GIF plays 1234567 times then stops."_s, u"-1×"_s,
                              u"GIF plays -1 times then stops."_s}));
        // Frame skips no option shows, including ones no int can hold.
        for (qint64 skip : {qint64(0), qint64(-3), qint64(5), std::numeric_limits<qint64>::max(),
                            std::numeric_limits<qint64>::min()})
            QCOMPARE(frameSkipIndex(skip), -1);
        // Widths: toward zero, and readable beyond 64 bits.
        QCOMPARE((QStringList{widthFieldText(-12.7), widthFieldText(1e30)}),
                 (QStringList{u"-12"_s, u"1000000000000000019884624838656"_s}));
    }

    void readout_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        // printf rounds half to even and keeps the sign of a negative zero.
        QTest::newRow("half even") << u"%.0f"_s << 14.5 << u"14"_s;
        QTest::newRow("negative zero") << u"%.0f"_s << -0.4 << u"-0"_s;
        QTest::newRow("infinity") << u"%.0f"_s << qInf() << u"inf"_s;
        // Longer than any fixed buffer a readout might use.
        QTest::newRow("huge") << u"%.0f"_s << 1e300 << QString::asprintf("%.0f", 1e300);
        QTest::newRow("literal text") << u"%.1f %%"_s << 12.25 << u"12.2 %"_s;
        QTest::newRow("flags and width") << u"%+06.1f"_s << 3.14159 << u"+003.1"_s;
        // Each of these would make printf read an argument that is not there,
        // or of another type: the value is shown plain instead.
        for (const char *unsafe : {"%s", "%d", "%f %f", "%*f", "%Lf", "%n", "fps", "%.0"})
            QTest::newRow(unsafe) << QString::fromLatin1(unsafe) << 42.0 << u"42"_s;
    }

    void readout() {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(SettingsTexts::readout(format, value), expected);
    }

    void outputFolder_data() {
        QTest::addColumn<QUrl>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("title");
        QTest::newRow("slash kept")
            << QUrl(u"file:///home/u/Renders/"_s) << u"file:///home/u/Renders/"_s << u"Renders"_s;
        QTest::newRow("escaped") << QUrl::fromLocalFile(u"/home/u/My Renders #2"_s)
                                 << u"file:///home/u/My%20Renders%20%232/"_s << u"My Renders #2"_s;
        QTest::newRow("root") << QUrl(u"file:///"_s) << u"file:///"_s << u"/"_s;
        QTest::newRow("none") << QUrl() << QString() << QString();
        QTest::newRow("not local") << QUrl(u"https://example.org/x/"_s) << QString() << u"x"_s;
    }

    void outputFolder() {
        QFETCH(QUrl, chosen);
        QFETCH(QString, stored);
        QFETCH(QString, title);
        const std::optional<QString> path = outputPathForFolder(chosen);
        QCOMPARE(path.value_or(QString()), stored);
        QCOMPARE(outputFolderTitle(chosen), title);
        // What is stored reads back as the same folder, with the same title.
        if (path)
            QCOMPARE(outputFolderTitle(QUrl(*path, QUrl::StrictMode)), title);
    }
};

QTEST_GUILESS_MAIN(SettingsTextsTest)
#include "tst_settings_texts.moc"
