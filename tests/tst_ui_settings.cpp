#include "ConverterEngine.h"
#include "TestEnvironment.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

// The settings sheet as the user meets it: the real QML over a real engine
// whose store is a file of its own for each test.
class SettingsSheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensWithDefaults();
    void rowsShareTheColumnGrid();
    void loopStepper();
    void sliderStops_data();
    void sliderStops();
    void sliderIncreaseWritesLikeAMove();
    void outOfRangeValuesShownNotWritten();
    void widthCommit_data();
    void widthCommit();
    void widthFieldRefilledOnShow();
    void widthFieldShowsNonFiniteWidths();
    void frameSkipPicker();
    void frameSkipFromStoreMatchesNoOption();
    void everyWritePersistsAtOnce();
    void outputFolderChosen();
    void outputFolderCancelled();
    void noControlFocusedAfterOpening();
    void focusedWidthFieldCommitsOnOpening();
    void everyControlReachableByTab();
    void closes_data();
    void closes();
    void escapeClosesOpenPopupFirst();
    void screenshot();

private:
    // Creates the engine over the test's store (with these entries written
    // first) and shows the sheet; waits until the focus reset has run.
    void openSheet(const QVariantMap &stored = {});
    QQuickItem *item(const QString &name, QQuickItem *within = nullptr) const;
    QString text(const QString &name, QQuickItem *within = nullptr) const;
    QVariant stored(const QString &key) const;
    void focusItem(QQuickItem *target);
    void typeIntoWidthField(const QString &typed);
    // The folder chooser is up with its confirm button: it really loaded
    // (the non-native one needs further QML modules at run time).
    bool dialogShown() const;

    std::unique_ptr<QQmlEngine> m_qml;
    QString m_storePath;
    std::unique_ptr<ConverterEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_sheet;
};

void SettingsSheetTest::initTestCase() {
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
    m_qml = std::make_unique<QQmlEngine>();
    m_qml->addImportPath(QStringLiteral("qrc:/"));
}

void SettingsSheetTest::init() {
    m_storePath = QString::fromStdString(
        (TestEnvironment::freshFolder(QStringLiteral("store")) / "Loomfin.conf").string());
}

void SettingsSheetTest::cleanup() {
    m_sheet.reset();
    m_engine.reset();
}

