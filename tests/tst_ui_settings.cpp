#include "ConverterEngine.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QAccessible>
#include <QDir>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The settings sheet as the user meets it: the real QML over a real engine
// whose store is a file of its own for each test.
class SettingsSheetTest : public QObject {
    Q_OBJECT

private:
    // Creates the engine over a fresh store (with these entries written
    // first) and shows the sheet; waits until the focus reset has run.
    void openSheet(const QVariantMap &stored = {}) {
        m_sheet.reset(); // before the engine it shows
        m_storePath = QString::fromStdString(
            (TestEnvironment::freshFolder(u"store"_s) / "Loomfin.conf").string());
        QSettings store(m_storePath, QSettings::IniFormat);
        for (auto it = stored.begin(); it != stored.end(); ++it)
            store.setValue(it.key(), it.value());
        store.sync();
        m_engine = std::make_unique<ConverterEngine>(
            std::make_unique<QSettings>(m_storePath, QSettings::IniFormat));
        QQmlComponent component(&m_qml);
        component.setData("import Loomfin\nSettingsView {}", QUrl(u"qrc:/test.qml"_s));
        std::unique_ptr<QObject> object(component.createWithInitialProperties(
            {{u"engine"_s, QVariant::fromValue<QObject *>(m_engine.get())}}));
        QVERIFY2(object, qPrintable(component.errorString()));
        m_sheet.reset(qobject_cast<QQuickWindow *>(object.release()));
        m_sheet->show();
        m_sheet->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(m_sheet.get()));
        QTRY_COMPARE(m_sheet->activeFocusItem(), item(u"focusSink"));
    }
    // By object name; "row/child" looks inside the row.
    QQuickItem *item(QStringView path) const {
        QObject *found = m_sheet.get();
        for (QStringView name : path.split(u'/'))
            found = found ? found->findChild<QQuickItem *>(name.toString()) : nullptr;
        if (!found)
            qWarning("no item named %s", qPrintable(path.toString()));
        return qobject_cast<QQuickItem *>(found);
    }
    QString text(QStringView path) const {
        QQuickItem *found = item(path);
        // A picker has no text, only the title of its choice.
        const QVariant text = found ? found->property("text") : u"<missing>"_s;
        return (text.isValid() ? text : found->property("displayText")).toString();
    }
    QStringList texts(std::initializer_list<QStringView> paths) const {
        QStringList all;
        std::transform(paths.begin(), paths.end(), std::back_inserter(all),
                       [this](QStringView path) { return text(path); });
        return all;
    }
    // A second reader: sees only what reached the file.
    QVariant stored(const QString &key) const {
        return QSettings(m_storePath, QSettings::IniFormat).value(key);
    }
    void press(QStringView path, Qt::Key key, int times = 1) {
        item(path)->forceActiveFocus(Qt::TabFocusReason);
        QVERIFY(item(path)->hasActiveFocus());
        for (int i = 0; i < times; ++i)
            QTest::keyClick(m_sheet.get(), key);
    }
    void click(QStringView path) {
        const QPointF centre = item(path)->mapToScene(item(path)->boundingRect().center());
        QTest::mouseClick(m_sheet.get(), Qt::LeftButton, {}, centre.toPoint());
    }
    void typeIntoWidthField(const QString &typed) {
        press(u"widthField", Qt::Key_Backspace, 3); // the default, 600
        for (QChar c : typed)
            QTest::keyClick(m_sheet.get(), c.toLatin1());
        QCOMPARE(text(u"widthField"), typed);
    }
    // The folder chooser's confirm button is on screen, in the chooser's own
    // window: it really loaded (Qt's own needs further QML modules). Walks
    // items: popups live in the overlay.
    QQuickItem *dialogShown() const {
        QList<QQuickItem *> pending = {chooserWindow()->contentItem()};
        while (!pending.isEmpty()) {
            QQuickItem *i = pending.takeLast();
            if (i->isVisible() && i->inherits("QQuickAbstractButton") &&
                i->property("text").toString() == u"Choose Output Folder"_s)
                return i;
            pending << i->childItems();
        }
        return nullptr;
    }
    QQuickWindow *chooserWindow() const {
        return m_sheet->findChild<QQuickWindow *>(u"folderChooserWindow"_s);
    }
    // A control's accessible value interface.
    static QAccessibleValueInterface *accessibleValue(QQuickItem *control) {
        QAccessible::setActive(true);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        return accessible ? accessible->valueInterface() : nullptr;
    }

    QQmlEngine m_qml;
    QString m_storePath;
    std::unique_ptr<ConverterEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_sheet;

