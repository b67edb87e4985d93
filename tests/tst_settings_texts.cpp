#include "SettingsTexts.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace SettingsTexts;

// The settings sheet's texts and its width-field rules, without a window.
class SettingsTextsTest : public QObject {
    Q_OBJECT

private slots:
    void loopTexts_data();
    void loopTexts();
    void frameSkipOptions();
    void readoutFollowsPrintf_data();
    void readoutFollowsPrintf();
    void readoutRefusesUnsafeFormats_data();
    void readoutRefusesUnsafeFormats();
    void widthFieldText_data();
    void widthFieldText();
    void committedWidth_data();
    void committedWidth();
    void outputFolder_data();
    void outputFolder();
};

void SettingsTextsTest::loopTexts_data() {
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("hint");
    // Values only the store can hold (the sheet shows 0…20): no grouping, sign kept.
    QTest::newRow("large") << qint64(1234567) << QStringLiteral("1234567×")
                           << QStringLiteral("GIF plays 1234567 times then stops.");
    QTest::newRow("negative") << qint64(-1) << QStringLiteral("-1×")
                              << QStringLiteral("GIF plays -1 times then stops.");
}

void SettingsTextsTest::loopTexts() {
    QFETCH(qint64, count);
    QFETCH(QString, label);
    QFETCH(QString, hint);
    QCOMPARE(loopLabel(count), label);
    QCOMPARE(loopHint(count), hint);
}

void SettingsTextsTest::frameSkipOptions() {
    const QStringList titles = frameSkipTitles();
    QCOMPARE(titles, QStringList({QStringLiteral("Off (1×)"), QStringLiteral("Every 2nd"),
                                  QStringLiteral("Every 3rd"), QStringLiteral("Every 4th")}));
    for (int index = 0; index < titles.size(); ++index) {
        QCOMPARE(frameSkipValue(index), qint64(index + 1));
        QCOMPARE(frameSkipIndex(frameSkipValue(index)), index);
    }
    // Stored values no option shows.
    for (qint64 value : {qint64(0), qint64(-3), qint64(5), qint64(7),
                         std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()})
        QCOMPARE(frameSkipIndex(value), -1);
    QVERIFY(frameSkipHint().contains(QStringLiteral("fewer frames")));
}

void SettingsTextsTest::readoutFollowsPrintf_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("15") << QStringLiteral("%.0f") << 15.0 << QStringLiteral("15");
    // printf rounds half to even and keeps the sign of a negative zero.
    QTest::newRow("half even") << QStringLiteral("%.0f") << 14.5 << QStringLiteral("14");
    QTest::newRow("negative zero") << QStringLiteral("%.0f") << -0.4 << QStringLiteral("-0");
    QTest::newRow("out of slider range")
        << QStringLiteral("%.0f") << 150.0 << QStringLiteral("150");
    QTest::newRow("infinity") << QStringLiteral("%.0f") << std::numeric_limits<double>::infinity()
                              << QStringLiteral("inf");
    // Longer than any fixed buffer a readout might use.
    QTest::newRow("huge") << QStringLiteral("%.0f") << 1e300 << QString::asprintf("%.0f", 1e300);
    QTest::newRow("literal text") << QStringLiteral("%.1f %%") << 12.25 << QStringLiteral("12.2 %");
    QTest::newRow("flags and width")
        << QStringLiteral("%+06.1f") << 3.14159 << QStringLiteral("+003.1");
}

void SettingsTextsTest::readoutFollowsPrintf() {
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(readout(format, value), expected);
}

void SettingsTextsTest::readoutRefusesUnsafeFormats_data() {
    QTest::addColumn<QString>("format");
    // Each would make printf read an argument that is not there, or of
    // another type.
    QTest::newRow("string") << QStringLiteral("%s");
    QTest::newRow("integer") << QStringLiteral("%d");
    QTest::newRow("two conversions") << QStringLiteral("%f %f");
    QTest::newRow("star width") << QStringLiteral("%*f");
    QTest::newRow("long double") << QStringLiteral("%Lf");
    QTest::newRow("store count") << QStringLiteral("%n");
    QTest::newRow("no conversion") << QStringLiteral("fps");
    QTest::newRow("dangling percent") << QStringLiteral("%.0");
}

void SettingsTextsTest::readoutRefusesUnsafeFormats() {
    QFETCH(QString, format);
    QCOMPARE(readout(format, 42.0), QStringLiteral("42"));
}

void SettingsTextsTest::widthFieldText_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 600.0 << QStringLiteral("600");
    QTest::newRow("fraction truncated") << 640.9 << QStringLiteral("640");
    QTest::newRow("toward zero") << -12.7 << QStringLiteral("-12");
    QTest::newRow("no grouping") << 3840.0 << QStringLiteral("3840");
    QTest::newRow("beyond 64 bits") << 1e30 << QStringLiteral("1000000000000000019884624838656");
}

void SettingsTextsTest::widthFieldText() {
    QFETCH(double, width);
    QFETCH(QString, expected);
    QCOMPARE(SettingsTexts::widthFieldText(width), expected);
}

void SettingsTextsTest::committedWidth_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("width");
    QTest::newRow("-infinity") << QStringLiteral("-infinity") << true << 100.0;
    QTest::newRow("hex") << QStringLiteral("0x1p9") << true << 512.0;
    QTest::newRow("trailing space") << QStringLiteral("800 ") << false << 0.0;
    QTest::newRow("unit typed") << QStringLiteral("800px") << false << 0.0;
    QTest::newRow("-nan") << QStringLiteral("-nan") << false << 0.0;
}

void SettingsTextsTest::committedWidth() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, width);
    const std::optional<double> result = SettingsTexts::committedWidth(text);
    QCOMPARE(result.has_value(), accepted);
    if (accepted)
        QCOMPARE(*result, width);
}

void SettingsTextsTest::outputFolder_data() {
    QTest::addColumn<QUrl>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << QUrl(QStringLiteral("file:///home/u/Renders"))
                           << QStringLiteral("file:///home/u/Renders/")
                           << QStringLiteral("Renders");
    QTest::newRow("slash kept") << QUrl(QStringLiteral("file:///home/u/Renders/"))
                                << QStringLiteral("file:///home/u/Renders/")
                                << QStringLiteral("Renders");
    QTest::newRow("escaped") << QUrl::fromLocalFile(QStringLiteral("/home/u/My Renders #2"))
                             << QStringLiteral("file:///home/u/My%20Renders%20%232/")
                             << QStringLiteral("My Renders #2");
    QTest::newRow("root") << QUrl(QStringLiteral("file:///")) << QStringLiteral("file:///")
                          << QStringLiteral("/");
    QTest::newRow("none") << QUrl() << QString() << QString();
    QTest::newRow("not local") << QUrl(QStringLiteral("https://example.org/x/")) << QString()
                               << QStringLiteral("x");
}

void SettingsTextsTest::outputFolder() {
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

QTEST_GUILESS_MAIN(SettingsTextsTest)
#include "tst_settings_texts.moc"
