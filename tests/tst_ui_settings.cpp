// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindowHarness.h"

#include <QDir>
#include <QSettings>

using namespace Qt::StringLiterals;

// The settings sheet as the user meets it: opened from the real window, over
// the engine's real store, which each test empties first.
class SettingsSheetTest : public QObject {
    Q_OBJECT

    MainWindowHarness m_app;
    QQuickWindow *m_sheet = nullptr;

    // Stores only these values, shows the window over them, then opens the
    // sheet; waits until its focus reset has run.
    void openSheet(const QVariantMap &values = {}) {
        {
            QSettings store(QSettings::NativeFormat, QSettings::UserScope, u"Loomfin"_s,
                            u"Loomfin"_s);
            store.clear();
            for (auto it = values.begin(); it != values.end(); ++it)
                store.setValue(it.key(), it.value());
        }
        QVERIFY(m_app.load());
        m_app.find("contentView")->setProperty("showSettings", true);
        m_sheet = m_app.find<QQuickWindow>("settingsView");
        QVERIFY(QTest::qWaitForWindowActive(m_sheet));
        QTRY_COMPARE(m_sheet->activeFocusItem(), item(u"focusSink"));
    }
    // By object name; "row/child" looks inside the row.
    QQuickItem *item(QStringView path) const {
        QObject *found = m_sheet;
        for (QStringView name : path.split(u'/'))
            found = found ? found->findChild<QQuickItem *>(name.toString()) : nullptr;
        return qobject_cast<QQuickItem *>(found);
    }
    QString text(QStringView path) const {
        // A picker has no text, only the title of its choice.
        const QVariant text = item(path)->property("text");
        return (text.isValid() ? text : item(path)->property("displayText")).toString();
    }
    void press(QStringView path, Qt::Key key) {
        item(path)->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_sheet, key);
    }

