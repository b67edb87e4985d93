#include "Appearance.h"
#include "ConverterEngine.h"
#include "MainWindowHarness.h"
#include "SettingsSummary.h"
#include "TestEnvironment.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlExtensionPlugin>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

// The main window over its own engine: what shows in each engine state,
// the footer, the result panel's actions, the spinner and the folder chooser.
class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void presence_data();
    void presence();
    void windowKeepsWidthAndFollowsContent();
    void converting();
    void longErrorWrapsInFull();
    void settingsSummary_data();
    void settingsSummary();
    void footerFollowsSettings();
    void resultPanel();
    void longFileNameKeptToOneLine();
    void convertAnother();
    void spinnerTurnsAndRestartsFromZero();
    void clickOpensFolderChooser();
    void keyboardOpensFolderChooser();
    void clickWhileConvertingDoesNothing();
    void settingsButtonPresentsSheet();
    void logoFollowsAppearance();
    void missingDarkLogoLeavesEmptyArea();
    void darkAppearanceDrawsDark();

private:
    void setConverting(const QString &stage, double progress);
    void setFinished(const QUrl &output, const QString &status);
    void setFailed(const QString &message);
    bool folderChooserUp() const;
    void closeFolderChooser();

    MainWindowHarness m_app;
};

void MainWindowTest::initTestCase() {
    MainWindowHarness::prepare();
}

void MainWindowTest::init() {
    // Any QML warning from the window is a fault.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:/Loomfin/")));
    QVERIFY(m_app.load());
}

void MainWindowTest::cleanup() {
    m_app.unload();
    Appearance::instance()->setPortalColorScheme(0);
}

// The engine's state as its reports leave it.
void MainWindowTest::setConverting(const QString &stage, double progress) {
    ConverterEngine *e = m_app.engine();
    e->setIsConverting(true);
    e->setStatusMessage(stage);
    e->setProgress(progress);
    e->setErrorMessage(QString());
}

void MainWindowTest::setFinished(const QUrl &output, const QString &status) {
    ConverterEngine *e = m_app.engine();
    e->setIsConverting(false);
    e->setProgress(1);
    e->setStatusMessage(status);
    e->setLastOutputURL(output);
    e->setErrorMessage(QString());
}

void MainWindowTest::setFailed(const QString &message) {
    ConverterEngine *e = m_app.engine();
    e->setIsConverting(false);
    e->setProgress(0);
    e->setErrorMessage(message);
    e->setStatusMessage(QString());
}

void MainWindowTest::presence_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("progressStrip");
    QTest::addColumn<bool>("errorBanner");
    QTest::addColumn<bool>("resultPanel");

    QTest::newRow("idle") << "idle" << false << false << false;
    QTest::newRow("converting") << "converting" << true << false << false;
    QTest::newRow("converting after a result") << "converting again" << true << false << false;
    QTest::newRow("finished") << "finished" << false << false << true;
    QTest::newRow("failed") << "failed" << false << true << false;
    QTest::newRow("failed after a result") << "failed again" << false << true << true;
}

void MainWindowTest::presence() {
    QFETCH(QString, state);
    QFETCH(bool, progressStrip);
    QFETCH(bool, errorBanner);
    QFETCH(bool, resultPanel);

    const QUrl earlier = QUrl::fromLocalFile(QStringLiteral("/tmp/out/earlier.gif"));
    if (state == QLatin1String("converting")) {
        setConverting(QStringLiteral("Found 3 frames…"), 0.05);
    } else if (state == QLatin1String("converting again")) {
        setFinished(earlier, QStringLiteral("Done — earlier.gif (1 KB)"));
        setConverting(QStringLiteral("Generating colour palette…"), 0.2);
    } else if (state == QLatin1String("finished")) {
        setConverting(QStringLiteral("Found 3 frames…"), 0.05);
        setFinished(earlier, QStringLiteral("Done — earlier.gif (1 KB)"));
    } else if (state == QLatin1String("failed")) {
        setFailed(QStringLiteral("No image files found."));
    } else if (state == QLatin1String("failed again")) {
        setFinished(earlier, QStringLiteral("Done — earlier.gif (1 KB)"));
        setConverting(QStringLiteral("Found 3 frames…"), 0.05);
        setFailed(QStringLiteral("ffmpeg failed"));
    }

    const auto check = [this](const QString &name, bool shown) {
        return shown ? m_app.stripShown(name) : m_app.stripHidden(name);
    };
    QTRY_VERIFY(check(QStringLiteral("progressStrip"), progressStrip));
    QTRY_VERIFY(check(QStringLiteral("errorBanner"), errorBanner));
    QTRY_VERIFY(check(QStringLiteral("resultStrip"), resultPanel));
    for (const char *always : {"header", "dropZone", "footer"})
        QVERIFY2(m_app.item(QLatin1String(always))->isVisible(), always);

    if (errorBanner && resultPanel) {
        // The earlier result returns below the banner, with an empty second line.
        QVERIFY(m_app.item(QStringLiteral("resultStrip"))->y() >
                m_app.item(QStringLiteral("errorBanner"))->y());
        QCOMPARE(m_app.text(QStringLiteral("resultFileName")), QStringLiteral("earlier.gif"));
        QCOMPARE(m_app.text(QStringLiteral("resultStatus")), QString());
    }
}

