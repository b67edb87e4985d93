#include "ConverterEngine.h"
#include "DropRouting.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QDropEvent>
#include <QMimeData>
#include <QQmlExtensionPlugin>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <fstream>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

using UrlList = QList<QUrl>;

// Drops on the real window, as a file manager sends them, and the routing
// rules behind them.
class DropTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void decodeDroppedItem_data();
    void decodeDroppedItem();
    void routing_data();
    void routing();

    void drop_data();
    void drop();
    void rawUriListWithComments();
    void emptyDropRefused_data();
    void emptyDropRefused();
    void dragHoverHighlights();
    void dropWhileConvertingDoesNothing();
    void droppedFolderReachesEngine();
    void droppedFilesReachEngine();

private:
    // Sends enter, move and drop at the zone's centre; returns whether the
    // drop was accepted.
    bool dropOnZone(const QMimeData &data);
    // Makes entries under the test folder: "name/" is a folder, else a file.
    UrlList entries(const QStringList &names, bool trailingSlashOnFolders);
    QUrl url(const QString &name) const;
    void waitForJobEnd();

    MainWindowHarness m_app;
    std::filesystem::path m_root;
};

void DropTest::initTestCase() {
    MainWindowHarness::prepare();
}

void DropTest::init() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:/Loomfin/")));
    m_root = TestEnvironment::freshFolder(QStringLiteral("drop"));
    QVERIFY(m_app.load());
}

void DropTest::cleanup() {
    waitForJobEnd();
    m_app.unload();
}

void DropTest::waitForJobEnd() {
    if (m_app.engine())
        QTRY_VERIFY_WITH_TIMEOUT(!m_app.engine()->isJobRunning(), 20000);
}

QUrl DropTest::url(const QString &name) const {
    QString path = QString::fromStdString((m_root / name.toStdString()).string());
    return QUrl::fromLocalFile(path);
}

UrlList DropTest::entries(const QStringList &names, bool trailingSlashOnFolders) {
    UrlList urls;
    for (const QString &name : names) {
        const bool folder = name.endsWith(QLatin1Char('/'));
        QString bare = name;
        if (folder)
            bare.chop(1);
        const auto path = m_root / bare.toStdString();
        if (folder)
            std::filesystem::create_directories(path);
        else
            std::ofstream(path) << "not really an image";
        QUrl entry = url(bare);
        if (folder && trailingSlashOnFolders)
            entry.setPath(entry.path() + QLatin1Char('/'));
        urls.append(entry);
    }
    return urls;
}

bool DropTest::dropOnZone(const QMimeData &data) {
    const QPoint at = MainWindowHarness::centreOf(m_app.item(QStringLiteral("dropZone")));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &drop);
    return drop.isAccepted();
}

void DropTest::decodeDroppedItem_data() {
    QTest::addColumn<QUrl>("item");
    QTest::addColumn<bool>("isFile");

    QTest::newRow("file URL") << QUrl(QStringLiteral("file:///tmp/a.png")) << true;
    QTest::newRow("localhost") << QUrl(QStringLiteral("file://localhost/tmp/a.png")) << true;
    QTest::newRow("encoded space") << QUrl(QStringLiteral("file:///tmp/my%20frames/")) << true;
    QTest::newRow("other host") << QUrl(QStringLiteral("file://server/tmp/a.png")) << false;
    QTest::newRow("web") << QUrl(QStringLiteral("https://example.com/a.png")) << false;
    QTest::newRow("comment line") << QUrl(QStringLiteral("# dragged from a browser")) << false;
    QTest::newRow("plain path") << QUrl(QStringLiteral("/tmp/a.png")) << false;
    QTest::newRow("relative file URL") << QUrl(QStringLiteral("file:a.png")) << false;
    QTest::newRow("empty") << QUrl() << false;
}

void DropTest::decodeDroppedItem() {
    QFETCH(QUrl, item);
    QFETCH(bool, isFile);
    const auto decoded = ::decodeDroppedItem(item);
    QCOMPARE(decoded.has_value(), isFile);
    if (isFile)
        QVERIFY(!localPathFromUrl(*decoded).empty());
}

void DropTest::routing_data() {
    // Names ending in "/" are folders; the predicate sees only the URL here.
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("routed");

    QTest::newRow("nothing") << QStringList() << "nothing" << QStringList();
    QTest::newRow("one folder") << QStringList{"shots/"} << "folder" << QStringList{"shots/"};
    QTest::newRow("first of two folders")
        << QStringList{"b/", "a/"} << "folder" << QStringList{"a/"};
    QTest::newRow("code-point order") << QStringList{"f2.png", "f10.png", "f1.png"} << "files"
                                      << QStringList{"f1.png", "f10.png", "f2.png"};
    QTest::newRow("upper case first")
        << QStringList{"a.png", "B.png"} << "files" << QStringList{"B.png", "a.png"};
    QTest::newRow("folders among files ignored")
        << QStringList{"z/", "b.png", "a/", "a.png"} << "files" << QStringList{"a.png", "b.png"};
    QTest::newRow("composed and decomposed names")
        << QStringList{"e\u0301.png", "f.png", "\u00e9.png"} << "files"
        << QStringList{"f.png", "e\u0301.png", "\u00e9.png"};
}

