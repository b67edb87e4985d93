#include "Appearance.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QSignalSpy>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
const QString idleTitle = u"Drop image sequence folder here"_s;
const QString idleHint = u"PNG · JPG · TIFF · TGA · BMP  ·  or click to browse"_s;
const QString stage = u"Generating colour palette…"_s;
enum Report { Stages, Completion, Failure };

// A failure text wider than the window, with a line break of its own.
const QString longError = u"Missing required tools: ffmpeg + gifsicle.\n"_s +
                          u"/a/very/long/path/without/any/spaces"_s.repeated(12);

// The standard name of a finished GIF.
const QString standardName = u"animation_20261206T143027.gif"_s;

// A visible button with this text under the item (a dialog's accept button).
QQuickItem *buttonShown(QQuickItem *item, const QString &text) {
    if (!item->isVisible())
        return nullptr;
    if (item->inherits("QQuickAbstractButton") && item->property("text") == text)
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *found = buttonShown(child, text))
            return found;
    }
    return nullptr;
}

// Receives what QDesktopServices would open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(u"file"_s, this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(u"file"_s); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};
} // namespace

// The main window over its own engine: what shows in each engine state,
// the footer, the result panel's actions, the spinner and the folder chooser.
class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MainWindowHarness::prepare(); }
    void init() { QVERIFY(m_app.load()); }
    void cleanup() {
        m_app.unload();
        Appearance::instance()->setPortalColorScheme(0);
    }

    void presence_data() {
        QTest::addColumn<QList<int>>("reports");
        QTest::addColumn<bool>("progressStrip");
        QTest::addColumn<bool>("errorBanner");
        QTest::addColumn<bool>("resultPanel");

        QTest::newRow("idle") << QList<int>{} << false << false << false;
        QTest::newRow("converting") << QList<int>{Stages} << true << false << false;
        QTest::newRow("converting after a result")
            << QList<int>{Completion, Stages} << true << false << false;
        QTest::newRow("finished") << QList<int>{Stages, Completion} << false << false << true;
        QTest::newRow("failed") << QList<int>{Stages, Failure} << false << true << false;
        QTest::newRow("failed after a result")
            << QList<int>{Completion, Stages, Failure} << false << true << true;
    }
    void presence() {
        QFETCH(QList<int>, reports);
        QFETCH(bool, progressStrip);
        QFETCH(bool, errorBanner);
        QFETCH(bool, resultPanel);
        for (int kind : reports)
            report(Report(kind));

        QTRY_VERIFY(m_app.strip("progressStrip", progressStrip));
        QTRY_VERIFY(m_app.strip("errorBanner", errorBanner));
        QTRY_VERIFY(m_app.strip("resultStrip", resultPanel));
        for (const char *always : {"header", "dropZone", "footer"})
            QVERIFY2(m_app.item(always)->isVisible(), always);

        // While converting the zone shows the latest stage and takes no clicks.
        const bool busy = progressStrip;
        QCOMPARE(m_app.text("dropZoneTitle"), busy ? stage : idleTitle);
        QCOMPARE(m_app.text("dropZoneHint"), busy ? QString() : idleHint);
        QCOMPARE(m_app.item("spinner")->isVisible(), busy);
        QCOMPARE(m_app.item("dropZoneBrand")->isVisible(), !busy);
        QCOMPARE(m_app.item("dropZone")->isEnabled(), !busy);
        if (busy) {
            QCOMPARE(m_app.text("progressText"), stage);
            QCOMPARE(m_app.property("progressBar", "value").toDouble(), 0.2);
        }
        if (errorBanner) {
            // The whole text wraps, inside the banner and the window.
            const QQuickItem *text = m_app.item("errorText");
            QCOMPARE(text->property("text").toString(), longError);
            QVERIFY(text->property("lineCount").toInt() >= 4 &&
                    !text->property("truncated").toBool());
            const QRectF textRect = text->mapRectToScene(text->boundingRect());
            const QQuickItem *banner = m_app.item("errorBanner");
            QVERIFY(banner->mapRectToScene(banner->boundingRect()).contains(textRect));
            QVERIFY(textRect.right() <= 460);
        }
        if (errorBanner && resultPanel) {
            // The earlier result returns below the banner, with an empty second line.
            QVERIFY(m_app.item("resultStrip")->y() > m_app.item("errorBanner")->y());
            QCOMPARE(m_app.text("resultFileName"), u"earlier.gif"_s);
            QCOMPARE(m_app.text("resultStatus"), QString());
        }

        // The window keeps its width; its height follows the content exactly.
        QQuickWindow *w = m_app.window();
        const int height = qCeil(m_app.item("contentView")->implicitHeight());
        QTRY_COMPARE(w->size(), QSize(480, height));
        QCOMPARE(w->minimumSize(), w->size());
        QCOMPARE(w->maximumSize(), w->size());
    }
    // The footer follows the engine's settings (its rules: tst_settings_texts).
    void footer() {
        QCOMPARE(m_app.text("settingsSummary"), u"15 fps · 600px · 256 colors · ∞ loop"_s);
        m_app.engine()->setFrameSkip(3);
        m_app.engine()->setLoopCount(2);
        m_app.engine()->setFps(12.9);
        QCOMPARE(m_app.text("settingsSummary"),
                 u"12 fps · 600px · 256 colors · skip 3× · 2× loop"_s);
        m_app.engine()->setFrameSkip(1); // the store is shared
        m_app.engine()->setLoopCount(0);
        m_app.engine()->setFps(15);
    }

    // The panel's texts: the standard name whole, a longer one cut in the
    // middle, the completion text wrapped between words inside the panel.
    void resultPanelTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cut");
        QTest::newRow("standard") << standardName << false;
        QTest::newRow("long") << u"animation_"_s + QString(120, u'x') + u".gif"_s << true;
    }
    void resultPanelTexts() {
        QFETCH(QString, name);
        QFETCH(bool, cut);
        report(Completion, name);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QCOMPARE(m_app.text("resultFileName"), name);
        QCOMPARE(m_app.text("resultStatus"), u"Done — "_s + name + u" (1 KB)"_s);
        const QQuickItem *fileName = m_app.item("resultFileName");
        QCOMPARE(fileName->property("lineCount").toInt(), 1);
        QCOMPARE(fileName->property("truncated").toBool(), cut);
        // A standard name fits the status line's width too, so that line
        // breaks only between words.
        const QQuickItem *status = m_app.item("resultStatus");
        const QFontMetricsF metrics(status->property("font").value<QFont>());
        QCOMPARE(metrics.horizontalAdvance(name) <= status->width(), !cut);
        QVERIFY(!status->property("truncated").toBool());
        const QQuickItem *panel = m_app.item("resultView");
        for (const char *part :
             {"resultFileName", "resultStatus", "showInFolderButton", "convertAnotherButton"}) {
            const QQuickItem *i = m_app.item(part);
            QVERIFY2(panel->boundingRect().contains(i->mapRectToItem(panel, i->boundingRect())),
                     part);
        }
        // Both buttons alike: same height, same baseline.
        const QQuickItem *show = m_app.item("showInFolderButton");
        const QQuickItem *another = m_app.item("convertAnotherButton");
        QCOMPARE(show->height(), another->height());
        QCOMPARE(show->mapToScene({0, show->height()}).y(),
                 another->mapToScene({0, another->height()}).y());

        // The second line follows the engine; the first keeps the file's name.
        m_app.engine()->setStatusMessage(u"something else"_s);
        QCOMPARE(m_app.text("resultStatus"), u"something else"_s);
        QCOMPARE(m_app.text("resultFileName"), name);
        // Emptied by a later failure: the name alone, centred in the panel.
        m_app.engine()->setStatusMessage(QString());
        QVERIFY(!status->isVisible());
        QTRY_VERIFY(qAbs(fileName->mapToItem(panel, {0, fileName->height() / 2}).y() -
                         panel->height() / 2) <= 0.5);
    }

    // Every button of the window, pressed as a screen reader, Return or
    // Enter does it. (The sheet's buttons: tst_ui_settings.)
    void pressButtons_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("way"); // 0 accessible press, else the key
        for (const char *button : {"settingsButton", "showInFolderButton", "convertAnotherButton"})
            for (int way : {0, int(Qt::Key_Return), int(Qt::Key_Enter)})
                QTest::addRow("%s %s", button,
                              way == 0                ? "press"
                              : way == Qt::Key_Return ? "Return"
                                                      : "Enter")
                    << QByteArray(button) << way;
    }
    void pressButtons() {
        QFETCH(QByteArray, button);
        QFETCH(int, way);
        OpenedUrls opened; // no file manager on this bus: the folder opens
        report(Completion, standardName);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QQuickItem *pressed = m_app.item(button.constData());
        if (way == 0) {
            QVERIFY(MainWindowHarness::pressAccessibly(pressed));
        } else {
            pressed->forceActiveFocus(Qt::TabFocusReason);
            QTest::keyClick(m_app.window(), Qt::Key(way));
        }

        const ConverterEngine *e = m_app.engine();
        if (button == "settingsButton") {
            QVERIFY(m_app.property("contentView", "showSettings").toBool());
            QTRY_VERIFY(m_app.find<QQuickWindow>("settingsView")->isVisible());
        } else if (button == "showInFolderButton") {
            QTRY_COMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(u"/tmp/out"_s)});
            QVERIFY(m_app.strip("resultStrip", true));
        } else {
            // "Convert Another" clears the result and nothing else.
            QVERIFY(e->lastOutputURL().isEmpty());
            QCOMPARE(e->statusMessage(), QString());
            QCOMPARE(e->progress(), 1.0);
            QVERIFY(e->errorMessage().isNull());
            QTRY_VERIFY(m_app.strip("resultStrip", false));
            // Focus goes on to the drop zone, which takes the next Space.
            QVERIFY(m_app.item("dropZone")->hasActiveFocus());
            QTest::keyClick(m_app.window(), Qt::Key_Space);
            QTRY_VERIFY(m_app.property("folderChooser", "opened").toBool());
            QMetaObject::invokeMethod(m_app.property("folderChooser", "dialog").value<QObject *>(),
                                      "reject");
        }
    }

    // What a screen reader reads of the progress strip.
    void progressReadable() {
        report(Stages);
        QAccessible::setActive(true);
        QAccessibleInterface *bar =
            QAccessible::queryAccessibleInterface(m_app.item("progressBar"));
        QCOMPARE(bar->role(), QAccessible::ProgressBar);
        QCOMPARE(bar->text(QAccessible::Name), u"Conversion progress"_s);
        QCOMPARE(bar->text(QAccessible::Description), u"20%"_s);
    }

    // A stage text of two lines breaks near its middle and leaves the
    // picture where it was.
    void dropZoneStages() {
        const auto pictureAt = [this] {
            return m_app.item("picture")->mapToScene({0, 0});
        };
        const QPointF idle = pictureAt();
        report(Stages);
        QCOMPARE(pictureAt(), idle);
        const QString longStage = u"Using 100000 of 200000 frames (every 2nd)…"_s;
        m_app.engine()->postStatus(longStage, 0.05);
        QTRY_COMPARE(m_app.text("dropZoneTitle"), longStage);
        QCOMPARE(pictureAt(), idle);
        const QQuickItem *title = m_app.item("dropZoneTitle");
        QVERIFY(title->property("lineCount").toInt() <= 2 &&
                !title->property("truncated").toBool());
        if (title->property("lineCount").toInt() == 2) {
            const QFontMetricsF metrics(title->property("font").value<QFont>());
            QVERIFY(title->width() < metrics.horizontalAdvance(longStage) * 0.7);
        }
    }

    // Symbols are drawn at the size they are shown, for the screen's pixels.
    void symbolsSharp() {
        report(Stages);
        report(Failure);
        QTRY_VERIFY(m_app.strip("errorBanner", true));
        QList<QQuickItem *> symbols;
        for (QQuickItem *i : m_app.window()->findChildren<QQuickItem *>()) {
            if (i->property("source").toString().startsWith(u"image://symbol/"_s) && i->isVisible())
                symbols << i;
        }
        QVERIFY(symbols.size() >= 3);
        const qreal ratio = m_app.window()->devicePixelRatio();
        for (const QQuickItem *i : symbols)
            QCOMPARE(i->property("sourceSize").toSize(), (i->size() * ratio).toSize());
    }

    void spinnerTurnsAndRestartsFromZero() {
        QCOMPARE(spinAngle(), 0.0);
        report(Stages);
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY(spinAngle() > 0);
        QCOMPARE(m_app.item("spinner")->rotation(), spinAngle());

        // Constant speed: the angle is the elapsed time at 360° per second.
        QTest::qWait(400);
        const double angle = spinAngle();
        const double diff = std::abs(angle - std::fmod(clock.elapsed() * 0.36, 360.0));
        QVERIFY2(std::min(diff, 360 - diff) < 60, qPrintable(QString::number(angle)));

        report(Failure);
        QCOMPARE(spinAngle(), 0.0);
        QTest::qWait(100);
        QCOMPARE(spinAngle(), 0.0);
        // The next job starts from 0 again.
        report(Stages);
        QVERIFY(spinAngle() < 30);
        QTRY_VERIFY(spinAngle() > 0);
    }
    // Qt's own chooser (no desktop one here) in a window big enough to use,
    // opening in the documents folder, else home, then where it was last.
    void folderChooser() {
        QVERIFY(QDir().mkpath(QDir::homePath() + u"/Documents/shots"_s));
        QAccessible::setActive(true); // a screen reader is running
        m_app.click("dropZone");
        auto *host = chooserPart<QQuickWindow>("folderChooserWindow");
        QObject *dialog = m_app.property("folderChooser", "dialog").value<QObject *>();
        QQuickItem *accept = nullptr;
        QTRY_VERIFY((accept = buttonShown(host->contentItem(), u"Select PNG Folder"_s)));
        QVERIFY(!buttonShown(m_app.window()->contentItem(), u"Select PNG Folder"_s));
        QCOMPARE(host->transientParent(), m_app.window());
        QVERIFY(host->width() >= 600 && host->height() >= 420);
        const QUrl documents = QUrl::fromLocalFile(QDir::homePath() + u"/Documents"_s);
        QCOMPARE(dialog->property("currentFolder").toUrl(), documents);

        // Chosen through assistive tools: the folder's job starts.
        const QUrl shots = QUrl::fromLocalFile(QDir::homePath() + u"/Documents/shots"_s);
        dialog->setProperty("currentFolder", shots);
        dialog->setProperty("selectedFolder", shots);
        QVERIFY(MainWindowHarness::pressAccessibly(accept));
        QTRY_VERIFY(!host->isVisible());
        QTRY_COMPARE(m_app.engine()->errorMessage().isEmpty(), false); // no frames there
        // The next time it opens there, and cancelling starts nothing.
        m_app.engine()->clearResult();
        m_app.click("dropZone");
        QTRY_VERIFY(host->isVisible());
        dialog = m_app.property("folderChooser", "dialog").value<QObject *>();
        QCOMPARE(dialog->property("currentFolder").toUrl(), shots);
        QSignalSpy started(m_app.engine(), &ConverterEngine::isConvertingChanged);
        QQuickItem *cancel = buttonShown(host->contentItem(), u"Cancel"_s);
        // Tab from the last button comes back to the folder list.
        cancel->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(host, Qt::Key_Tab);
        QQuickItem *focused = host->activeFocusItem();
        while (focused && focused->objectName() != u"fileDialogListView"_s)
            focused = focused->parentItem();
        QVERIFY(focused);
        QVERIFY(cancel && MainWindowHarness::pressAccessibly(cancel));
        QTRY_VERIFY(!host->isVisible());
        QTest::qWait(100);
        QCOMPARE(started.count(), 0);
        QVERIFY(!m_app.engine()->isJobRunning());
    }
    void tabAndSpaceOpenFolderChooser() {
        QQuickItem *zone = m_app.item("dropZone");
        for (int i = 0; i < 5 && !zone->hasActiveFocus(); ++i)
            QTest::keyClick(m_app.window(), Qt::Key_Tab);
        QVERIFY(zone->hasActiveFocus());
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTRY_VERIFY(m_app.property("folderChooser", "opened").toBool());
        QMetaObject::invokeMethod(m_app.property("folderChooser", "dialog").value<QObject *>(),
                                  "reject");
    }
    void clickWhileConvertingDoesNothing() {
        report(Stages);
        m_app.click("dropZone");
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTest::qWait(200);
        QVERIFY(!m_app.property("folderChooser", "opened").toBool());
    }
    void settingsButtonPresentsSheet() {
        QObject *content = m_app.find("contentView");
        auto *sheet = m_app.find<QQuickWindow>("settingsView");
        QVERIFY(!sheet->isVisible());
        m_app.click("settingsButton");
        QVERIFY(content->property("showSettings").toBool());
        QTRY_VERIFY(sheet->isVisible());
        QCOMPARE(sheet->transientParent(), m_app.window());
        QCOMPARE(sheet->property("engine").value<ConverterEngine *>(), m_app.engine());
        // Closing the sheet writes false back.
        sheet->close();
        QTRY_VERIFY(!content->property("showSettings").toBool());
    }
    void appearanceSwitchesLogoAndColours() {
        const auto logo = [this] {
            return m_app.property("logoImage", "source").toUrl().fileName();
        };
        const auto footerLightness = [this] {
            const QImage shot = m_app.window()->grabWindow();
            const QPoint p = m_app.item("footer")->mapToScene(QPointF(2, 2)).toPoint();
            return shot.pixelColor(p * shot.devicePixelRatio()).lightness();
        };
        const QQuickItem *logoItem = m_app.item("logoImage");
        QCOMPARE(logoItem->size(), QSizeF(108, 24));
        QCOMPARE(logo(), u"logo.svg"_s);
        QTRY_COMPARE(m_app.property("logoImage", "status").toInt(), 1); // Image.Ready

        Appearance::instance()->setPortalColorScheme(1);
        QCOMPARE(logo(), u"logo-dark.svg"_s);
        QTRY_COMPARE(m_app.property("logoImage", "status").toInt(), 1);
        QTRY_VERIFY(footerLightness() < 90);

        Appearance::instance()->setPortalColorScheme(2);
        QCOMPARE(logo(), u"logo.svg"_s);
        QTRY_VERIFY(footerLightness() > 160);

        // The large form in the drop zone is the symbol, never a logo file.
        const auto *brand = m_app.item("dropZoneBrand")->findChild<QQuickItem *>(u"brandSymbol"_s);
        QVERIFY(brand->property("source").toString().startsWith(u"image://symbol/photo"_s));
    }
    void missingDarkLogoLeavesEmptyArea() {
        m_app.unload();
        // Resources with every file but the dark logo.
        const auto prefix = TestEnvironment::freshFolder(u"prefix"_s);
        const auto resources = prefix / LOOMFIN_DATA_SUBDIR;
        std::filesystem::create_directories(resources.parent_path());
        std::filesystem::copy(AppResources::folder(), resources,
                              std::filesystem::copy_options::recursive);
        std::filesystem::remove(resources / "logo-dark.svg");
        AppResources::configureFromExecutableFolder(prefix / "bin");
        Appearance::instance()->setPortalColorScheme(1);
        const bool loaded = m_app.load();
        AppResources::configureFromExecutableFolder(
            QCoreApplication::applicationDirPath().toStdString());
        QVERIFY(loaded);

        QVERIFY(m_app.property("logoImage", "source").toUrl().isEmpty());
        QCOMPARE(m_app.item("logoImage")->size(), QSizeF(108, 24));
        QCOMPARE(m_app.text("dropZoneTitle"), idleTitle);
    }

private:
    // A job's report, applied on the main thread as the engine applies it.
    void report(Report kind, const QString &fileName = u"earlier.gif"_s) {
        ConverterEngine *e = m_app.engine();
        if (kind == Stages) {
            e->postStatus(u"Found 3 frames…"_s, 0.05);
            e->postStatus(stage, 0.2);
        } else if (kind == Completion) {
            e->postCompletion(QUrl::fromLocalFile(u"/tmp/out/"_s + fileName), u"1 KB"_s);
        } else {
            e->postFailure(longError);
        }
        QCoreApplication::processEvents();
    }
    double spinAngle() const { return m_app.property("dropZone", "spinAngle").toDouble(); }
    // The drop zone's folder chooser's dialog and window.
    template<typename T = QObject> T *chooserPart(const char *name) const {
        return m_app.find("folderChooser")->findChild<T *>(QLatin1String(name));
    }

    MainWindowHarness m_app;
};

QTEST_MAIN(MainWindowTest)
#include "tst_ui_window.moc"
