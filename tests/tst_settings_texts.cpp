#include "SettingsTexts.h"

#include <QTest>

#include <clocale>
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
    void committedWidthIgnoresProcessLocale();
    void outputFolder_data();
    void outputFolder();
};

void SettingsTextsTest::loopTexts_data() {
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("hint");
    QTest::newRow("forever") << qint64(0) << QStringLiteral("Forever")
                             << QStringLiteral("GIF loops indefinitely.");
    QTest::newRow("once") << qint64(1) << QStringLiteral("1×")
                          << QStringLiteral("GIF plays once and stops.");
    QTest::newRow("twice") << qint64(2) << QStringLiteral("2×")
                           << QStringLiteral("GIF plays 2 times then stops.");
    QTest::newRow("top of stepper")
        << qint64(20) << QStringLiteral("20×") << QStringLiteral("GIF plays 20 times then stops.");
    // Values only the store can hold: no grouping, sign kept.
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
    QTest::newRow("nan") << QStringLiteral("%.0f") << std::numeric_limits<double>::quiet_NaN()
                         << QStringLiteral("nan");
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
    QTest::newRow("800") << QStringLiteral("800") << true << 800.0;
    QTest::newRow("99") << QStringLiteral("99") << true << 100.0;
    QTest::newRow("-5") << QStringLiteral("-5") << true << 100.0;
    QTest::newRow("5000") << QStringLiteral("5000") << true << 3840.0;
    QTest::newRow("inf") << QStringLiteral("inf") << true << 3840.0;
    QTest::newRow("-infinity") << QStringLiteral("-infinity") << true << 100.0;
    QTest::newRow("1e3") << QStringLiteral("1e3") << true << 1000.0;
    QTest::newRow("hex") << QStringLiteral("0x1p9") << true << 512.0;
    QTest::newRow("640.9 kept") << QStringLiteral("640.9") << true << 640.9;
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("leading space") << QStringLiteral(" 800") << false << 0.0;
    QTest::newRow("trailing space") << QStringLiteral("800 ") << false << 0.0;
    QTest::newRow("decimal comma") << QStringLiteral("640,5") << false << 0.0;
    QTest::newRow("unit typed") << QStringLiteral("800px") << false << 0.0;
    QTest::newRow("nan") << QStringLiteral("nan") << false << 0.0;
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

void SettingsTextsTest::committedWidthIgnoresProcessLocale() {
    // A desktop locale with a decimal comma must not change what the field takes.
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        QSKIP("no locale with a decimal comma installed");
    const auto dot = SettingsTexts::committedWidth(QStringLiteral("640.5"));
    const auto comma = SettingsTexts::committedWidth(QStringLiteral("640,5"));
    std::setlocale(LC_NUMERIC, saved.c_str());
    QCOMPARE(dot, std::optional<double>(640.5));
    QVERIFY(!comma);
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
