#include "ConverterEngine.h"
#include "FakeNotificationServer.h"
#include "FileUrls.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QSignalSpy>

#include <fstream>

using namespace Qt::StringLiterals;

// Drops on the real window, as a file manager sends them: a text/uri-list
// reaching the drop router, which hands one job to the engine; and one drop
// converted all the way.
class DropTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { MainWindowHarness::prepare(); }
    void init() {
        m_root = TestEnvironment::freshFolder(u"drop"_s);
        QVERIFY(m_app.load());
    }
    void cleanup() {
        if (m_app.engine())
            QTRY_VERIFY_WITH_TIMEOUT(!m_app.engine()->isJobRunning(), 20000);
        m_app.unload();
    }

    // Entries are separated by "|" (see uriList).
    void drop_data() {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("job"); // folder, files, none, or refused
        QTest::addColumn<QString>("routed");
        const auto row = [](const char *name, const char *dropped, const char *job,
                            const char *routed) {
            QTest::newRow(name) << QString::fromUtf8(dropped) << QString::fromUtf8(job)
                                << QString::fromUtf8(routed);
        };
        row("one folder", "my shots", "folder", "my shots");
        row("one folder, trailing slash", "shots/", "folder", "shots/");
        row("two folders", "b|a/", "folder", "a/");
        row("files in mixed order", "f2.png|f10.png|f1.png", "files", "f1.png|f10.png|f2.png");
        row("upper case first", "a.png|B.png", "files", "B.png|a.png");
        row("composed and decomposed names", "e\u0301.png|f.png|\u00e9.png", "files",
            "f.png|e\u0301.png|\u00e9.png");
        row("files with a folder", "b.png|clips|a.png", "files", "a.png|b.png");
        row("files with a slashed folder", "b.png|clips/|a.png", "files", "a.png|b.png");
        row("comments and URLs that are not local files skipped",
            "# dragged from a browser|b.png|file://localhost~/a.png|file://server/tmp/c.png|"
            "/tmp/d.png|file:e.png|https://example.com/f.png|mailto:someone@example.com",
            "files", "file://localhost~/a.png|b.png");
        row("only non-file URLs", "https://example.com/b.png", "none", "");
        row("empty list", "", "refused", "");
        row("folder while converting", "shots", "refused while converting", "");
    }
    void drop() {
        QFETCH(QString, dropped);
        QFETCH(QString, job);
        QFETCH(QString, routed);
        QObject *router = m_app.find("dropRouter");
        QSignalSpy folderJobs(router, SIGNAL(folderJobRequested(QUrl)));
        QSignalSpy filesJobs(router, SIGNAL(filesJobRequested(QList<QUrl>)));
        const bool converting = job.endsWith(u"converting"_s);
        m_app.engine()->setIsConverting(converting);

        QCOMPARE(m_app.drop(uriList(dropped)), !job.startsWith(u"refused"_s));
        m_app.engine()->setIsConverting(false);
        QList<QUrl> expected;
        for (const QString &entry : routed.split(u'|', Qt::SkipEmptyParts))
            expected.append(QUrl::fromEncoded(encoded(entry)));
        QCOMPARE(folderJobs.count(), job == u"folder"_s ? 1 : 0);
        QCOMPARE(filesJobs.count(), job == u"files"_s ? 1 : 0);
        if (job == u"folder"_s)
            QCOMPARE(QList<QUrl>{folderJobs.at(0).at(0).toUrl()}, expected);
        if (job == u"files"_s)
            QCOMPARE(filesJobs.at(0).at(0).value<QList<QUrl>>(), expected);
        // The engine took the job (it fails later: nothing here is an image).
        QCOMPARE(m_app.engine()->isJobRunning(), !expected.isEmpty());
        QVERIFY(!m_app.property("contentView", "isDragOver").toBool());
    }

    void dragHoverHighlights() {
        const auto dragOver = [this] {
            return m_app.property("contentView", "isDragOver").toBool();
        };
        const QVariant idleColour = m_app.property("dropZoneTitle", "color");
        QMimeData folder;
        folder.setUrls({QUrl::fromLocalFile(QString::fromStdString(m_root.string()))});
        QDragEnterEvent enter(m_app.centreOf("dropZone"), Qt::CopyAction, &folder, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(m_app.window(), &enter);
        QVERIFY(enter.isAccepted() && dragOver());
        QVERIFY(m_app.property("dropZoneTitle", "color") != idleColour);
        QCOMPARE(m_app.item("dropZoneBrand")->opacity(), 1.0);

        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(m_app.window(), &leave);
        QVERIFY(!dragOver());
        QCOMPARE(m_app.property("dropZoneTitle", "color"), idleColour);
        QCOMPARE(m_app.item("dropZoneBrand")->opacity(), 0.92);

        // Plain text is not a drop for this window.
        QMimeData text;
        text.setText(u"/tmp/frames"_s);
        QVERIFY(!m_app.drop(text));
        QVERIFY(!dragOver());
    }

    // A folder of real frames, converted by the real ffmpeg and gifsicle,
    // until the result panel names the file and its size.
    void realFolderToResult() {
        FakeNotificationServer notifications(false);
        QVERIFY(notifications.isRegistered());
        TestEnvironment::makeFrames(m_root / "my frames", u"shot_"_s, 1, 8);
        ConverterEngine *engine = m_app.engine();
        engine->setOutputPath(urlFromLocalPath(m_root / "out").toString());
        engine->setWidth(100);
        QSignalSpy converting(engine, &ConverterEngine::isConvertingChanged);
        QVERIFY(m_app.drop(uriList(u"my frames"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(engine->isConverting(), 20000);

        QTRY_VERIFY_WITH_TIMEOUT(m_app.strip("resultStrip", true), 60000);
        QVERIFY(m_app.strip("progressStrip", false) && m_app.strip("errorBanner", false));
        QCOMPARE(converting.count(), 2);
        const QUrl gif = engine->lastOutputURL();
        const QString name = lastPathComponent(gif);
        QCOMPARE(localPathFromUrl(gif).parent_path(), m_root / "out");
        QCOMPARE(TestEnvironment::gifFrameCount(localPathFromUrl(gif)), 8);

        // The panel names the file and its size, as does the notification.
        QCOMPARE(m_app.text("resultFileName"), name);
        const QString status = m_app.text("resultStatus");
        const auto sized = QRegularExpression(u"^Done — (.+) \\((\\d.*)\\)$"_s).match(status);
        QVERIFY2(sized.hasMatch() && sized.captured(1) == name, qPrintable(status));
        QTRY_COMPARE(notifications.received.size(), 1);
        QCOMPARE(notifications.received.at(0).summary, u"Loomfin — Done ✓"_s);
        QCOMPARE(notifications.received.at(0).body, name + u" · "_s + sized.captured(2));
    }

private:
    // An entry is a name in the test folder, made there as a file if it has a
    // dot, else as a folder (a trailing slash stays in its URL); or a line
    // taken verbatim (a comment, a path, a URL), "~" standing for the folder.
    static bool verbatim(const QString &entry) {
        return entry.startsWith(u'#') || entry.startsWith(u'/') || entry.contains(u':');
    }
    QByteArray encoded(const QString &entry) const {
        const QString root = QString::fromStdString(m_root.string());
        if (verbatim(entry))
            return entry.toUtf8().replace('~', QUrl::toPercentEncoding(root, "/"));
        return QUrl::fromLocalFile(root + u'/' + entry).toEncoded();
    }
    const QMimeData &uriList(const QString &entries) {
        QByteArray list;
        for (const QString &entry : entries.split(u'|', Qt::SkipEmptyParts)) {
            const auto path = m_root / entry.toStdString();
            if (!verbatim(entry) && entry.contains(u'.'))
                std::ofstream(path) << "not really an image";
            else if (!verbatim(entry))
                std::filesystem::create_directories(path);
            list += encoded(entry) + "\r\n";
        }
        m_data.setData(u"text/uri-list"_s, list);
        return m_data;
    }

    MainWindowHarness m_app;
    std::filesystem::path m_root;
    QMimeData m_data;
};

QTEST_MAIN(DropTest)
#include "tst_ui_drop.moc"