void SettingsSheetTest::openSheet(const QVariantMap &stored) {
    {
        QSettings store(m_storePath, QSettings::IniFormat);
        for (auto it = stored.begin(); it != stored.end(); ++it)
            store.setValue(it.key(), it.value());
    }
    m_engine = std::make_unique<ConverterEngine>(
        std::make_unique<QSettings>(m_storePath, QSettings::IniFormat));
    QQmlComponent component(m_qml.get());
    component.setData("import Loomfin\nSettingsView {}", QUrl(QStringLiteral("qrc:/test.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("engine"), QVariant::fromValue<QObject *>(m_engine.get())}}));
    QVERIFY2(object, qPrintable(component.errorString()));
    m_sheet.reset(qobject_cast<QQuickWindow *>(object.release()));
    QVERIFY(m_sheet);
    m_sheet->show();
    m_sheet->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_sheet.get()));
    QTRY_COMPARE(m_sheet->activeFocusItem(), item(QStringLiteral("focusSink")));
}

QQuickItem *SettingsSheetTest::item(const QString &name, QQuickItem *within) const {
    QObject *root = within ? static_cast<QObject *>(within) : m_sheet.get();
    auto *found = root->findChild<QQuickItem *>(name);
    if (!found)
        qWarning("no item named %s", qPrintable(name));
    return found;
}

QString SettingsSheetTest::text(const QString &name, QQuickItem *within) const {
    QQuickItem *found = item(name, within);
    return found ? found->property("text").toString() : QStringLiteral("<missing>");
}

QVariant SettingsSheetTest::stored(const QString &key) const {
    // A second reader: sees only what reached the file.
    QSettings store(m_storePath, QSettings::IniFormat);
    return store.value(key);
}

void SettingsSheetTest::focusItem(QQuickItem *target) {
    target->forceActiveFocus(Qt::TabFocusReason);
    QVERIFY(target->hasActiveFocus());
}

void SettingsSheetTest::typeIntoWidthField(const QString &typed) {
    QQuickItem *field = item(QStringLiteral("widthField"));
    focusItem(field);
    QTest::keyClick(m_sheet.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_sheet.get(), Qt::Key_Backspace);
    for (QChar c : typed)
        QTest::keyClick(m_sheet.get(), c.toLatin1());
    QCOMPARE(field->property("text").toString(), typed);
}

bool SettingsSheetTest::dialogShown() const {
    QObject *dialog = m_sheet->findChild<QObject *>(QStringLiteral("folderDialog"));
    if (!dialog || !dialog->property("visible").toBool())
        return false;
    // Popups live in the window's overlay: walk the item tree, not QObject children.
    QList<QQuickItem *> pending = {m_sheet->contentItem()};
    while (!pending.isEmpty()) {
        QQuickItem *i = pending.takeLast();
        if (i->isVisible() &&
            i->property("text").toString() == QStringLiteral("Choose Output Folder"))
            return true;
        pending << i->childItems();
    }
    return false;
}

void SettingsSheetTest::opensWithDefaults() {
    openSheet();
    QCOMPARE(m_sheet->title(), QStringLiteral("Settings"));
    QCOMPARE(m_sheet->width(), 420);
    QCOMPARE(text(QStringLiteral("outputFolderButton")), QStringLiteral("GIF_Output"));

    QQuickItem *fps = item(QStringLiteral("fpsRow"));
    QCOMPARE(text(QStringLiteral("readout"), fps), QStringLiteral("15"));
    QCOMPARE(text(QStringLiteral("unit"), fps), QStringLiteral("fps"));
    QVERIFY(!item(QStringLiteral("hint"), fps)->isVisible());

    QCOMPARE(text(QStringLiteral("widthField")), QStringLiteral("600"));
    QCOMPARE(item(QStringLiteral("frameSkipPicker"))->property("displayText").toString(),
             QStringLiteral("Off (1×)"));
    QVERIFY(item(QStringLiteral("frameSkipHint"))->isVisible());
    QCOMPARE(text(QStringLiteral("loopLabel")), QStringLiteral("Forever"));
    QCOMPARE(text(QStringLiteral("loopHint")), QStringLiteral("GIF loops indefinitely."));

    QQuickItem *colors = item(QStringLiteral("maxColorsRow"));
    QCOMPARE(text(QStringLiteral("readout"), colors), QStringLiteral("256"));
    QCOMPARE(text(QStringLiteral("unit"), colors), QStringLiteral("  "));
    QQuickItem *lossy = item(QStringLiteral("lossyRow"));
    QCOMPARE(text(QStringLiteral("readout"), lossy), QStringLiteral("0"));
    QVERIFY(item(QStringLiteral("hint"), lossy)->isVisible());
    QCOMPARE(text(QStringLiteral("hint"), lossy), QStringLiteral("0 = best quality"));

    // Opening writes nothing.
    QCOMPARE(m_engine->width(), 600.0);
    QCOMPARE(m_engine->fps(), 15.0);

    // Hints are single lines that fit beside the caption column.
    for (QQuickItem *hint : {item(QStringLiteral("frameSkipHint")),
                             item(QStringLiteral("loopHint")), item(QStringLiteral("hint"), lossy)})
        QCOMPARE(hint->property("lineCount").toInt(), 1);

    // The whole sheet fits: its last line ends inside the window.
    QQuickItem *lastHint = item(QStringLiteral("hint"), lossy);
    const QPointF bottom = lastHint->mapToScene(QPointF(0, lastHint->height()));
    QVERIFY2(bottom.y() <= m_sheet->height(),
             qPrintable(QStringLiteral("%1 > %2").arg(bottom.y()).arg(m_sheet->height())));
}

void SettingsSheetTest::rowsShareTheColumnGrid() {
    openSheet();
    const auto sceneX = [](QQuickItem *i, qreal x = 0) {
        return i->mapToScene({x, 0}).x();
    };
    QQuickItem *fps = item(QStringLiteral("fpsRow"));
    QQuickItem *colors = item(QStringLiteral("maxColorsRow"));
    QQuickItem *lossy = item(QStringLiteral("lossyRow"));
    // Slider tracks start after the 90-point caption and 8 points of spacing,
    // where the hint lines start.
    const qreal rowLeft = sceneX(fps);
    QCOMPARE(sceneX(item(QStringLiteral("slider"), fps)) - rowLeft, 98.0);
    QQuickItem *hint = item(QStringLiteral("hint"), lossy);
    QCOMPARE(sceneX(hint, hint->property("leftPadding").toReal()) - rowLeft, 98.0);
    QQuickItem *loopHint = item(QStringLiteral("loopHint"));
    QCOMPARE(sceneX(loopHint, loopHint->property("leftPadding").toReal()) - rowLeft, 98.0);
    // Readouts line up, with or without a unit.
    for (QQuickItem *row : {colors, lossy}) {
        QCOMPARE(sceneX(item(QStringLiteral("readout"), row)),
                 sceneX(item(QStringLiteral("readout"), fps)));
        QCOMPARE(sceneX(item(QStringLiteral("unit"), row)),
                 sceneX(item(QStringLiteral("unit"), fps)));
    }
    QCOMPARE(item(QStringLiteral("readout"), fps)->width(), 36.0);
    QCOMPARE(item(QStringLiteral("unit"), fps)->width(), 28.0);
    QCOMPARE(item(QStringLiteral("widthField"))->width(), 54.0);
    QCOMPARE(item(QStringLiteral("frameSkipPicker"))->width(), 130.0);
    QCOMPARE(item(QStringLiteral("loopLabel"))->width(), 60.0);
}

void SettingsSheetTest::loopStepper() {
    openSheet();
    focusItem(item(QStringLiteral("loopStepper")));
    const QStringList labels = {QStringLiteral("1×"), QStringLiteral("2×")};
    const QStringList hints = {QStringLiteral("GIF plays once and stops."),
                               QStringLiteral("GIF plays 2 times then stops.")};
    for (int step = 0; step < 2; ++step) {
        QTest::keyClick(m_sheet.get(), Qt::Key_Up);
        QCOMPARE(m_engine->loopCount(), qint64(step + 1));
        QCOMPARE(text(QStringLiteral("loopLabel")), labels[step]);
        QCOMPARE(text(QStringLiteral("loopHint")), hints[step]);
    }
    for (int press = 0; press < 4; ++press)
        QTest::keyClick(m_sheet.get(), Qt::Key_Down);
    QCOMPARE(m_engine->loopCount(), qint64(0));
    QCOMPARE(text(QStringLiteral("loopLabel")), QStringLiteral("Forever"));
    for (int press = 0; press < 25; ++press)
        QTest::keyClick(m_sheet.get(), Qt::Key_Up);
    QCOMPARE(m_engine->loopCount(), qint64(20));
    QCOMPARE(text(QStringLiteral("loopLabel")), QStringLiteral("20×"));
    QCOMPARE(text(QStringLiteral("loopHint")), QStringLiteral("GIF plays 20 times then stops."));
}

void SettingsSheetTest::sliderStops_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QList<double>>("stops");
    QList<double> fps, colors, lossy;
    for (int v = 6; v <= 30; ++v)
        fps << v;
    for (int v = 32; v <= 256; v += 32)
        colors << v;
    for (int v = 0; v <= 80; v += 5)
        lossy << v;
    QTest::newRow("FPS") << QStringLiteral("fpsRow") << QByteArray("fps") << fps;
    QTest::newRow("Max Colors") << QStringLiteral("maxColorsRow") << QByteArray("maxColors")
                                << colors;
    QTest::newRow("Lossy") << QStringLiteral("lossyRow") << QByteArray("lossy") << lossy;
}

