#include "AppSetup.h"
#include "Appearance.h"
#include "ConverterEngine.h"
#include "FileUrls.h"
#include "FrameSequence.h"
#include "MainWindowHarness.h"
#include "SingleInstance.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlExtensionPlugin>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

// Servers this test puts on its private session bus. They sit on a second
// connection, so the window's own calls travel the bus as they would to
// another program.
namespace {

QDBusConnection serverBus() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("servers"));
}

bool serve(QObject *object, const QString &service, const QString &path) {
    QDBusConnection bus = serverBus();
    return bus.registerObject(path, object, QDBusConnection::ExportAllSlots) &&
           bus.registerService(service);
}

void unserve(const QString &service, const QString &path) {
    QDBusConnection bus = serverBus();
    bus.unregisterService(service);
    bus.unregisterObject(path);
}

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;
public slots:
    void ShowItems(const QStringList &uris, const QString &) { shown.append(uris); }
};

class FakeApplication : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    int activations = 0;
    QList<QStringList> opened;
public slots:
    void Activate(const QVariantMap &) { ++activations; }
    void Open(const QStringList &uris, const QVariantMap &) { opened.append(uris); }
    void ActivateAction(const QString &, const QVariantList &, const QVariantMap &) {}
};

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint scheme = 1;
public slots:
    // The portal answers a variant holding the variant with the value.
    QDBusVariant Read(const QString &nameSpace, const QString &key) {
        if (nameSpace != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(QString())));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(scheme))));
    }
};

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> received; // summary, body
public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int) {
        received.append({summary, body});
        return uint(received.size());
    }
};

// Receives what QDesktopServices would open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

void emitColorScheme(const QString &nameSpace, uint scheme) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
    signal << nameSpace << QStringLiteral("color-scheme")
           << QVariant::fromValue(QDBusVariant(QVariant(scheme)));
    serverBus().send(signal);
}

} // namespace

class SessionBusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void appearanceFollowsPortal();
    void showInFolderAsksFileManager();
    void showInFolderFallsBackToFolder();
    void argumentsBecomeFileUrls();
    void laterLaunchHandsOverToWindow_data();
    void laterLaunchHandsOverToWindow();
    void laterLaunchCallsRunningInstance();
    void launchWithPathStartsJob();

private:
    QString program() const;
    void finish(const QUrl &output);

    MainWindowHarness m_app;
    FakePortal m_portal;
};

void SessionBusTest::initTestCase() {
    QVERIFY(QDBusConnection::sessionBus().isConnected());
    // The portal is up before the application asks it, as on a desktop.
    QVERIFY(serve(&m_portal, QStringLiteral("org.freedesktop.portal.Desktop"),
                  QStringLiteral("/org/freedesktop/portal/desktop")));
    MainWindowHarness::prepare();
}

void SessionBusTest::cleanup() {
    if (m_app.engine())
        QTRY_VERIFY_WITH_TIMEOUT(!m_app.engine()->isJobRunning(), 20000);
    m_app.unload();
}

QString SessionBusTest::program() const {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/loomfin");
}

void SessionBusTest::finish(const QUrl &output) {
    ConverterEngine *e = m_app.engine();
    e->setIsConverting(false);
    e->setProgress(1);
    e->setStatusMessage(QStringLiteral("Done — ") + lastPathComponent(output) +
                        QStringLiteral(" (4 KB)"));
    e->setLastOutputURL(output);
    QTRY_VERIFY(m_app.stripShown(QStringLiteral("resultStrip")));
}

