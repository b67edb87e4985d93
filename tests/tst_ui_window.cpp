// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFontMetricsF>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {
const QString stage = u"Generating colour palette…"_s;
const QString standardName = u"animation_20261206T143027.gif"_s;
enum Report { Stages, Completion, Failure };

// A visible button with this text among the item's visible descendants.
QQuickItem *buttonShown(QQuickItem *item, const QString &text) {
    if (item->inherits("QQuickAbstractButton") && item->property("text") == text)
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *found = child->isVisible() ? buttonShown(child, text) : nullptr)
            return found;
    }
    return nullptr;
}
} // namespace

// The main window over its own engine: what shows in each engine state, the
// footer, the result panel and its buttons, the spinner, the folder chooser.
class MainWindowTest : public QObject {
    Q_OBJECT

    MainWindowHarness m_app;
    QList<QUrl> m_opened;

    // A job's report, applied on the main thread as the engine applies it.
    void report(Report kind) {
        const QUrl output = QUrl::fromLocalFile(u"/tmp/out/"_s + standardName);
        if (kind == Stages)
            m_app.engine()->postStatus(stage, 0.2);
        else if (kind == Completion)
            m_app.engine()->postCompletion(output, u"1 KB"_s);
        else
            m_app.engine()->postFailure(u"Missing required tools: ffmpeg + gifsicle."_s);
        QCoreApplication::processEvents();
    }
    double spinAngle() const { return m_app.property("dropZone", "spinAngle").toDouble(); }

public slots:
    void open(const QUrl &url) { m_opened.append(url); } // what QDesktopServices would open

private slots:
    void initTestCase() {
        MainWindowHarness::prepare();
        QDesktopServices::setUrlHandler(u"file"_s, this, "open");
        // A file manager that opens folders, though not on the bus.
        TestEnvironment::addDesktopEntry(qEnvironmentVariable("XDG_DATA_HOME").toStdString(),
                                         u"files.desktop"_s,
                                         u"[Desktop Entry]\nType=Application\nName=Files\n"
                                         "Exec=true %U\nMimeType=inode/directory;\n"_s);
    }
    void init() { QVERIFY(m_app.load()); }
    void cleanup() { m_app.unload(); }

    void presence_data() {
        QTest::addColumn<QList<int>>("reports");
        QTest::addColumn<QString>("strips"); // those shown
        QTest::newRow("idle") << QList<int>{} << u""_s;
        QTest::newRow("converting") << QList<int>{Stages} << u"progressStrip"_s;
        QTest::newRow("finished") << QList<int>{Stages, Completion} << u"resultStrip"_s;
        QTest::newRow("failed after a result")
            << QList<int>{Completion, Stages, Failure} << u"errorBanner resultStrip"_s;
    }
    void presence() {
        QFETCH(QList<int>, reports);
        QFETCH(QString, strips);
        for (int kind : reports)
            report(Report(kind));
        for (const char *strip : {"progressStrip", "errorBanner", "resultStrip"})
            QTRY_VERIFY2(m_app.strip(strip, strips.contains(QLatin1String(strip))), strip);
        // While converting the drop zone shows the stage and takes no clicks
        // and no Tab; a screen reader hears a button named by its title, and
        // the progress as a percentage.
        const bool converting = strips.contains(u"progressStrip"_s);
        const QString title = converting ? stage : u"Drop image sequence folder here"_s;
        QCOMPARE(m_app.text("dropZoneTitle"), title);
        QAccessible::setActive(true);
        const auto *zone = QAccessible::queryAccessibleInterface(m_app.item("dropZone"));
        QCOMPARE(zone->role(), QAccessible::Button);
        QCOMPARE(zone->text(QAccessible::Name), title);
        const auto *progress = QAccessible::queryAccessibleInterface(m_app.item("progressBar"));
        if (converting)
            QCOMPARE(progress->text(QAccessible::Name) + u' ' +
                         progress->text(QAccessible::Description),
                     u"Conversion progress 20%"_s);
        m_app.item("settingsButton")->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(m_app.window(), Qt::Key_Tab);
        QCOMPARE(m_app.item("dropZone")->hasActiveFocus(), !converting);
        m_app.click("dropZone");
        QCOMPARE(m_app.property("folderChooser", "opened").toBool(), !converting);
    }

    // The footer follows the engine's settings (its rules: tst_settings_texts).
    void footer() {
        m_app.engine()->setLoopCount(2);
        QCOMPARE(m_app.text("settingsSummary"), u"15 fps · 600px · 256 colors · 2× loop"_s);
    }

