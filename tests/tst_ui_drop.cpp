#include "ConverterEngine.h"
#include "DropRouting.h"
#include "FileUrls.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QSignalSpy>

#include <fstream>

using namespace Qt::StringLiterals;

// Drops on the real window, as a file manager sends them: a text/uri-list
// reaching the drop router, which hands one job to the engine; and the
// routing rule itself.
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

    // Which URLs of a drop make the job, in which order.
    void routing_data() {
        QTest::addColumn<QString>("dropped"); // separated by "|"; a trailing "/" is a folder
        QTest::addColumn<QString>("job");     // "folder:<url>", "files:<urls>" or "nothing"
        const auto row = [](const char *name, const char *dropped, const char *job) {
            QTest::newRow(name) << QString::fromUtf8(dropped) << QString::fromUtf8(job);
        };
        row("two folders", "/x/b/|/x/a/", "folder:/x/a/");
        row("files in mixed order", "/x/f2.png|/x/f10.png|/x/f1.png",
            "files:/x/f1.png|/x/f10.png|/x/f2.png");
        row("upper case first", "/x/a.png|/x/B.png", "files:/x/B.png|/x/a.png");
        row("composed and decomposed names", "/x/e\u0301.png|/x/f.png|/x/\u00e9.png",
            "files:/x/f.png|/x/e\u0301.png|/x/\u00e9.png");
        row("files with a folder", "/x/b.png|/x/clips/|/x/a.png", "files:/x/a.png|/x/b.png");
        row("nothing", "", "nothing");
    }
    void routing() {
        QFETCH(QString, dropped);
        QFETCH(QString, job);
        QList<QUrl> urls;
        for (const QString &path : dropped.split(u'|', Qt::SkipEmptyParts))
            urls << QUrl::fromLocalFile(path);
        const DropRoute route = routeDroppedURLs(urls);
        QString got = u"nothing"_s;
        if (route.kind == DropRoute::Kind::Folder)
            got = u"folder:"_s + route.folder.toLocalFile();
        if (route.kind == DropRoute::Kind::Files) {
            QStringList files;
            for (const QUrl &file : route.files)
                files << file.toLocalFile();
            got = u"files:"_s + files.join(u'|');
        }
        QCOMPARE(got, job);
    }

    // Entries are separated by "|" (see uriList).
    void drop_data() {
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("job"); // the engine's first stage, none, or refused
        const auto row = [](const char *name, const char *dropped, const char *job) {
            QTest::newRow(name) << QString::fromUtf8(dropped) << QString::fromUtf8(job);
        };
        // Folders are made with two frames, files one by one.
        row("one folder", "my shots", "Found 2 frames…");
        row("one folder, trailing slash", "shots/", "Found 2 frames…");
        row("files with a folder", "b.png|clips|a.png", "Using 2 selected frames…");
        row("comments and URLs that are not local files skipped",
            "# dragged from a browser|b.png|file://localhost~/a.png|file://server/tmp/c.png|"
            "/nonexistent/d.png|file:e.png|https://example.com/f.png|mailto:someone@example.com",
            "Using 1 selected frames…"); // a missing file is no frame

        row("only non-file URLs", "https://example.com/b.png", "none");
        row("empty list", "", "refused");
        row("folder while converting", "shots", "refused while converting");
    }
    void drop() {
        QFETCH(QString, dropped);
        QFETCH(QString, job);
        ConverterEngine *engine = m_app.engine();
        QStringList stages;
        connect(engine, &ConverterEngine::statusMessageChanged, this,
                [&] { stages << engine->statusMessage(); });
        const bool converting = job.endsWith(u"converting"_s);
        engine->setIsConverting(converting);

        QCOMPARE(m_app.drop(uriList(dropped)), !job.startsWith(u"refused"_s));
        engine->setIsConverting(false);
        QVERIFY(!m_app.property("contentView", "isDragOver").toBool());
        // The engine took the job, or none (the frames are not images: it fails later).
        const bool started = !job.startsWith(u"refused"_s) && job != u"none"_s;
        QCOMPARE(engine->isJobRunning(), started);
        if (started)
            QTRY_COMPARE(stages.value(0), job);
        QTRY_VERIFY(!engine->isJobRunning());
        disconnect(engine, nullptr, this, nullptr);
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
            if (!verbatim(entry) && entry.contains(u'.')) {
                std::ofstream(path) << "not really an image";
            } else if (!verbatim(entry)) {
                std::filesystem::create_directories(path);
                for (const char *frame : {"f1.png", "f2.png"})
                    std::ofstream(path / frame) << "not really an image";
            }
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