private slots:
    void initTestCase() { MainWindowHarness::prepare(); }
    void cleanup() { m_app.unload(); }

    void opensWithDefaults() {
        openSheet();
        QStringList shown;
        for (QStringView path :
             {u"outputFolderButton", u"fpsRow/readout", u"widthField", u"frameSkipPicker",
              u"loopLabel", u"maxColorsRow/readout", u"lossyRow/readout"})
            shown << text(path);
        QCOMPARE(shown, (QStringList{u"GIF_Output"_s, u"15"_s, u"600"_s, u"Off (1×)"_s,
                                     u"Forever"_s, u"256"_s, u"0"_s}));
    }

    // What a screen reader reads of each slider and the stepper: its name, range
    // and value, a stored value it cannot reach shown at its end and not
    // written back; and how it steps the loop count with the stepper's own
    // actions.
    void accessibleRangesAndSteps() {
        openSheet({{u"fps"_s, 60}, {u"loopCount"_s, 50}});
        QAccessible::setActive(true);
        QStringList read;
        for (QStringView control :
             {u"fpsRow/slider", u"maxColorsRow/slider", u"lossyRow/slider", u"loopStepper"}) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item(control));
            QAccessibleValueInterface *value = accessible->valueInterface();
            read << u"%1 %2..%3: %4"_s.arg(
                accessible->text(QAccessible::Name), value->minimumValue().toString(),
                value->maximumValue().toString(), value->currentValue().toString());
        }
        QCOMPARE(read, (QStringList{u"FPS 6..30: 30"_s, u"Max Colors 32..256: 256"_s,
                                    u"Lossy 0..80: 0"_s, u"Loop 0..20: 20"_s}));
        QCOMPARE(m_app.engine()->fps(), 60.0);
        QCOMPARE(m_app.engine()->loopCount(), 50);
        QAccessibleActionInterface *stepper =
            QAccessible::queryAccessibleInterface(item(u"loopStepper"))->actionInterface();
        stepper->doAction(QAccessibleActionInterface::decreaseAction());
        QCOMPARE(m_app.engine()->loopCount(), 19);
        stepper->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(m_app.engine()->loopCount(), 20);
    }

    // Every control writes the engine at once (End: a slider's maximum); the
    // width field on Return or when focus leaves it, and only what the width's
    // rules accept. Escape
    // closes the sheet and undoes nothing.
    void controlsWriteAtOnce() {
        openSheet();
        const auto enterWidth = [this](const QString &text, Qt::Key then) {
            item(u"widthField")->setProperty("text", text);
            press(u"widthField", then);
            return m_app.engine()->width();
        };
        QCOMPARE(enterWidth(u"99"_s, Qt::Key_Return), 100.0);
        QCOMPARE(enterWidth(u"800px"_s, Qt::Key_Return), 100.0);
        QCOMPARE(enterWidth(u"720"_s, Qt::Key_Shift), 100.0); // no commit yet
        press(u"fpsRow/slider", Qt::Key_Right); // the width is written as focus moves on
        press(u"frameSkipPicker", Qt::Key_Down);
        press(u"loopStepper", Qt::Key_Up);
        press(u"maxColorsRow/slider", Qt::Key_Left);
        press(u"lossyRow/slider", Qt::Key_End);
        QTest::keyClick(m_sheet, Qt::Key_Escape);
        QTRY_VERIFY(!m_sheet->isVisible());
        QStringList values;
        for (const char *name : {"fps", "width", "frameSkip", "loopCount", "maxColors", "lossy"})
            values << m_app.engine()->property(name).toString();
        QCOMPARE(values, (QStringList{u"16"_s, u"720"_s, u"2"_s, u"1"_s, u"224"_s, u"80"_s}));
    }

    // Pressed as a screen reader does: the folder button opens the chooser,
    // whose folder is stored; Done closes the sheet.
    void outputFolderAndDone() {
        openSheet();
        const QString folder = QDir::homePath() + u"/My Renders"_s;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(MainWindowHarness::pressAccessibly(item(u"outputFolderButton")));
        QObject *chooser = item(u"outputFolderChooser");
        QTRY_VERIFY(chooser->property("opened").toBool());
        QObject *dialog = chooser->property("dialog").value<QObject *>();
        dialog->setProperty("selectedFolder", QUrl::fromLocalFile(folder));
        QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));
        QCOMPARE(m_app.engine()->outputPath(),
                 QUrl::fromLocalFile(folder + u'/').toString(QUrl::FullyEncoded));
        QCOMPARE(text(u"outputFolderButton"), u"My Renders"_s);
        QVERIFY(MainWindowHarness::pressAccessibly(item(u"doneButton")));
        QTRY_VERIFY(!m_sheet->isVisible());
        QTRY_VERIFY(!m_app.property("contentView", "showSettings").toBool());
    }

    // A folder name far too long for its row: the sheet keeps its width and
    // every control stays inside it.
    void longOutputFolderName() {
        const QString name(120, u'n');
        openSheet({{u"outputPath"_s,
                    QUrl::fromLocalFile(QDir::homePath() + u'/' + name + u'/').toString()}});
        QCOMPARE(m_sheet->width(), 420);
        QCOMPARE(text(u"outputFolderButton"), name);
        const QRectF sheet(0, 0, m_sheet->width(), m_sheet->height());
        for (QStringView control :
             {u"doneButton", u"outputFolderButton", u"fpsRow/slider", u"fpsRow/readout",
              u"widthField", u"frameSkipPicker", u"loopLabel", u"loopStepper",
              u"maxColorsRow/slider", u"maxColorsRow/readout", u"lossyRow/slider",
              u"lossyRow/readout", u"lossyRow/hint"}) {
            QQuickItem *i = item(control);
            QVERIFY2(sheet.contains(i->mapRectToScene(i->boundingRect())),
                     qPrintable(control.toString()));
        }
    }
};

QTEST_MAIN(SettingsSheetTest)
#include "tst_ui_settings.moc"