    // The German catalogue reaches the window: its texts, the footer's and a
    // result's (the command line's: tst_cli).
    void german() {
        m_app.unload();
        const auto backToEnglish =
            qScopeGuard([] { Translations::install(QLocale(QLocale::English)); });
        Translations::install(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(m_app.load());
        m_app.engine()->setLoopCount(0);
        report(Completion);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QStringList shown;
        for (const char *name : {"settingsButton", "dropZoneTitle", "dropZoneHint", "resultStatus",
                                 "showInFolderButton", "convertAnotherButton", "settingsSummary"})
            shown << m_app.text(name);
        QCOMPARE(
            shown,
            (QStringList{u"Einstellungen"_s, u"Ordner mit Bildfolge hier ablegen"_s,
                         u"PNG · JPG · TIFF · TGA · BMP  ·  oder klicken zum Auswählen"_s,
                         u"Fertig — "_s + standardName + u" (1 KB)"_s, u"Im Ordner zeigen"_s,
                         u"Weitere umwandeln"_s, u"15 fps · 600 px · 256 Farben · ∞ Schleife"_s}));
    }

    // A standard file name shows whole; the completion text breaks between words.
    void resultPanel() {
        report(Completion);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QCOMPARE(m_app.text("resultFileName"), standardName);
        QVERIFY(!m_app.property("resultFileName", "truncated").toBool());
        // The completion text wraps as a paragraph wrapped between words does.
        const QQuickItem *status = m_app.item("resultStatus");
        const QRectF paragraph =
            QFontMetricsF(status->property("font").value<QFont>())
                .boundingRect(QRectF(0, 0, status->width(), 1000), Qt::TextWordWrap,
                              u"Done — "_s + standardName + u" (1 KB)"_s);
        QCOMPARE(status->property("contentWidth").toReal(), paragraph.width());
    }

    // Every button of the window pressed as a screen reader does it, and by
    // Return or Enter.
    void pressButtons_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("key"); // 0: the accessible press
        for (const char *button : {"settingsButton", "showInFolderButton", "convertAnotherButton"})
            QTest::newRow(button) << QByteArray(button) << 0;
        QTest::newRow("Return") << QByteArray("settingsButton") << int(Qt::Key_Return);
        QTest::newRow("Enter") << QByteArray("convertAnotherButton") << int(Qt::Key_Enter);
    }
    void pressButtons() {
        QFETCH(QByteArray, button);
        QFETCH(int, key);
        report(Completion);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        QQuickItem *pressed = m_app.item(button.constData());
        if (key == 0) {
            QVERIFY(MainWindowHarness::pressAccessibly(pressed));
        } else {
            pressed->forceActiveFocus(Qt::TabFocusReason);
            QTest::keyClick(m_app.window(), Qt::Key(key));
        }
        if (button == "settingsButton") {
            QTRY_VERIFY(m_app.find<QQuickWindow>("settingsView")->isVisible());
        } else if (button == "showInFolderButton") {
            // No file manager on this bus: the folder opens in the folder handler.
            QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(u"/tmp/out"_s)});
        } else {
            // The result is gone; focus goes on to the drop zone, whose Space opens
            // Qt's own folder chooser (there is no desktop one here) in a window of
            // its own; the folder chosen there is converted.
            QTRY_VERIFY(m_app.strip("resultStrip", false));
            QVERIFY(m_app.item("dropZone")->hasActiveFocus());
            QTest::keyClick(m_app.window(), Qt::Key_Space);
            auto *host = m_app.find<QQuickWindow>("folderChooserWindow");
            QQuickItem *accept = nullptr;
            QTRY_VERIFY((accept = buttonShown(host->contentItem(), u"Select PNG Folder"_s)));
            QObject *dialog = m_app.property("folderChooser", "dialog").value<QObject *>();
            dialog->setProperty("selectedFolder", QUrl::fromLocalFile(QDir::homePath()));
            QVERIFY(MainWindowHarness::pressAccessibly(accept));
            // (No frames there: the job fails.)
            QTRY_VERIFY(m_app.engine()->errorMessage().startsWith(u"No image files found"_s));
        }
    }

    // The spinner turns while converting and starts from 0 for each job: when
    // a job ends its animation stops with the arrow back at 0, and the next
    // job starts the animation afresh, nothing carried over.
    void spinnerStartsFromZero() {
        const auto spinning = [this] {
            return m_app.property("spinAnimation", "running").toBool() &&
                   !m_app.property("spinAnimation", "paused").toBool();
        };
        report(Stages);
        QTRY_VERIFY(spinAngle() > 90);
        QCOMPARE(m_app.item("spinner")->rotation(), spinAngle());
        report(Failure);
        QVERIFY(!spinning());
        QCOMPARE(spinAngle(), 0.0);
        m_app.engine()->postStatus(stage, 0.2);
        QCoreApplication::sendPostedEvents(m_app.engine()); // the new job, before any frame
        QVERIFY(spinning());
        QCOMPARE(spinAngle(), 0.0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_ui_window.moc"