void DropTest::routing() {
    QFETCH(QStringList, dropped);
    QFETCH(QString, kind);
    QFETCH(QStringList, routed);

    const auto toUrl = [](const QString &name) {
        return QUrl::fromLocalFile(QStringLiteral("/drop/") + name);
    };
    UrlList urls;
    for (const QString &name : dropped)
        urls.append(toUrl(name));
    const auto byName = [](const QUrl &u) {
        return u.path().endsWith(QLatin1Char('/'));
    };
    const DropRoute route = routeDroppedURLs(urls, byName);

    UrlList expected;
    for (const QString &name : routed)
        expected.append(toUrl(name));
    if (kind == QLatin1String("nothing")) {
        QCOMPARE(route.kind, DropRoute::Kind::Nothing);
    } else if (kind == QLatin1String("folder")) {
        QCOMPARE(route.kind, DropRoute::Kind::Folder);
        QCOMPARE(route.folder, expected.constFirst());
    } else {
        QCOMPARE(route.kind, DropRoute::Kind::Files);
        QCOMPARE(route.files, expected);
    }
}

void DropTest::drop_data() {
    // Entries ending in "/" are made as folders, the others as files.
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<bool>("trailingSlash");
    QTest::addColumn<UrlList>("foreign");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("routed");

    const UrlList none;
    QTest::newRow("one folder") << QStringList{"shots/"} << false << none << "folder"
                                << QStringList{"shots"};
    QTest::newRow("one folder, trailing slash")
        << QStringList{"shots/"} << true << none << "folder" << QStringList{"shots/"};
    QTest::newRow("two folders") << QStringList{"b/", "a/"} << false << none << "folder"
                                 << QStringList{"a"};
    QTest::newRow("files in mixed order")
        << QStringList{"f2.png", "f10.png", "f1.png"} << false << none << "files"
        << QStringList{"f1.png", "f10.png", "f2.png"};
    QTest::newRow("files with a folder") << QStringList{"b.png", "clips/", "a.png"} << false << none
                                         << "files" << QStringList{"a.png", "b.png"};
    QTest::newRow("files with a slashed folder")
        << QStringList{"b.png", "clips/", "a.png"} << true << none << "files"
        << QStringList{"a.png", "b.png"};
    QTest::newRow("web and mail links skipped")
        << QStringList{"a.png"} << false
        << UrlList{QUrl(QStringLiteral("https://example.com/b.png")),
                   QUrl(QStringLiteral("mailto:someone@example.com"))}
        << "files" << QStringList{"a.png"};
    QTest::newRow("only non-file URLs")
        << QStringList{} << false << UrlList{QUrl(QStringLiteral("https://example.com/b.png"))}
        << "nothing" << QStringList{};
}

void DropTest::drop() {
    QFETCH(QStringList, made);
    QFETCH(bool, trailingSlash);
    QFETCH(UrlList, foreign);
    QFETCH(QString, kind);
    QFETCH(QStringList, routed);

    QObject *router = m_app.find<QObject>(QStringLiteral("dropRouter"));
    QSignalSpy folderJobs(router, SIGNAL(folderJobRequested(QUrl)));
    QSignalSpy filesJobs(router, SIGNAL(filesJobRequested(QList<QUrl>)));

    QMimeData data;
    data.setUrls(entries(made, trailingSlash) + foreign);
    QVERIFY(dropOnZone(data));

    UrlList expected;
    for (const QString &name : routed) {
        QUrl entry = url(name.endsWith(QLatin1Char('/')) ? name.chopped(1) : name);
        if (name.endsWith(QLatin1Char('/')))
            entry.setPath(entry.path() + QLatin1Char('/'));
        expected.append(entry);
    }
    if (kind == QLatin1String("folder")) {
        QCOMPARE(folderJobs.count(), 1);
        QCOMPARE(filesJobs.count(), 0);
        QCOMPARE(folderJobs.at(0).at(0).toUrl(), expected.constFirst());
    } else if (kind == QLatin1String("files")) {
        QCOMPARE(folderJobs.count(), 0);
        QCOMPARE(filesJobs.count(), 1);
        QCOMPARE(filesJobs.at(0).at(0).value<UrlList>(), expected);
    } else {
        QCOMPARE(folderJobs.count() + filesJobs.count(), 0);
    }
    QVERIFY(!m_app.find<QObject>(QStringLiteral("contentView"))->property("isDragOver").toBool());
}