void SettingsSheetTest::sliderStops() {
    QFETCH(QString, row);
    QFETCH(QByteArray, property);
    QFETCH(QList<double>, stops);
    openSheet();
    QQuickItem *rowItem = item(row);
    focusItem(item(QStringLiteral("slider"), rowItem));
    const auto value = [&] {
        return m_engine->property(property.constData()).toDouble();
    };

    // Walk up from Home to End; every stop is written and shown.
    QTest::keyClick(m_sheet.get(), Qt::Key_Home);
    QList<double> seen = {value()};
    for (int press = 0; press < stops.size() + 2; ++press) {
        QCOMPARE(text(QStringLiteral("readout"), rowItem), QString::asprintf("%.0f", value()));
        QTest::keyClick(m_sheet.get(), Qt::Key_Right);
        if (value() != seen.last())
            seen << value();
    }
    QCOMPARE(seen, stops);
    QTest::keyClick(m_sheet.get(), Qt::Key_Left);
    QCOMPARE(value(), stops[stops.size() - 2]);
    QTest::keyClick(m_sheet.get(), Qt::Key_Home);
    QCOMPARE(value(), stops.first());
    QTest::keyClick(m_sheet.get(), Qt::Key_Left);
    QCOMPARE(value(), stops.first());
    QTest::keyClick(m_sheet.get(), Qt::Key_End);
    QCOMPARE(value(), stops.last());
}

