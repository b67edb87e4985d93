// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsSummary.h"
#include "SettingsTexts.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The settings sheet's and the footer's texts and input rules, without a window.
class SettingsTextsTest : public QObject {
    Q_OBJECT
    const SettingsTexts texts;
    const SettingsSummary footer;

private slots:
    // For any value: those the controls never reach may come from the store.
    void shownTexts() {
        const std::pair<QString, QString> shown[] = {
            {texts.loopLabel(0), u"Forever"_s},
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
        };
        for (const auto &[text, expected] : shown)
            QCOMPARE(text, expected);
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