void MainWindowTest::windowKeepsWidthAndFollowsContent() {
    QQuickWindow *w = m_app.window();
    const QQuickItem *content = m_app.item(QStringLiteral("contentView"));
    const auto fitted = [&] {
        return w->width() == 480 && w->height() == qCeil(content->implicitHeight()) &&
               w->minimumHeight() == w->height() && w->maximumHeight() == w->height() &&
               w->minimumWidth() == 480 && w->maximumWidth() == 480;
    };
    QVERIFY(fitted());
    const int idleHeight = w->height();

    setConverting(QStringLiteral("Found 3 frames…"), 0.05);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("progressStrip")));
    QTRY_VERIFY(fitted());
    QVERIFY(w->height() > idleHeight);

    setFailed(QStringLiteral("gifsicle failed"));
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("errorBanner")));
    QTRY_VERIFY(m_app.stripHidden(QStringLiteral("progressStrip")));
    QTRY_VERIFY(fitted());

    m_app.engine()->setErrorMessage(QString());
    QTRY_VERIFY(m_app.stripHidden(QStringLiteral("errorBanner")));
    QTRY_COMPARE(w->height(), idleHeight);
    QVERIFY(fitted());
}

void MainWindowTest::converting() {
    setConverting(QStringLiteral("Found 120 frames…"), 0.05);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("progressStrip")));
    QCOMPARE(m_app.text(QStringLiteral("progressText")), QStringLiteral("Found 120 frames…"));
    QCOMPARE(m_app.item(QStringLiteral("progressBar"))->property("value").toDouble(), 0.05);
    QCOMPARE(m_app.text(QStringLiteral("dropZoneTitle")), QStringLiteral("Found 120 frames…"));
    QCOMPARE(m_app.text(QStringLiteral("dropZoneHint")), QString());
    QVERIFY(m_app.item(QStringLiteral("spinner"))->isVisible());
    QVERIFY(!m_app.item(QStringLiteral("dropZoneBrand"))->isVisible());
    QVERIFY(!m_app.item(QStringLiteral("dropZone"))->isEnabled());

    // Each new stage shows at once.
    setConverting(QStringLiteral("Optimising with gifsicle…"), 0.8);
    QCOMPARE(m_app.text(QStringLiteral("dropZoneTitle")),
             QStringLiteral("Optimising with gifsicle…"));
    QCOMPARE(m_app.text(QStringLiteral("progressText")),
             QStringLiteral("Optimising with gifsicle…"));
    QCOMPARE(m_app.item(QStringLiteral("progressBar"))->property("value").toDouble(), 0.8);

    setFailed(QStringLiteral("x"));
    QVERIFY(m_app.item(QStringLiteral("dropZone"))->isEnabled());
    QCOMPARE(m_app.text(QStringLiteral("dropZoneTitle")),
             QStringLiteral("Drop image sequence folder here"));
    QCOMPARE(m_app.text(QStringLiteral("dropZoneHint")),
             QStringLiteral("PNG · JPG · TIFF · TGA · BMP  ·  or click to browse"));
    QVERIFY(m_app.item(QStringLiteral("dropZoneBrand"))->isVisible());
}

