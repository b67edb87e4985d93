#include "Appearance.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
const QString idleTitle = u"Drop image sequence folder here"_s;
const QString idleHint = u"PNG · JPG · TIFF · TGA · BMP  ·  or click to browse"_s;
const QString stage = u"Generating colour palette…"_s;
enum Report { Stages, Completion, Failure };

// The settings the footer sums up.
struct Settings {
    double fps, width, maxColors;
    qint64 frameSkip, loopCount;
    void applyTo(ConverterEngine *e) const {
        e->setFps(fps);
        e->setWidth(width);
        e->setMaxColors(maxColors);
        e->setFrameSkip(frameSkip);
        e->setLoopCount(loopCount);
    }
};

// A failure text wider than the window, with a line break of its own.
const QString longError = u"Missing required tools: ffmpeg + gifsicle.\n"_s +
                          u"/a/very/long/path/without/any/spaces"_s.repeated(12);

// The folder dialog really loaded: its accept button is on screen.
bool acceptButtonShown(QQuickItem *item) {
    const auto children = item->childItems();
    return item->isVisible() && ((item->inherits("QQuickAbstractButton") &&
                                  item->property("text") == u"Select PNG Folder"_s) ||
                                 std::any_of(children.begin(), children.end(), acceptButtonShown));
}
} // namespace

Q_DECLARE_METATYPE(Settings)

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
    // The footer reads the engine's settings as they change.
    void footer_data() {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        const qint64 maxInt = std::numeric_limits<qint64>::max();
        const qint64 minInt = std::numeric_limits<qint64>::min();

        QTest::newRow("defaults") << Settings{15, 600, 256, 1, 0}
                                  << u"15 fps · 600px · 256 colors · ∞ loop"_s;
        QTest::newRow("skip 2 shows, one loop")
            << Settings{15, 600, 256, 2, 1} << u"15 fps · 600px · 256 colors · skip 2× · 1× loop"_s;
        QTest::newRow("skip 0 and negative hidden")
            << Settings{15, 600, 256, -4, 0} << u"15 fps · 600px · 256 colors · ∞ loop"_s;
        QTest::newRow("truncated, not rounded")
            << Settings{12.9, 640.9, 2.99, 3, 2}
            << u"12 fps · 640px · 2 colors · skip 3× · 2× loop"_s;
        QTest::newRow("negatives")
            << Settings{-5.7, -0.5, 2, 1, -1} << u"-5 fps · 0px · 2 colors · -1× loop"_s;
        QTest::newRow("not finite")
            << Settings{inf, -inf, std::numeric_limits<double>::quiet_NaN(), 1, 0}
            << u"∞ fps · -∞px · NaN colors · ∞ loop"_s;
        QTest::newRow("beyond the integer range")
            << Settings{1e300, 9.3e18, 256, maxInt, minInt}
            << u"%1 fps · 9300000000000000000px · 256 colors · skip %2× · %3× loop"_s
                   .arg(QString::number(1e300, 'f', 0))
                   .arg(maxInt)
                   .arg(minInt);
    }
    void footer() {
        QFETCH(Settings, settings);
        QFETCH(QString, expected);
        settings.applyTo(m_app.engine());
        QCOMPARE(m_app.text("settingsSummary"), expected);
        Settings{15, 600, 256, 1, 0}.applyTo(m_app.engine()); // the store is shared
    }
    void resultPanelAndConvertAnother() {
        const QString name = u"animation_"_s + QString(120, u'x') + u".gif"_s;
        report(Completion, name);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QCOMPARE(m_app.text("resultFileName"), name);
        QCOMPARE(m_app.text("resultStatus"), u"Done — "_s + name + u" (1 KB)"_s);
        QCOMPARE(m_app.text("showInFolderButton"), u"Show in Folder"_s);
        QCOMPARE(m_app.text("convertAnotherButton"), u"Convert Another"_s);

        // A long name is cut to one line; the completion text wraps inside the panel.
        const QQuickItem *fileName = m_app.item("resultFileName");
        QCOMPARE(fileName->property("lineCount").toInt(), 1);
        QVERIFY(fileName->property("truncated").toBool());
        const QQuickItem *second = m_app.item("resultStatus");
        QVERIFY(second->property("lineCount").toInt() > 1 &&
                !second->property("truncated").toBool());
        const QQuickItem *panel = m_app.item("resultView");
        QVERIFY(
            panel->boundingRect().contains(second->mapRectToItem(panel, second->boundingRect())));

        // The second line follows the engine; the first keeps the file's name.
        m_app.engine()->setStatusMessage(u"something else"_s);
        QCOMPARE(m_app.text("resultStatus"), u"something else"_s);
        QCOMPARE(m_app.text("resultFileName"), name);

        // "Convert Another" clears the result and nothing else.
        m_app.click("convertAnotherButton");
        const ConverterEngine *e = m_app.engine();
        QVERIFY(e->lastOutputURL().isEmpty());
        QCOMPARE(e->statusMessage(), QString());
        QCOMPARE(e->progress(), 1.0);
        QVERIFY(e->errorMessage().isNull());
        QTRY_VERIFY(m_app.strip("resultStrip", false));
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
    void clickOpensFolderChooser() {
        QSignalSpy folderJobs(m_app.find("dropRouter"), SIGNAL(folderJobRequested(QUrl)));
        m_app.click("dropZone");
        QObject *dialog = m_app.find("folderDialog");
        QTRY_VERIFY(dialog->property("visible").toBool() &&
                    acceptButtonShown(m_app.window()->contentItem()));
        QMetaObject::invokeMethod(dialog, "reject");
        QTRY_VERIFY(!dialog->property("visible").toBool());
        QCOMPARE(folderJobs.count(), 0); // cancelling starts nothing
    }
    void tabAndSpaceOpenFolderChooser() {
        QQuickItem *zone = m_app.item("dropZone");
        for (int i = 0; i < 5 && !zone->hasActiveFocus(); ++i)
            QTest::keyClick(m_app.window(), Qt::Key_Tab);
        QVERIFY(zone->hasActiveFocus());
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTRY_VERIFY(m_app.property("folderDialog", "visible").toBool());
        QMetaObject::invokeMethod(m_app.find("folderDialog"), "reject");
    }
    void clickWhileConvertingDoesNothing() {
        report(Stages);
        m_app.click("dropZone");
        QTest::keyClick(m_app.window(), Qt::Key_Space);
        QTest::qWait(200);
        QVERIFY(!m_app.property("folderDialog", "visible").toBool());
    }
    void settingsButtonPresentsSheet() {
        QObject *content = m_app.find("contentView");
        auto *sheet = m_app.find<QQuickWindow>("settingsView");
        QVERIFY(!sheet->isVisible());
        m_app.click("settingsButton");
        QVERIFY(content->property("showSettings").toBool());
        QTRY_VERIFY(sheet->isVisible());
        QCOMPARE(sheet->transientParent(), m_app.window());
        QCOMPARE(sheet->property("engine").value<QObject *>(), m_app.engine());
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

    MainWindowHarness m_app;
};

QTEST_MAIN(MainWindowTest)
#include "tst_ui_window.moc"
