// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ConversionPipeline.h"
#include "FrameSequence.h"
#include "NumberFormat.h"
#include "SettingsSummary.h"
#include "SettingsTexts.h"
#include "Translations.h"

#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

// The settings sheet's and the footer's texts and input rules, without a window.
class SettingsTextsTest : public QObject {
    Q_OBJECT
    const SettingsTexts texts;
    const SettingsSummary footer;

    // `found` image files of which `used` are selected.
    static FrameSequence sequence(qint64 found, qint64 used) {
        FrameSequence s;
        s.foundCount = found;
        s.frames.resize(size_t(used));
        return s;
    }

private slots:
    void initTestCase() { Translations::install(QLocale(QLocale::English)); }

    // For any value: those the controls never reach may come from the store.
    void shownTexts() {
        const std::pair<QString, QString> shown[] = {
            {texts.loopLabel(0), u"Forever"_s},
            {texts.loopLabel(3), u"3×"_s},
            {texts.loopHint(0), u"GIF loops indefinitely."_s},
            {texts.loopHint(1), u"GIF plays once and stops."_s},
            {texts.loopHint(1234567), u"GIF plays 1234567 times then stops."_s},
            {texts.widthFieldText(1e30), u"1000000000000000019884624838656"_s},
            // The readout is what printf "%.0f" shows.
            {texts.readout(14.5), u"14"_s},
            {texts.readout(-0.4), u"-0"_s},
            {texts.readout(qQNaN()), u"nan"_s},
            {footer.text(15, 600, 256, 2, 1), u"15 fps · 600px · 256 colors · skip 2× · 1× loop"_s},
            {footer.text(12.9, -qInf(), qQNaN(), 1, 0), u"12 fps · -∞px · NaN colors · ∞ loop"_s},
            // A chosen folder is stored as an encoded URL ending in "/"; shown by its name.
            {texts.outputPathForFolder(QUrl::fromLocalFile(u"/A #2"_s)), u"file:///A%20%232/"_s},
            {texts.outputPathForFolder(QUrl(u"file:///u/B/"_s)), u"file:///u/B/"_s},
            {texts.outputPathForFolder(QUrl()), QString()},
            {texts.outputFolderTitle(QUrl(u"file:///A%20%232/"_s)), u"A #2"_s},
            {texts.outputFolderTitle(QUrl(u"file:///"_s)), u"/"_s},
            {texts.outputFolderPath(QUrl(u"file:///A%20%232/"_s)), u"/A #2"_s},
            {texts.outputFolderPath(QUrl(u"file:///"_s)), u"/"_s},
        };
        for (const auto &[text, expected] : shown)
            QCOMPARE(text, expected);
    }

    // Ordinals and plural forms, in English and in the German catalogue.
    void countsAndOrdinals_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("english"); // ordinal · summary of a folder of n frames
        QTest::addColumn<QString>("german");
        const auto row = [](int n, const char *english, const char *german) {
            QTest::addRow("%d", n) << n << QString::fromUtf8(english) << QString::fromUtf8(german);
        };
        row(1, "1st · Found 1 frame…", "1. · 1 Bild gefunden…");
        row(2, "2nd · Found 2 frames…", "2. · 2 Bilder gefunden…");
        row(11, "11th · Found 11 frames…", "11. · 11 Bilder gefunden…");
        row(12, "12th · Found 12 frames…", "12. · 12 Bilder gefunden…");
        row(13, "13th · Found 13 frames…", "13. · 13 Bilder gefunden…");
        row(21, "21st · Found 21 frames…", "21. · 21 Bilder gefunden…");
        row(22, "22nd · Found 22 frames…", "22. · 22 Bilder gefunden…");
        row(23, "23rd · Found 23 frames…", "23. · 23 Bilder gefunden…");
        row(101, "101st · Found 101 frames…", "101. · 101 Bilder gefunden…");
        row(111, "111th · Found 111 frames…", "111. · 111 Bilder gefunden…");
        row(112, "112th · Found 112 frames…", "112. · 112 Bilder gefunden…");
    }
    void countsAndOrdinals() {
        QFETCH(int, n);
        QFETCH(QString, english);
        QFETCH(QString, german);
        const auto shown = [n] {
            return ordinalNumber(n) + u" · "_s + selectionSummary(sequence(n, n), 1, false);
        };
        QCOMPARE(shown(), english);
        const auto backToEnglish =
            qScopeGuard([] { Translations::install(QLocale(QLocale::English)); });
        Translations::install(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(shown(), german);
    }

    // Every other text with a count, for 1 and 2, in both languages.
    void countedTexts() {
        const auto shown = [this] {
            return QStringList{selectionSummary(sequence(1, 1), 2, false),
                               selectionSummary(sequence(23, 2), 22, false),
                               selectionSummary(sequence(1, 1), 1, true),
                               selectionSummary(sequence(2, 2), 1, true),
                               texts.loopHint(2),
                               sizeText(1),
                               sizeText(2),
                               texts.frameSkipTitles().join(u'|')};
        };
        QCOMPARE(shown(), (QStringList{u"Using 1 of 1 frame (every 2nd)…"_s,
                                       u"Using 2 of 23 frames (every 22nd)…"_s,
                                       u"Using 1 selected frame…"_s, u"Using 2 selected frames…"_s,
                                       u"GIF plays 2 times then stops."_s, u"1 byte"_s,
                                       u"2 bytes"_s, u"Off (1×)|Every 2nd|Every 3rd|Every 4th"_s}));
        const auto backToEnglish =
            qScopeGuard([] { Translations::install(QLocale(QLocale::English)); });
        Translations::install(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(Translations::language(), u"de_DE"_s);
        QCOMPARE(shown(), (QStringList{u"Verwende 1 von 1 Bild (jedes 2.)…"_s,
                                       u"Verwende 2 von 23 Bildern (jedes 22.)…"_s,
                                       u"Verwende 1 ausgewähltes Bild…"_s,
                                       u"Verwende 2 ausgewählte Bilder…"_s,
                                       u"Das GIF läuft 2-mal und hält dann an."_s, u"1 Byte"_s,
                                       u"2 Byte"_s, u"Aus (1×)|Jedes 2.|Jedes 3.|Jedes 4."_s}));
    }

    void frameSkipPicker() {
        for (int i = 0; i < 4; ++i) { // option i shows and selects frame skip i + 1
            QVERIFY(texts.frameSkipTitles()[i].contains(QString::number(i + 1)));
            QCOMPARE(texts.frameSkipIndex(texts.frameSkipValue(i)), i);
        }
        for (qint64 shownByNone : {0, 5})
            QCOMPARE(texts.frameSkipIndex(shownByNone), -1);
    }

    // The whole text must be one C literal, then clamped; anything else commits NaN.
    void widthCommit() {
        QStringList committed;
        for (const char *typed : {"99", "inf", "0x1p9", "640.9", " 800", "800 ", "640,5", "nan"})
            committed << QString::number(texts.committedWidth(QString::fromLatin1(typed)));
        QCOMPARE(committed.join(u' '), u"100 3840 512 640.9 nan nan nan nan"_s);
    }
};

QTEST_GUILESS_MAIN(SettingsTextsTest)
#include "tst_settings_texts.moc"