void SessionBusTest::appearanceFollowsPortal() {
    Appearance *appearance = Appearance::instance();
    QTRY_VERIFY(appearance->isDark());
    QVERIFY(QGuiApplication::palette().color(QPalette::Window).lightness() < 128);
    QVERIFY(m_app.load());
    const QQuickItem *logo = m_app.item(QStringLiteral("logoImage"));
    QVERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo-dark.svg")));

    // Another namespace's change is not ours.
    emitColorScheme(QStringLiteral("org.example.other"), 2);
    QTest::qWait(200);
    QVERIFY(appearance->isDark());

    // The desktop switches to light while the window is open.
    emitColorScheme(QStringLiteral("org.freedesktop.appearance"), 2);
    QTRY_VERIFY(!appearance->isDark());
    QVERIFY(QGuiApplication::palette().color(QPalette::Window).lightness() >= 128);
    QTRY_VERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo.svg")));

    emitColorScheme(QStringLiteral("org.freedesktop.appearance"), 1);
    QTRY_VERIFY(appearance->isDark());
    QTRY_VERIFY(logo->property("source").toUrl().path().endsWith(QLatin1String("/logo-dark.svg")));
    emitColorScheme(QStringLiteral("org.freedesktop.appearance"), 0);
    QTRY_VERIFY(!appearance->isDark());
}

void SessionBusTest::showInFolderAsksFileManager() {
    FakeFileManager fileManager;
    QVERIFY(serve(&fileManager, QStringLiteral("org.freedesktop.FileManager1"),
                  QStringLiteral("/org/freedesktop/FileManager1")));
    QVERIFY(m_app.load());
    const QUrl output = QUrl::fromLocalFile(QStringLiteral("/home/u/GIF Output/my clip#1.gif"));
    finish(output);

    QSignalSpy revealed(m_app.find<QObject>(QStringLiteral("fileRevealer")),
                        SIGNAL(revealed(QUrl, bool)));
    m_app.click(QStringLiteral("showInFolderButton"));
    QVERIFY(revealed.wait(5000));
    QCOMPARE(revealed.at(0).at(1).toBool(), true);
    QCOMPARE(fileManager.shown.size(), 1);
    QCOMPARE(fileManager.shown.at(0),
             QStringList{QStringLiteral("file:///home/u/GIF%20Output/my%20clip%231.gif")});

    // Nothing else changes; the panel stays.
    ConverterEngine *e = m_app.engine();
    QCOMPARE(e->lastOutputURL(), output);
    QCOMPARE(e->statusMessage(), QStringLiteral("Done — my clip#1.gif (4 KB)"));
    QCOMPARE(e->progress(), 1.0);
    QVERIFY(m_app.stripShown(QStringLiteral("resultStrip")));
    unserve(QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"));
}

void SessionBusTest::showInFolderFallsBackToFolder() {
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    QVERIFY(m_app.load());
    finish(QUrl::fromLocalFile(QStringLiteral("/home/u/GIF_Output/clip.gif")));

    QSignalSpy revealed(m_app.find<QObject>(QStringLiteral("fileRevealer")),
                        SIGNAL(revealed(QUrl, bool)));
    m_app.click(QStringLiteral("showInFolderButton"));
    QVERIFY(revealed.wait(5000));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(revealed.at(0).at(1).toBool(), false);
    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/home/u/GIF_Output"))});
}

void SessionBusTest::argumentsBecomeFileUrls() {
    const QString cwd = QDir::currentPath();
    QByteArray a0 = "loomfin", a1 = "frames dir", a2 = "/abs/../abs/x.png",
               a3 = "file:///t/a%20b.png", a4 = "";
    char *argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data()};
    const QList<QUrl> urls = AppSetup::urlsFromArguments(5, argv);
    QCOMPARE(urls.size(), 3);
    QCOMPARE(urls.at(0), QUrl::fromLocalFile(cwd + QStringLiteral("/frames dir")));
    QCOMPARE(urls.at(1), QUrl::fromLocalFile(QStringLiteral("/abs/x.png")));
    QCOMPARE(urls.at(2), QUrl::fromLocalFile(QStringLiteral("/t/a b.png")));
}