void SettingsSheetTest::sliderIncreaseWritesLikeAMove() {
    openSheet();
    QQuickItem *slider = item(QStringLiteral("slider"), item(QStringLiteral("fpsRow")));
    QVERIFY(QMetaObject::invokeMethod(slider, "increase"));
    QCOMPARE(m_engine->fps(), 16.0);
    QVERIFY(QMetaObject::invokeMethod(slider, "decrease"));
    QVERIFY(QMetaObject::invokeMethod(slider, "decrease"));
    QCOMPARE(m_engine->fps(), 14.0);
    QCOMPARE(stored(QStringLiteral("fps")).toDouble(), 14.0);
}

void SettingsSheetTest::outOfRangeValuesShownNotWritten() {
    // Values other writers may leave; the engine keeps them (maxColors and
    // lossy after its own repair), the sliders cannot show them.
    openSheet({{QStringLiteral("fps"), 60},
               {QStringLiteral("maxColors"), 2},
               {QStringLiteral("lossy"), 150},
               {QStringLiteral("loopCount"), 50}});
    QCOMPARE(text(QStringLiteral("readout"), item(QStringLiteral("fpsRow"))), QStringLiteral("60"));
    QCOMPARE(text(QStringLiteral("readout"), item(QStringLiteral("maxColorsRow"))),
             QStringLiteral("2"));
    QCOMPARE(text(QStringLiteral("readout"), item(QStringLiteral("lossyRow"))),
             QStringLiteral("150"));
    QCOMPARE(m_engine->fps(), 60.0);
    QCOMPARE(m_engine->maxColors(), 2.0);
    QCOMPARE(m_engine->lossy(), 150.0);
    QCOMPARE(stored(QStringLiteral("fps")).toDouble(), 60.0);

    QCOMPARE(text(QStringLiteral("loopLabel")), QStringLiteral("50×"));
    QCOMPARE(text(QStringLiteral("loopHint")), QStringLiteral("GIF plays 50 times then stops."));
    QCOMPARE(m_engine->loopCount(), qint64(50));

    // Values arriving while the sheet is open are shown as they are, too,
    // after the sliders have moved to an in-range value.
    m_engine->setFps(20);
    m_engine->setFps(45);
    QCOMPARE(text(QStringLiteral("readout"), item(QStringLiteral("fpsRow"))), QStringLiteral("45"));
    QCOMPARE(m_engine->fps(), 45.0);
    m_engine->setMaxColors(128);
    m_engine->setMaxColors(2);
    QCOMPARE(m_engine->maxColors(), 2.0);
    QCOMPARE(stored(QStringLiteral("maxColors")).toDouble(), 2.0);

    // The user's step from there writes a value of the stepper's range.
    focusItem(item(QStringLiteral("loopStepper")));
    QTest::keyClick(m_sheet.get(), Qt::Key_Down);
    QCOMPARE(m_engine->loopCount(), qint64(19));

    // The user's move writes a value of the slider's range.
    focusItem(item(QStringLiteral("slider"), item(QStringLiteral("fpsRow"))));
    QTest::keyClick(m_sheet.get(), Qt::Key_Left);
    QCOMPARE(m_engine->fps(), 29.0);
}

void SettingsSheetTest::widthCommit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byReturn");
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("shown");
    struct Case {
        const char *typed;
        double width;
        const char *shown;
    };
    // Rejected text leaves the width at its default, 600.
    const Case cases[] = {{"800", 800, "800"},     {"99", 100, "100"},    {"-5", 100, "100"},
                          {"5000", 3840, "3840"},  {"inf", 3840, "3840"}, {"1e3", 1000, "1000"},
                          {"640.9", 640.9, "640"}, {"abc", 600, "600"},   {"", 600, "600"},
                          {" 800", 600, "600"},    {"640,5", 600, "600"}, {"nan", 600, "600"}};
    for (const Case &c : cases) {
        for (bool byReturn : {true, false}) {
            QTest::addRow("\"%s\" %s", c.typed, byReturn ? "Return" : "focus lost")
                << QString::fromUtf8(c.typed) << byReturn << c.width << QString::fromUtf8(c.shown);
        }
    }
}