void MainWindowTest::longErrorWrapsInFull() {
    QString message = QStringLiteral("Missing required tools: ffmpeg + gifsicle.\n");
    for (int i = 0; i < 12; ++i)
        message += QStringLiteral("/a/very/long/path/without/any/spaces/segment%1").arg(i);
    setFailed(message);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("errorBanner")));

    const QQuickItem *text = m_app.item(QStringLiteral("errorText"));
    const QQuickItem *banner = m_app.item(QStringLiteral("errorBanner"));
    QCOMPARE(text->property("text").toString(), message);
    QVERIFY(text->property("lineCount").toInt() >= 4);
    QVERIFY(!text->property("truncated").toBool());
    // Every line lies inside the banner and the window.
    const QRectF textInWindow = text->mapRectToScene(QRectF(0, 0, text->width(), text->height()));
    const QRectF bannerInWindow =
        banner->mapRectToScene(QRectF(0, 0, banner->width(), banner->height()));
    QVERIFY(bannerInWindow.contains(textInWindow));
    QVERIFY(textInWindow.right() <= 460);
    QTRY_VERIFY(m_app.window()->height() >= bannerInWindow.bottom());
}

void MainWindowTest::settingsSummary_data() {
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("maxColors");
    QTest::addColumn<qint64>("frameSkip");
    QTest::addColumn<qint64>("loopCount");
    QTest::addColumn<QString>("expected");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const qint64 maxInt = std::numeric_limits<qint64>::max();
    const qint64 minInt = std::numeric_limits<qint64>::min();

    QTest::newRow("defaults") << 15.0 << 600.0 << 256.0 << qint64(1) << qint64(0)
                              << "15 fps · 600px · 256 colors · ∞ loop";
    QTest::newRow("skip 3, two loops") << 15.0 << 600.0 << 256.0 << qint64(3) << qint64(2)
                                       << "15 fps · 600px · 256 colors · skip 3× · 2× loop";
    QTest::newRow("skip 2 shows") << 15.0 << 600.0 << 256.0 << qint64(2) << qint64(1)
                                  << "15 fps · 600px · 256 colors · skip 2× · 1× loop";
    QTest::newRow("skip 0 and negative hidden") << 15.0 << 600.0 << 256.0 << qint64(-4) << qint64(0)
                                                << "15 fps · 600px · 256 colors · ∞ loop";
    QTest::newRow("truncated, not rounded")
        << 12.9 << 640.9 << 2.99 << qint64(1) << qint64(0) << "12 fps · 640px · 2 colors · ∞ loop";
    QTest::newRow("negatives") << -5.7 << -0.5 << 2.0 << qint64(1) << qint64(-1)
                               << "-5 fps · 0px · 2 colors · -1× loop";
    QTest::newRow("not finite") << nan << inf << -inf << qint64(1) << qint64(0)
                                << "NaN fps · ∞px · -∞ colors · ∞ loop";
    QTest::newRow("beyond the integer range")
        << 1e300 << 9.3e18 << 256.0 << maxInt << minInt
        << QStringLiteral("%1 fps · 9300000000000000000px · 256 colors · skip %2× · %3× loop")
               .arg(QString::number(1e300, 'f', 0))
               .arg(maxInt)
               .arg(minInt);
}

void MainWindowTest::settingsSummary() {
    QFETCH(double, fps);
    QFETCH(double, width);
    QFETCH(double, maxColors);
    QFETCH(qint64, frameSkip);
    QFETCH(qint64, loopCount);
    QFETCH(QString, expected);
    QCOMPARE(::settingsSummary(fps, width, maxColors, frameSkip, loopCount), expected);
}