private slots:
    void initTestCase() {
        QQuickStyle::setStyle(u"Fusion"_s);
        m_qml.addImportPath(u"qrc:/"_s);
    }

    void opensWithDefaults() {
        openSheet();
        QCOMPARE(m_sheet->title(), u"Settings"_s);
        QCOMPARE(texts({u"outputFolderButton", u"fpsRow/readout", u"fpsRow/unit", u"widthField",
                        u"frameSkipPicker", u"loopLabel", u"loopHint", u"maxColorsRow/readout",
                        u"maxColorsRow/unit", u"lossyRow/readout", u"lossyRow/hint"}),
                 (QStringList{u"GIF_Output"_s, u"15"_s, u"fps"_s, u"600"_s, u"Off (1×)"_s,
                              u"Forever"_s, u"GIF loops indefinitely."_s, u"256"_s, u"  "_s, u"0"_s,
                              u"0 = best quality"_s}));
        QVERIFY(!item(u"fpsRow/hint")->isVisible());
        // Hints are single visible lines, and the last one ends inside the window.
        for (QStringView hint : {u"frameSkipHint", u"loopHint", u"lossyRow/hint"})
            QVERIFY2(item(hint)->isVisible() && item(hint)->property("lineCount").toInt() == 1,
                     qPrintable(hint.toString()));
        QQuickItem *lastHint = item(u"lossyRow/hint");
        QCOMPARE_LE(lastHint->mapToScene({0, lastHint->height()}).y(), m_sheet->height());

        const QImage image = m_sheet->grabWindow();
        QCOMPARE(image.width(), qRound(420 * m_sheet->devicePixelRatio()));
        // The picture of the sheet in the README.
        if (const QString dir = qEnvironmentVariable("LOOMFIN_SCREENSHOT_DIR"); !dir.isEmpty())
            QVERIFY(QDir().mkpath(dir) && image.save(dir + u"/settings.png"_s));
    }

    void loopStepper() {
        openSheet();
        const auto step = [this](Qt::Key key, int times) {
            press(u"loopStepper", key, times);
            return QString::number(m_engine->loopCount()) + u' ' +
                   texts({u"loopLabel", u"loopHint"}).join(u' ');
        };
        QCOMPARE(step(Qt::Key_Up, 1), u"1 1× GIF plays once and stops."_s);
        QCOMPARE(step(Qt::Key_Up, 1), u"2 2× GIF plays 2 times then stops."_s);
        QCOMPARE(step(Qt::Key_Down, 4), u"0 Forever GIF loops indefinitely."_s);
        QCOMPARE(step(Qt::Key_Up, 25), u"20 20× GIF plays 20 times then stops."_s);
    }

    // What a screen reader reads of each slider and the stepper, with
    // defaults and with a value the control cannot reach.
    void accessibleRanges_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QList<double>>("range"); // minimum, maximum, current
        QTest::addColumn<QVariantMap>("stored");
        QTest::newRow("FPS") << u"fpsRow/slider"_s << QList<double>{6, 30, 15} << QVariantMap();
        QTest::newRow("Max Colors")
            << u"maxColorsRow/slider"_s << QList<double>{32, 256, 256} << QVariantMap();
        QTest::newRow("Lossy") << u"lossyRow/slider"_s << QList<double>{0, 80, 0} << QVariantMap();
        QTest::newRow("Loop") << u"loopStepper"_s << QList<double>{0, 20, 0} << QVariantMap();
        QTest::newRow("Loop, stored beyond")
            << u"loopStepper"_s << QList<double>{0, 20, 20} << QVariantMap{{u"loopCount"_s, 50}};
    }
    void accessibleRanges() {
        QFETCH(QString, control);
        QFETCH(QList<double>, range);
        QFETCH(QVariantMap, stored);
        openSheet(stored);
        QAccessibleValueInterface *value = accessibleValue(item(control));
        QVERIFY(value);
        QCOMPARE((QList<double>{value->minimumValue().toDouble(), value->maximumValue().toDouble(),
                                value->currentValue().toDouble()}),
                 range);
    }

    // Assistive tools step the loop count with their own actions.
    void loopStepperAccessibleActions() {
        openSheet();
        QAccessible::setActive(true);
        QAccessibleActionInterface *actions =
            QAccessible::queryAccessibleInterface(item(u"loopStepper"))->actionInterface();
        QVERIFY(actions);
        const auto step = [&](const QString &action, int times) {
            for (int i = 0; i < times; ++i)
                actions->doAction(action);
            return u"%1 %2 %3"_s.arg(m_engine->loopCount())
                .arg(stored(u"loopCount"_s).toString(), text(u"loopLabel"));
        };
        const QString up = QAccessibleActionInterface::increaseAction();
        const QString down = QAccessibleActionInterface::decreaseAction();
        QCOMPARE(step(up, 1), u"1 1 1×"_s);
        QCOMPARE(step(up, 2), u"3 3 3×"_s);
        QCOMPARE(step(down, 5), u"0 0 Forever"_s);
        QCOMPARE(step(up, 25), u"20 20 20×"_s);
    }

    // The sheet's buttons, pressed as a screen reader, Return or Enter does it.
    void pressButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("way"); // 0 accessible press, else the key
        for (const char *button : {"doneButton", "outputFolderButton"})
            for (int way : {0, int(Qt::Key_Return), int(Qt::Key_Enter)})
                QTest::addRow("%s %s", button,
                              way == 0                ? "press"
                              : way == Qt::Key_Return ? "Return"
                                                      : "Enter")
                    << QString::fromLatin1(button) << way;
    }
    void pressButtons() {
        QFETCH(QString, button);
        QFETCH(int, way);
        openSheet();
        if (way == 0) {
            QVERIFY(MainWindowHarness::pressAccessibly(item(button)));
        } else {
            item(button)->forceActiveFocus(Qt::TabFocusReason);
            QTest::keyClick(m_sheet.get(), Qt::Key(way));
        }
        if (button == u"doneButton") {
            QTRY_VERIFY(!m_sheet->isVisible());
            return;
        }
        QQuickItem *accept = nullptr;
        QTRY_VERIFY((accept = dialogShown()));
        // Chosen through assistive tools too; the chooser opened in the documents
        // folder (the output folder does not exist yet), else home.
        QObject *dialog = item(u"outputFolderChooser")->property("dialog").value<QObject *>();
        QCOMPARE(dialog->property("currentFolder").toUrl(), QUrl::fromLocalFile(QDir::homePath()));
        QVERIFY(QDir().mkpath(QDir::homePath() + u"/Renders"_s));
        dialog->setProperty("selectedFolder",
                            QUrl::fromLocalFile(QDir::homePath() + u"/Renders"_s));
        QVERIFY(MainWindowHarness::pressAccessibly(accept));
        QTRY_VERIFY(!chooserWindow()->isVisible());
        QCOMPARE(text(u"outputFolderButton"), u"Renders"_s);
        QVERIFY(m_sheet->isVisible());
    }

    // A folder name far too long for the row is cut in the middle; the
    // sheet keeps its width and every control stays inside it.
    void longOutputFolderName() {
        const QString folder = QDir::homePath() + u'/' + QString(120, u'n');
        openSheet({{u"outputPath"_s, QUrl::fromLocalFile(folder + u'/').toString()}});
        QCOMPARE(m_sheet->width(), 420);
        QQuickItem *button = item(u"outputFolderButton");
        QCOMPARE(text(u"outputFolderButton"), QString(120, u'n'));
        QVERIFY(
            button->property("contentItem").value<QQuickItem *>()->property("truncated").toBool());
        QCOMPARE(button->property("fullPath").toString(), folder);
        QAccessible::setActive(true);
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Description),
                 folder);
        const QRectF sheet(0, 0, m_sheet->width(), m_sheet->height());
        for (QStringView control :
             {u"doneButton", u"outputFolderButton", u"fpsRow/slider", u"fpsRow/readout",
              u"widthField", u"frameSkipPicker", u"loopLabel", u"loopStepper",
              u"maxColorsRow/readout", u"lossyRow/hint"}) {
            QQuickItem *i = item(control);
            QVERIFY2(sheet.contains(i->mapRectToScene(i->boundingRect())),
                     qPrintable(control.toString()));
        }
    }

    void sliderStops_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QList<double>>("stops");
        QList<double> fps, lossy;
        for (int v = 6; v <= 30; ++v)
            fps << v;
        for (int v = 0; v <= 80; v += 5)
            lossy << v;
        QTest::newRow("FPS") << QByteArray("fps") << fps;
        QTest::newRow("Max Colors")
            << QByteArray("maxColors") << QList<double>{32, 64, 96, 128, 160, 192, 224, 256};
        QTest::newRow("Lossy") << QByteArray("lossy") << lossy;
    }

    void sliderStops() {
        QFETCH(QByteArray, property);
        QFETCH(QList<double>, stops);
        openSheet();
        const QString row = QString::fromLatin1(property) + u"Row"_s;
        const auto after = [&](Qt::Key key) {
            QTest::keyClick(m_sheet.get(), key);
            return m_engine->property(property.constData()).toDouble();
        };
        // Walk up from Home past the end; every stop is written and shown.
        item(row + u"/slider"_s)->forceActiveFocus();
        QList<double> seen = {after(Qt::Key_Home)};
        for (int i = 0; i <= stops.size(); ++i) {
            QCOMPARE(text(row + u"/readout"_s), QString::number(seen.last()));
            if (const double value = after(Qt::Key_Right); value != seen.last())
                seen << value;
        }
        QCOMPARE(seen, stops);
        QCOMPARE((QList<double>{after(Qt::Key_Home), after(Qt::Key_Left), after(Qt::Key_End)}),
                 (QList<double>{stops.first(), stops.first(), stops.last()}));
        // Stepping without a key press (as assistive tools do) writes too.
        QVERIFY(QMetaObject::invokeMethod(item(row + u"/slider"_s), "decrease"));
        QCOMPARE(m_engine->property(property.constData()).toDouble(), stops[stops.size() - 2]);
    }

    void outOfRangeValuesShownNotWritten() {
        // Values other writers may leave; the engine keeps them (maxColors and
        // lossy after its own repair), the sliders and stepper cannot show them.
        openSheet({{u"fps"_s, 60}, {u"maxColors"_s, 2}, {u"lossy"_s, 150}, {u"loopCount"_s, 50}});
        QCOMPARE(
            texts({u"fpsRow/readout", u"maxColorsRow/readout", u"lossyRow/readout", u"loopLabel"}),
            (QStringList{u"60"_s, u"2"_s, u"150"_s, u"50×"_s}));
        // Checked at the engine: a write-back inside a binding can leave a readout stale.
        QCOMPARE((QList<double>{m_engine->fps(), m_engine->maxColors(), m_engine->lossy(),
                                double(m_engine->loopCount())}),
                 (QList<double>{60, 2, 150, 50}));
        // So are values arriving while the sheet is open, after the slider has
        // moved to an in-range value.
        m_engine->setFps(20);
        m_engine->setFps(45);
        QCOMPARE(m_engine->fps(), 45.0);
        // The user's step from there writes a value of the control's range.
        press(u"loopStepper", Qt::Key_Down);
        press(u"fpsRow/slider", Qt::Key_Left);
        QCOMPARE(texts({u"loopLabel", u"fpsRow/readout"}), (QStringList{u"19×"_s, u"29"_s}));
    }

    void widthCommit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byReturn");
        QTest::addColumn<double>("width");
        // Rejected text leaves the width at its default, 600.
        const std::pair<const char *, double> cases[] = {
            {"800", 800},     {"99", 100},        {"-5", 100},    {"5000", 3840},
            {"inf", 3840},    {"-infinity", 100}, {"1e3", 1000},  {"0x1p9", 512},
            {"640.9", 640.9}, {"abc", 600},       {"800px", 600}, {"", 600},
            {" 800", 600},    {"800 ", 600},      {"640,5", 600}, {"nan", 600}};
        for (const auto &[typed, width] : cases) {
            for (bool byReturn : {true, false})
                QTest::addRow("\"%s\" %s", typed, byReturn ? "Return" : "focus lost")
                    << QString::fromUtf8(typed) << byReturn << width;
        }
    }

    void widthCommit() {
        QFETCH(QString, typed);
        QFETCH(bool, byReturn);
        QFETCH(double, width);
        openSheet();
        typeIntoWidthField(typed);
        QCOMPARE(m_engine->width(), 600.0); // typing alone writes nothing
        QTest::keyClick(m_sheet.get(), byReturn ? Qt::Key_Return : Qt::Key_Tab);
        QCOMPARE(m_engine->width(), width);
        // Always a whole number, even when a fraction was stored.
        QCOMPARE(text(u"widthField"), QString::number(qint64(width)));
    }

    void widthFieldOnShow_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("committed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fraction") << 1234.7 << 1234.0 << u"1234"_s;
        QTest::newRow("beyond 64 bits") << 1e30 << 3840.0 << u"3840"_s;
        // Never converted to an integer, nor written back.
        QTest::newRow("NaN") << qQNaN() << qQNaN() << u"NaN"_s;
    }

    void widthFieldOnShow() {
        QFETCH(double, width);
        QFETCH(double, committed);
        QFETCH(QString, shown);
        openSheet();
        m_engine->setWidth(width);
        QCOMPARE(text(u"widthField"), u"600"_s); // the user's while the sheet is up
        // Filled again as the sheet opens; holding focus, it commits that text.
        m_sheet->hide();
        m_sheet->show();
        item(u"widthField")->forceActiveFocus();
        QTRY_COMPARE(m_sheet->activeFocusItem(), item(u"focusSink"));
        QCOMPARE(m_engine->width(), committed);
        QCOMPARE(text(u"widthField"), shown);
    }

    void frameSkipPicker() {
        // A value from the store that no option shows leaves the picker blank.
        openSheet({{u"frameSkip"_s, 7}});
        QCOMPARE(item(u"frameSkipPicker")->property("currentIndex").toInt(), -1);
        QCOMPARE(text(u"frameSkipPicker"), QString());
        // Stepping through the options from there writes 1 to 4 and no further.
        QStringList steps;
        for (int i = 0; i < 5; ++i) {
            press(u"frameSkipPicker", Qt::Key_Down);
            steps << u"%1 %2"_s.arg(m_engine->frameSkip()).arg(text(u"frameSkipPicker"));
        }
        QCOMPARE(steps, (QStringList{u"1 Off (1×)"_s, u"2 Every 2nd"_s, u"3 Every 3rd"_s,
                                     u"4 Every 4th"_s, u"4 Every 4th"_s}));
    }

    void everyWritePersistsAtOnce() {
        openSheet();
        press(u"fpsRow/slider", Qt::Key_Right);
        typeIntoWidthField(u"720"_s); // committed as the focus moves on
        press(u"frameSkipPicker", Qt::Key_Down);
        press(u"loopStepper", Qt::Key_Up);
        press(u"maxColorsRow/slider", Qt::Key_Left);
        press(u"lossyRow/slider", Qt::Key_Right);
        QStringList values;
        for (const char *key : {"fps", "width", "frameSkip", "loopCount", "maxColors", "lossy"})
            values << stored(QString::fromLatin1(key)).toString();
        QCOMPARE(values, (QStringList{u"16"_s, u"720"_s, u"2"_s, u"1"_s, u"224"_s, u"5"_s}));
    }

    void outputFolder_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void outputFolder() {
        QFETCH(bool, accept);
        QVERIFY(QDir().mkpath(QDir::homePath() + u"/Renders"_s));
        const QString before = QUrl::fromLocalFile(QDir::homePath() + u"/Renders/"_s).toString();
        openSheet({{u"outputPath"_s, before}});
        const QString folder = QDir::homePath() + u"/My Renders"_s;
        QVERIFY(QDir().mkpath(folder));
        click(u"outputFolderButton");
        QTRY_VERIFY(dialogShown());
        QObject *dialog = item(u"outputFolderChooser")->property("dialog").value<QObject *>();
        // It opens in the output folder when that exists.
        QCOMPARE(dialog->property("currentFolder").toUrl(),
                 QUrl::fromLocalFile(QDir::homePath() + u"/Renders"_s));
        dialog->setProperty("selectedFolder", QUrl::fromLocalFile(folder));
        QVERIFY(QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject"));

        const QString home = QUrl::fromLocalFile(QDir::homePath()).toString(QUrl::FullyEncoded);
        const QString expected = accept ? home + u"/My%20Renders/"_s : before;
        QCOMPARE(m_engine->outputPath(), expected);
        QCOMPARE(stored(u"outputPath"_s).toString(), expected);
        QCOMPARE(text(u"outputFolderButton"), accept ? u"My Renders"_s : u"Renders"_s);
    }

    void everyControlReachableByTab() {
        openSheet();
        QAccessible::setActive(true);
        QStringList reached;
        for (int i = 0; i < 16; ++i) {
            QTest::keyClick(m_sheet.get(), Qt::Key_Tab);
            // The stop as assistive tools name it (a stepper focuses its inner item).
            QAccessibleInterface *stop = nullptr;
            for (QQuickItem *at = m_sheet->activeFocusItem(); at && !stop; at = at->parentItem())
                stop = QAccessible::queryAccessibleInterface(at);
            reached << (stop ? stop->text(QAccessible::Name) : u"<none>"_s);
        }
        reached.removeDuplicates();
        QCOMPARE(reached, (QStringList{u"Done"_s, u"Output Folder"_s, u"FPS"_s, u"Width"_s,
                                       u"Frame Skip"_s, u"Loop"_s, u"Max Colors"_s, u"Lossy"_s}));
    }

    void closes_data() {
        QTest::addColumn<QString>("how");
        for (const char *how : {"Done", "Escape", "Escape after popups"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void closes() {
        QFETCH(QString, how);
        openSheet();
        press(u"fpsRow/slider", Qt::Key_Right);
        if (how == u"Escape after popups") {
            // Escape closes an open picker or folder chooser, not the sheet.
            press(u"frameSkipPicker", Qt::Key_Space);
            auto *popup = item(u"frameSkipPicker")->property("popup").value<QObject *>();
            QTRY_VERIFY(popup->property("visible").toBool());
            QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
            QTRY_VERIFY(!popup->property("visible").toBool());
            click(u"outputFolderButton");
            QTRY_VERIFY(dialogShown());
            QTest::keyClick(chooserWindow(), Qt::Key_Escape);
            QTRY_VERIFY(!chooserWindow()->isVisible());
            QVERIFY(m_sheet->isVisible());
        }
        QSignalSpy dismissed(m_sheet.get(), SIGNAL(dismissed()));
        if (how == u"Done")
            click(u"doneButton");
        else
            QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
        QTRY_VERIFY(!m_sheet->isVisible());
        QCOMPARE(dismissed.count(), 1);
        // Nothing is undone, and no popup chose anything.
        QCOMPARE(texts({u"fpsRow/readout", u"frameSkipPicker", u"outputFolderButton"}),
                 (QStringList{u"16"_s, u"Off (1×)"_s, u"GIF_Output"_s}));
    }
};

QTEST_MAIN(SettingsSheetTest)

#include "tst_ui_settings.moc"