void SettingsSheetTest::widthCommit() {
    QFETCH(QString, typed);
    QFETCH(bool, byReturn);
    QFETCH(double, width);
    QFETCH(QString, shown);
    openSheet();
    typeIntoWidthField(typed);
    QCOMPARE(m_engine->width(), 600.0); // typing alone writes nothing
    if (byReturn) {
        QTest::keyClick(m_sheet.get(), Qt::Key_Return);
    } else {
        // Tab moves on to the frame-skip picker.
        QTest::keyClick(m_sheet.get(), Qt::Key_Tab);
        QVERIFY(!item(QStringLiteral("widthField"))->hasActiveFocus());
    }
    QCOMPARE(m_engine->width(), width);
    QCOMPARE(text(QStringLiteral("widthField")), shown);
    QCOMPARE(stored(QStringLiteral("width")).toDouble(), width);
}

void SettingsSheetTest::widthFieldRefilledOnShow() {
    openSheet();
    // The field is the user's while the sheet is up ...
    m_engine->setWidth(1234.7);
    QCOMPARE(text(QStringLiteral("widthField")), QStringLiteral("600"));
    // ... and shows the engine's width again each time the sheet opens.
    m_sheet->hide();
    m_sheet->show();
    QTRY_COMPARE(text(QStringLiteral("widthField")), QStringLiteral("1234"));
    QCOMPARE(m_engine->width(), 1234.7);
}

void SettingsSheetTest::widthFieldShowsNonFiniteWidths() {
    openSheet({{QStringLiteral("width"), QStringLiteral("1e30")}});
    QCOMPARE(text(QStringLiteral("widthField")), QStringLiteral("1000000000000000019884624838656"));
    m_sheet->hide();
    m_engine->setWidth(std::numeric_limits<double>::quiet_NaN());
    m_sheet->show();
    QTRY_COMPARE(text(QStringLiteral("widthField")), QStringLiteral("NaN"));
    // Committing that text is refused like any other that is no width.
    focusItem(item(QStringLiteral("widthField")));
    QTest::keyClick(m_sheet.get(), Qt::Key_Return);
    QVERIFY(std::isnan(m_engine->width()));
    QCOMPARE(text(QStringLiteral("widthField")), QStringLiteral("NaN"));
}

void SettingsSheetTest::frameSkipPicker() {
    openSheet();
    QQuickItem *picker = item(QStringLiteral("frameSkipPicker"));
    focusItem(picker);
    const QStringList titles = {QStringLiteral("Every 2nd"), QStringLiteral("Every 3rd"),
                                QStringLiteral("Every 4th"), QStringLiteral("Every 4th")};
    for (int press = 0; press < titles.size(); ++press) {
        QTest::keyClick(m_sheet.get(), Qt::Key_Down);
        QCOMPARE(m_engine->frameSkip(), qint64(std::min(press + 2, 4)));
        QCOMPARE(picker->property("displayText").toString(), titles[press]);
    }
    QVERIFY(item(QStringLiteral("frameSkipHint"))->isVisible());
    QTest::keyClick(m_sheet.get(), Qt::Key_Home);
    QCOMPARE(m_engine->frameSkip(), qint64(1));
}

void SettingsSheetTest::frameSkipFromStoreMatchesNoOption() {
    openSheet({{QStringLiteral("frameSkip"), 7}});
    QQuickItem *picker = item(QStringLiteral("frameSkipPicker"));
    QCOMPARE(picker->property("currentIndex").toInt(), -1);
    QCOMPARE(picker->property("displayText").toString(), QString());
    QCOMPARE(m_engine->frameSkip(), qint64(7));
    QCOMPARE(stored(QStringLiteral("frameSkip")).toLongLong(), qint64(7));
    // Choosing an option still works from there.
    focusItem(picker);
    QTest::keyClick(m_sheet.get(), Qt::Key_Down);
    QCOMPARE(m_engine->frameSkip(), qint64(1));
    QCOMPARE(picker->property("displayText").toString(), QStringLiteral("Off (1×)"));
}