void MainWindowTest::footerFollowsSettings() {
    ConverterEngine *e = m_app.engine();
    QCOMPARE(m_app.text(QStringLiteral("settingsSummary")),
             QStringLiteral("15 fps · 600px · 256 colors · ∞ loop"));

    e->setFps(12.9);
    e->setFrameSkip(3);
    e->setLoopCount(2);
    e->setMaxColors(64);
    e->setWidth(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(m_app.text(QStringLiteral("settingsSummary")),
             QStringLiteral("12 fps · NaNpx · 64 colors · skip 3× · 2× loop"));

    // Back to the defaults for the tests that follow (the store is shared).
    e->setFps(15);
    e->setFrameSkip(1);
    e->setLoopCount(0);
    e->setMaxColors(256);
    e->setWidth(600);
    QCOMPARE(m_app.text(QStringLiteral("settingsSummary")),
             QStringLiteral("15 fps · 600px · 256 colors · ∞ loop"));
}

void MainWindowTest::resultPanel() {
    const QUrl output = QUrl::fromLocalFile(QStringLiteral("/tmp/out/clip.gif"));
    setFinished(output, QStringLiteral("Done — clip.gif (2.1 MB)"));
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("resultStrip")));
    QCOMPARE(m_app.text(QStringLiteral("resultFileName")), QStringLiteral("clip.gif"));
    QCOMPARE(m_app.text(QStringLiteral("resultStatus")),
             QStringLiteral("Done — clip.gif (2.1 MB)"));
    QCOMPARE(m_app.text(QStringLiteral("showInFolderButton")), QStringLiteral("Show in Folder"));
    QCOMPARE(m_app.text(QStringLiteral("convertAnotherButton")), QStringLiteral("Convert Another"));

    // The second line follows the engine; the first keeps the file's name.
    m_app.engine()->setStatusMessage(QStringLiteral("something else"));
    QCOMPARE(m_app.text(QStringLiteral("resultStatus")), QStringLiteral("something else"));
    QCOMPARE(m_app.text(QStringLiteral("resultFileName")), QStringLiteral("clip.gif"));
}

void MainWindowTest::longFileNameKeptToOneLine() {
    const QString name =
        QStringLiteral("animation_") + QString(120, QLatin1Char('x')) + QStringLiteral(".gif");
    QString status = QStringLiteral("Done — ") + name + QStringLiteral(" (12 KB)");
    setFinished(QUrl::fromLocalFile(QStringLiteral("/tmp/") + name), status);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("resultStrip")));

    const QQuickItem *fileName = m_app.item(QStringLiteral("resultFileName"));
    QCOMPARE(fileName->property("lineCount").toInt(), 1);
    QVERIFY(fileName->property("truncated").toBool());
    const QQuickItem *second = m_app.item(QStringLiteral("resultStatus"));
    QVERIFY(second->property("lineCount").toInt() > 1);
    QVERIFY(!second->property("truncated").toBool());
    const QQuickItem *panel = m_app.item(QStringLiteral("resultView"));
    const QRectF secondInPanel =
        second->mapRectToItem(panel, QRectF(0, 0, second->width(), second->height()));
    QVERIFY(QRectF(0, 0, panel->width(), panel->height()).contains(secondInPanel));
}

void MainWindowTest::convertAnother() {
    setFinished(QUrl::fromLocalFile(QStringLiteral("/tmp/out/clip.gif")),
                QStringLiteral("Done — clip.gif (2.1 MB)"));
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("resultStrip")));

    m_app.click(QStringLiteral("convertAnotherButton"));
    ConverterEngine *e = m_app.engine();
    QVERIFY(e->lastOutputURL().isEmpty());
    QCOMPARE(e->statusMessage(), QString());
    QCOMPARE(e->progress(), 1.0);
    QVERIFY(e->errorMessage().isNull());
    QTRY_VERIFY(m_app.stripHidden(QStringLiteral("resultStrip")));
    QVERIFY(m_app.item(QStringLiteral("dropZone"))->isVisible());
}

void MainWindowTest::spinnerTurnsAndRestartsFromZero() {
    QQuickItem *zone = m_app.item(QStringLiteral("dropZone"));
    QQuickItem *spinner = m_app.item(QStringLiteral("spinner"));
    QCOMPARE(zone->property("spinAngle").toDouble(), 0.0);

    setConverting(QStringLiteral("Found 3 frames…"), 0.05);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY(zone->property("spinAngle").toDouble() > 0);
    QCOMPARE(spinner->rotation(), zone->property("spinAngle").toDouble());

    // Constant speed: the angle is the elapsed time at 360° per second.
    QTest::qWait(400);
    const double angle = zone->property("spinAngle").toDouble();
    const double expected = std::fmod(clock.elapsed() * 0.36, 360.0);
    const double diff = std::abs(angle - expected);
    QVERIFY2(std::min(diff, 360 - diff) < 60,
             qPrintable(QStringLiteral("angle %1, expected about %2").arg(angle).arg(expected)));

    setFailed(QStringLiteral("x"));
    QCOMPARE(zone->property("spinAngle").toDouble(), 0.0);
    QTest::qWait(100);
    QCOMPARE(zone->property("spinAngle").toDouble(), 0.0);

    // The next job starts from 0 again.
    setConverting(QStringLiteral("Found 3 frames…"), 0.05);
    QVERIFY(zone->property("spinAngle").toDouble() < 30);
    QTRY_VERIFY(zone->property("spinAngle").toDouble() > 0);
}