void DropTest::rawUriListWithComments() {
    const UrlList made = entries({QStringLiteral("b.png"), QStringLiteral("a.png")}, false);
    QObject *router = m_app.find<QObject>(QStringLiteral("dropRouter"));
    QSignalSpy filesJobs(router, SIGNAL(filesJobRequested(QList<QUrl>)));

    // As some applications write it: comments, CRLF, a localhost URL.
    QByteArray list = "# dragged from somewhere\r\n" + made.at(0).toEncoded() + "\r\n";
    list += "file://localhost" + made.at(1).toEncoded(QUrl::RemoveScheme) + "\r\n";
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), list);
    QVERIFY(dropOnZone(data));
    QCOMPARE(filesJobs.count(), 1);
    const UrlList routed = filesJobs.at(0).at(0).value<UrlList>();
    QCOMPARE(routed.size(), 2);
    QCOMPARE(lastPathComponent(routed.at(0)), QStringLiteral("a.png"));
    QCOMPARE(localPathFromUrl(routed.at(0)), localPathFromUrl(made.at(1)));
    QCOMPARE(routed.at(1), made.at(0));
}

void DropTest::emptyDropRefused_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("empty URL list") << "text/uri-list" << QByteArray();
    QTest::newRow("text only") << "text/plain" << QByteArray("/tmp/frames");
}

void DropTest::emptyDropRefused() {
    QFETCH(QString, format);
    QFETCH(QByteArray, payload);
    QObject *router = m_app.find<QObject>(QStringLiteral("dropRouter"));
    QSignalSpy folderJobs(router, SIGNAL(folderJobRequested(QUrl)));
    QSignalSpy filesJobs(router, SIGNAL(filesJobRequested(QList<QUrl>)));

    QMimeData data;
    data.setData(format, payload);
    QVERIFY(!dropOnZone(data));
    QCOMPARE(folderJobs.count() + filesJobs.count(), 0);
    QVERIFY(!m_app.find<QObject>(QStringLiteral("contentView"))->property("isDragOver").toBool());
}

void DropTest::dragHoverHighlights() {
    QMimeData data;
    data.setUrls(entries({QStringLiteral("shots/")}, false));
    QObject *content = m_app.find<QObject>(QStringLiteral("contentView"));
    const QQuickItem *title = m_app.item(QStringLiteral("dropZoneTitle"));
    const QColor idleColour = title->property("color").value<QColor>();
    const QPoint at = MainWindowHarness::centreOf(m_app.item(QStringLiteral("dropZone")));

    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &enter);
    QVERIFY(enter.isAccepted());
    QVERIFY(content->property("isDragOver").toBool());
    QVERIFY(title->property("color").value<QColor>() != idleColour);
    QCOMPARE(m_app.item(QStringLiteral("dropZoneBrand"))->opacity(), 1.0);

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_app.window(), &leave);
    QVERIFY(!content->property("isDragOver").toBool());
    QCOMPARE(title->property("color").value<QColor>(), idleColour);
    QCOMPARE(m_app.item(QStringLiteral("dropZoneBrand"))->opacity(), 0.92);
}

void DropTest::dropWhileConvertingDoesNothing() {
    m_app.engine()->setIsConverting(true);
    QObject *router = m_app.find<QObject>(QStringLiteral("dropRouter"));
    QSignalSpy folderJobs(router, SIGNAL(folderJobRequested(QUrl)));
    QMimeData data;
    data.setUrls(entries({QStringLiteral("shots/")}, false));
    QVERIFY(!dropOnZone(data));
    QCOMPARE(folderJobs.count(), 0);
    QVERIFY(!m_app.engine()->isJobRunning());
    m_app.engine()->setIsConverting(false);
}

void DropTest::droppedFolderReachesEngine() {
    QMimeData data;
    data.setUrls(entries({QStringLiteral("empty/")}, false));
    QVERIFY(dropOnZone(data));
    QVERIFY(m_app.engine()->isJobRunning());
    QTRY_COMPARE_WITH_TIMEOUT(m_app.engine()->errorMessage(), noImagesMessage(), 20000);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("errorBanner")));
    QCOMPARE(m_app.text(QStringLiteral("errorText")), noImagesMessage());
}

void DropTest::droppedFilesReachEngine() {
    QMimeData data;
    data.setUrls(entries({QStringLiteral("notes.txt"), QStringLiteral("readme.md")}, false));
    QVERIFY(dropOnZone(data));
    QVERIFY(m_app.engine()->isJobRunning());
    QTRY_COMPARE_WITH_TIMEOUT(m_app.engine()->errorMessage(), noImagesMessage(), 20000);
}

QTEST_MAIN(DropTest)
#include "tst_ui_drop.moc"