void SettingsSheetTest::everyWritePersistsAtOnce() {
    openSheet();
    const auto press = [this](const QString &name, QQuickItem *within, Qt::Key key) {
        focusItem(item(name, within));
        QTest::keyClick(m_sheet.get(), key);
    };
    press(QStringLiteral("slider"), item(QStringLiteral("fpsRow")), Qt::Key_Right);
    QCOMPARE(stored(QStringLiteral("fps")).toDouble(), 16.0);
    typeIntoWidthField(QStringLiteral("720"));
    QTest::keyClick(m_sheet.get(), Qt::Key_Return);
    QCOMPARE(stored(QStringLiteral("width")).toDouble(), 720.0);
    press(QStringLiteral("frameSkipPicker"), nullptr, Qt::Key_Down);
    QCOMPARE(stored(QStringLiteral("frameSkip")).toLongLong(), qint64(2));
    press(QStringLiteral("loopStepper"), nullptr, Qt::Key_Up);
    QCOMPARE(stored(QStringLiteral("loopCount")).toLongLong(), qint64(1));
    press(QStringLiteral("slider"), item(QStringLiteral("maxColorsRow")), Qt::Key_Left);
    QCOMPARE(stored(QStringLiteral("maxColors")).toDouble(), 224.0);
    press(QStringLiteral("slider"), item(QStringLiteral("lossyRow")), Qt::Key_Right);
    QCOMPARE(stored(QStringLiteral("lossy")).toDouble(), 5.0);
}

void SettingsSheetTest::outputFolderChosen() {
    openSheet();
    const QString folder = QDir::homePath() + QStringLiteral("/My Renders");
    QVERIFY(QDir().mkpath(folder));
    QQuickItem *button = item(QStringLiteral("outputFolderButton"));
    QObject *dialog = m_sheet->findChild<QObject *>(QStringLiteral("folderDialog"));
    QVERIFY(dialog);
    QCOMPARE(dialog->property("acceptLabel").toString(), QStringLiteral("Choose Output Folder"));

    QTest::mouseClick(
        m_sheet.get(), Qt::LeftButton, {},
        button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
    QTRY_VERIFY(dialog->property("visible").toBool());
    QTRY_VERIFY(dialogShown());
    dialog->setProperty("selectedFolder", QUrl::fromLocalFile(folder));
    QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));

    const QString expected =
        QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded) + QLatin1Char('/');
    QVERIFY(expected.endsWith(QStringLiteral("/My%20Renders/")));
    QCOMPARE(m_engine->outputPath(), expected);
    QCOMPARE(stored(QStringLiteral("outputPath")).toString(), expected);
    QCOMPARE(m_engine->outputFolderURL().toLocalFile(), folder + QLatin1Char('/'));
    QCOMPARE(button->property("text").toString(), QStringLiteral("My Renders"));
}

void SettingsSheetTest::outputFolderCancelled() {
    openSheet({{QStringLiteral("outputPath"), QStringLiteral("file:///home/u/Renders/")}});
    QQuickItem *button = item(QStringLiteral("outputFolderButton"));
    QCOMPARE(button->property("text").toString(), QStringLiteral("Renders"));
    QObject *dialog = m_sheet->findChild<QObject *>(QStringLiteral("folderDialog"));
    focusItem(button);
    QTest::keyClick(m_sheet.get(), Qt::Key_Space);
    QTRY_VERIFY(dialogShown());
    dialog->setProperty("selectedFolder", QUrl::fromLocalFile(QDir::homePath()));
    QVERIFY(QMetaObject::invokeMethod(dialog, "reject"));
    QVERIFY(!dialog->property("visible").toBool());
    QCOMPARE(m_engine->outputPath(), QStringLiteral("file:///home/u/Renders/"));
    QCOMPARE(stored(QStringLiteral("outputPath")).toString(),
             QStringLiteral("file:///home/u/Renders/"));
    QCOMPARE(button->property("text").toString(), QStringLiteral("Renders"));
}

void SettingsSheetTest::noControlFocusedAfterOpening() {
    openSheet();
    // openSheet waited for the reset; it must also stay that way.
    QTest::qWait(100);
    QCOMPARE(m_sheet->activeFocusItem(), item(QStringLiteral("focusSink")));
}