// Every item drawn in the window, popups included.
static QList<QQuickItem *> visualTree(QQuickItem *root) {
    QList<QQuickItem *> items{root};
    for (QQuickItem *child : root->childItems())
        items += visualTree(child);
    return items;
}

bool MainWindowTest::folderChooserUp() const {
    // The dialog really loaded: its accept button is on screen with our label.
    const QObject *dialog = m_app.find<QObject>(QStringLiteral("folderDialog"));
    if (!dialog || !dialog->property("visible").toBool())
        return false;
    const auto items = visualTree(m_app.window()->contentItem());
    return std::any_of(items.begin(), items.end(), [](const QQuickItem *item) {
        return item->isVisible() && item->inherits("QQuickAbstractButton") &&
               item->property("text").toString() == QLatin1String("Select PNG Folder");
    });
}

void MainWindowTest::closeFolderChooser() {
    QObject *dialog = m_app.find<QObject>(QStringLiteral("folderDialog"));
    QMetaObject::invokeMethod(dialog, "reject");
    QTRY_VERIFY(!dialog->property("visible").toBool());
}

void MainWindowTest::clickOpensFolderChooser() {
    QSignalSpy folderJobs(m_app.find<QObject>(QStringLiteral("dropRouter")),
                          SIGNAL(folderJobRequested(QUrl)));
    QCOMPARE(
        m_app.find<QObject>(QStringLiteral("folderDialog"))->property("acceptLabel").toString(),
        QStringLiteral("Select PNG Folder"));
    m_app.click(QStringLiteral("dropZone"));
    QTRY_VERIFY(folderChooserUp());
    closeFolderChooser();
    // Cancelling starts nothing.
    QVERIFY(!m_app.engine()->isJobRunning());
}

void MainWindowTest::keyboardOpensFolderChooser() {
    QQuickItem *zone = m_app.item(QStringLiteral("dropZone"));
    QVERIFY(zone->property("activeFocusOnTab").toBool());
    QAccessible::setActive(true);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(zone);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name),
             QStringLiteral("Drop image sequence folder here"));
    QCOMPARE(accessible->text(QAccessible::Description),
             QStringLiteral("PNG · JPG · TIFF · TGA · BMP  ·  or click to browse"));
    // Tab moves focus through the window until it reaches the zone.
    for (int i = 0; i < 5 && !zone->hasActiveFocus(); ++i)
        QTest::keyClick(m_app.window(), Qt::Key_Tab);
    QVERIFY(zone->hasActiveFocus());
    QTest::keyClick(m_app.window(), Qt::Key_Space);
    QTRY_VERIFY(folderChooserUp());
    closeFolderChooser();
}

void MainWindowTest::clickWhileConvertingDoesNothing() {
    setConverting(QStringLiteral("Found 3 frames…"), 0.05);
    m_app.click(QStringLiteral("dropZone"));
    QTest::keyClick(m_app.window(), Qt::Key_Space);
    QTest::qWait(200);
    QVERIFY(!m_app.find<QObject>(QStringLiteral("folderDialog"))->property("visible").toBool());
}

void MainWindowTest::settingsButtonPresentsSheet() {
    QObject *content = m_app.find<QObject>(QStringLiteral("contentView"));
    auto *sheet = m_app.find<QQuickWindow>(QStringLiteral("settingsView"));
    QVERIFY(sheet);
    QVERIFY(!sheet->isVisible());
    m_app.click(QStringLiteral("settingsButton"));
    QVERIFY(content->property("showSettings").toBool());
    QTRY_VERIFY(sheet->isVisible());
    QCOMPARE(sheet->transientParent(), m_app.window());
    QCOMPARE(sheet->property("engine").value<QObject *>(), m_app.engine());

    // Closing the sheet writes false back.
    sheet->close();
    QTRY_VERIFY(!content->property("showSettings").toBool());
    QVERIFY(!sheet->isVisible());
}