void SessionBusTest::laterLaunchHandsOverToWindow_data() {
    QTest::addColumn<bool>("withFolder");
    QTest::newRow("with a folder") << true;
    QTest::newRow("without paths") << false;
}

void SessionBusTest::laterLaunchHandsOverToWindow() {
    QFETCH(bool, withFolder);
    QVERIFY(m_app.load());
    SingleInstance instance;
    QCOMPARE(instance.claim(), SingleInstance::Role::Primary);
    AppSetup::serveInstance(instance, m_app.window());

    QSignalSpy activations(&instance, &SingleInstance::activateRequested);
    QSignalSpy folderJobs(m_app.find<QObject>(QStringLiteral("dropRouter")),
                          SIGNAL(folderJobRequested(QUrl)));
    const auto folder = TestEnvironment::freshFolder(QStringLiteral("my frames"));

    QProcess later;
    later.start(program(),
                withFolder ? QStringList{QString::fromStdString(folder.string())} : QStringList{});
    QSignalSpy finished(&later, &QProcess::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);

    if (withFolder) {
        QTRY_COMPARE(folderJobs.count(), 1);
        QCOMPARE(localPathFromUrl(folderJobs.at(0).at(0).toUrl()), folder);
        QVERIFY(m_app.engine()->isJobRunning() || !m_app.engine()->errorMessage().isEmpty());
    } else {
        QTRY_COMPARE(activations.count(), 1);
        QCOMPARE(folderJobs.count(), 0);
    }
    QVERIFY(m_app.window()->isVisible());
}

void SessionBusTest::laterLaunchCallsRunningInstance() {
    FakeApplication running;
    QVERIFY(serve(&running, SingleInstance::serviceName(), SingleInstance::objectPath()));
    const auto folder = TestEnvironment::freshFolder(QStringLiteral("work"));

    QProcess withPaths;
    withPaths.setWorkingDirectory(QString::fromStdString(folder.string()));
    withPaths.start(program(), {QStringLiteral("shot 1.png"), QStringLiteral("/abs/b.png")});
    QSignalSpy finished(&withPaths, &QProcess::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(withPaths.exitCode(), 0);
    QCOMPARE(running.opened.size(), 1);
    const QString expectedFirst = QString::fromLatin1(
        QUrl::fromLocalFile(QString::fromStdString(folder.string()) + QStringLiteral("/shot 1.png"))
            .toEncoded());
    QCOMPARE(running.opened.at(0),
             (QStringList{expectedFirst, QStringLiteral("file:///abs/b.png")}));
    QVERIFY(expectedFirst.contains(QLatin1String("shot%201.png")));

    QProcess bare;
    bare.start(program(), {});
    QSignalSpy bareFinished(&bare, &QProcess::finished);
    QVERIFY(bareFinished.wait(20000));
    QCOMPARE(bare.exitCode(), 0);
    QCOMPARE(running.activations, 1);
    QCOMPARE(running.opened.size(), 1);
    unserve(SingleInstance::serviceName(), SingleInstance::objectPath());
}

void SessionBusTest::launchWithPathStartsJob() {
    FakeNotifications notifications;
    QVERIFY(serve(&notifications, QStringLiteral("org.freedesktop.Notifications"),
                  QStringLiteral("/org/freedesktop/Notifications")));
    const auto folder = TestEnvironment::freshFolder(QStringLiteral("no frames"));

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(program(), {QString::fromStdString(folder.string())});
    QVERIFY(first.waitForStarted());
    // The window opened and ran the job: its failure is announced.
    QTRY_COMPARE_WITH_TIMEOUT(notifications.received.size(), 1, 20000);
    QCOMPARE(notifications.received.at(0),
             (QStringList{QStringLiteral("Loomfin — Error"), noImagesMessage()}));
    QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(
        SingleInstance::serviceName()));
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    unserve(QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"));
}

QTEST_MAIN(SessionBusTest)
#include "tst_ui_dbus.moc"