void SettingsSheetTest::focusedWidthFieldCommitsOnOpening() {
    openSheet({{QStringLiteral("width"), 640.9}});
    m_sheet->hide();
    // The field holding focus as the sheet comes up loses it and commits
    // the text it was filled with.
    m_sheet->show();
    QQuickItem *field = item(QStringLiteral("widthField"));
    field->forceActiveFocus();
    QCOMPARE(m_engine->width(), 640.9);
    QTRY_VERIFY(!field->hasActiveFocus());
    QCOMPARE(m_engine->width(), 640.0);
    QCOMPARE(text(QStringLiteral("widthField")), QStringLiteral("640"));
}

void SettingsSheetTest::everyControlReachableByTab() {
    openSheet();
    const QStringList controls = {
        QStringLiteral("doneButton"),      QStringLiteral("outputFolderButton"),
        QStringLiteral("fpsRow"),          QStringLiteral("widthField"),
        QStringLiteral("frameSkipPicker"), QStringLiteral("loopStepper"),
        QStringLiteral("maxColorsRow"),    QStringLiteral("lossyRow")};
    QStringList reached;
    for (int press = 0; press < 2 * controls.size(); ++press) {
        QTest::keyClick(m_sheet.get(), Qt::Key_Tab);
        for (const QString &name : controls) {
            QQuickItem *control = item(name);
            if (control->metaObject()->inherits(&QQuickItem::staticMetaObject) &&
                name.endsWith(QStringLiteral("Row")))
                control = item(QStringLiteral("slider"), control);
            if (control->hasActiveFocus() && !reached.contains(name))
                reached << name;
        }
    }
    QCOMPARE(reached, controls);
    QAccessible::setActive(true);
    for (const QString &name : controls) {
        QQuickItem *control = item(name);
        if (name.endsWith(QStringLiteral("Row")))
            control = item(QStringLiteral("slider"), control);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(accessible, qPrintable(name));
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(name));
    }
}

void SettingsSheetTest::closes_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Done") << false;
    QTest::newRow("Escape") << true;
}

void SettingsSheetTest::closes() {
    QFETCH(bool, byEscape);
    openSheet();
    focusItem(item(QStringLiteral("slider"), item(QStringLiteral("fpsRow"))));
    QTest::keyClick(m_sheet.get(), Qt::Key_Right);
    QSignalSpy dismissed(m_sheet.get(), SIGNAL(dismissed()));
    if (byEscape) {
        QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
    } else {
        QQuickItem *done = item(QStringLiteral("doneButton"));
        QTest::mouseClick(
            m_sheet.get(), Qt::LeftButton, {},
            done->mapToScene(QPointF(done->width() / 2, done->height() / 2)).toPoint());
    }
    QTRY_VERIFY(!m_sheet->isVisible());
    QCOMPARE(dismissed.count(), 1);
    // Nothing is undone.
    QCOMPARE(m_engine->fps(), 16.0);
    QCOMPARE(stored(QStringLiteral("fps")).toDouble(), 16.0);
}

void SettingsSheetTest::escapeClosesOpenPopupFirst() {
    openSheet();
    QQuickItem *picker = item(QStringLiteral("frameSkipPicker"));
    focusItem(picker);
    QTest::keyClick(m_sheet.get(), Qt::Key_Space);
    auto *popup = picker->property("popup").value<QObject *>();
    QVERIFY(popup);
    QTRY_VERIFY(popup->property("visible").toBool());
    QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
    QTRY_VERIFY(!popup->property("visible").toBool());
    QVERIFY(m_sheet->isVisible());

    QObject *dialog = m_sheet->findChild<QObject *>(QStringLiteral("folderDialog"));
    QVERIFY(QMetaObject::invokeMethod(dialog, "open"));
    QTRY_VERIFY(dialogShown());
    QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
    QTRY_VERIFY(!dialog->property("visible").toBool());
    QVERIFY(m_sheet->isVisible());
    QCOMPARE(m_engine->frameSkip(), qint64(1));
    QCOMPARE(m_engine->outputPath(), QString());

    QTest::keyClick(m_sheet.get(), Qt::Key_Escape);
    QTRY_VERIFY(!m_sheet->isVisible());
}

void SettingsSheetTest::screenshot() {
    openSheet();
    const QImage image = m_sheet->grabWindow();
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), qRound(420 * m_sheet->devicePixelRatio()));
    const QByteArray folder = qgetenv("LOOMFIN_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        QVERIFY(image.save(QString::fromLocal8Bit(folder) + QStringLiteral("/settings.png")));
    }
}

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    SettingsSheetTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ui_settings.moc"