void MainWindowTest::logoFollowsAppearance() {
    const QQuickItem *logo = m_app.item(QStringLiteral("logoImage"));
    QVERIFY(logo);
    QCOMPARE(QSizeF(logo->width(), logo->height()), QSizeF(108, 24));
    QVERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo.svg")));
    QTRY_COMPARE(logo->property("status").toInt(), 1); // Image.Ready

    Appearance::instance()->setPortalColorScheme(1);
    QVERIFY(Appearance::instance()->isDark());
    QVERIFY(QGuiApplication::palette().color(QPalette::Window).lightness() < 128);
    logo = m_app.item(QStringLiteral("logoImage"));
    QVERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo-dark.svg")));
    QTRY_COMPARE(logo->property("status").toInt(), 1);

    Appearance::instance()->setPortalColorScheme(2);
    QVERIFY(!Appearance::instance()->isDark());
    QVERIFY(QGuiApplication::palette().color(QPalette::Window).lightness() >= 128);
    QVERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo.svg")));

    // The large form in the drop zone is the symbol, never a logo file.
    const QQuickItem *brand = m_app.item(QStringLiteral("dropZoneBrand"))
                                  ->findChild<QQuickItem *>(QStringLiteral("brandSymbol"));
    QCOMPARE(QSizeF(brand->width(), brand->height()), QSizeF(64, 64));
    QVERIFY(brand->property("source").toUrl().toString().startsWith(
        QLatin1String("image://symbol/photo")));
    QCOMPARE(brand->opacity(), 0.8);
}

void MainWindowTest::missingDarkLogoLeavesEmptyArea() {
    m_app.unload();
    // Resources with every file but the dark logo.
    const auto prefix = TestEnvironment::freshFolder(QStringLiteral("prefix"));
    const auto resources = prefix / LOOMFIN_DATA_SUBDIR;
    std::filesystem::create_directories(resources.parent_path());
    std::filesystem::copy(AppResources::folder(), resources,
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(resources / "logo-dark.svg");
    const auto original = AppResources::folder().parent_path().parent_path() / "bin";
    AppResources::configureFromExecutableFolder(prefix / "bin");
    Appearance::instance()->setPortalColorScheme(1);

    const bool loaded = m_app.load();
    AppResources::configureFromExecutableFolder(original);
    QVERIFY(loaded);
    const QQuickItem *logo = m_app.item(QStringLiteral("logoImage"));
    QVERIFY(logo->property("source").toUrl().isEmpty());
    QCOMPARE(QSizeF(logo->width(), logo->height()), QSizeF(108, 24));
    QCOMPARE(m_app.text(QStringLiteral("dropZoneTitle")),
             QStringLiteral("Drop image sequence folder here"));
    QVERIFY(m_app.stripHidden(QStringLiteral("errorBanner")));
}

void MainWindowTest::darkAppearanceDrawsDark() {
    const auto lightness = [this](const QString &objectName) {
        const QImage shot = m_app.window()->grabWindow();
        const QQuickItem *at = m_app.item(objectName);
        const QPoint p = at->mapToScene(QPointF(2, 2)).toPoint() * shot.devicePixelRatio();
        return shot.pixelColor(p).lightness();
    };
    QVERIFY(lightness(QStringLiteral("footer")) > 160);

    Appearance::instance()->setPortalColorScheme(1);
    QTRY_VERIFY(lightness(QStringLiteral("footer")) < 90);
    // Texts follow: the title is drawn light on the dark window.
    const QColor title =
        m_app.item(QStringLiteral("dropZoneTitle"))->property("color").value<QColor>();
    QVERIFY(title.lightness() > 160);
    m_app.engine()->setErrorMessage(QStringLiteral("gifsicle failed: exit 1"));
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("errorBanner")));
    // Kept for a look when the test is run by hand.
    m_app.window()->grabWindow().save(
        QString::fromStdString((TestEnvironment::root() / "dark.png").string()));
}

QTEST_MAIN(MainWindowTest)
#include "tst_ui_window.moc"
