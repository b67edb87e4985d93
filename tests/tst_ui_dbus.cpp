#include "Appearance.h"
#include "FileUrls.h"
#include "MainWindowHarness.h"
#include "SingleInstance.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDesktopServices>
#include <QProcess>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

QDBusConnection serverBus() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"servers"_s);
}

// A service on a connection of the test's own, so the window's calls travel
// the bus as they would to another program. Records the arguments of each
// call to its interface, by method, and answers with `reply`.
class FakeService : public QDBusVirtualObject {
public:
    FakeService(const QString &service, const QString &path, const QString &interface,
                const QVariantList &reply = {})
        : m_service(service)
        , m_path(path)
        , m_interface(interface)
        , m_reply(reply) {}
    ~FakeService() override {
        serverBus().unregisterService(m_service);
        serverBus().unregisterObject(m_path);
    }
    bool serve() {
        return serverBus().registerVirtualObject(m_path, this) &&
               serverBus().registerService(m_service);
    }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.interface() != m_interface)
            return false;
        calls[message.member()].append(message.arguments());
        return connection.send(message.createReply(m_reply));
    }
    QString introspect(const QString &) const override { return {}; }

    QHash<QString, QList<QVariantList>> calls;

private:
    const QString m_service, m_path, m_interface;
    const QVariantList m_reply;
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
    QDBusMessage signal =
        QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_s,
                                   u"org.freedesktop.portal.Settings"_s, u"SettingChanged"_s);
    signal << nameSpace << u"color-scheme"_s << QVariant::fromValue(QDBusVariant(scheme));
    serverBus().send(signal);
}

// Runs the program as a later launch; its exit code once it has handed over.
int launch(const QStringList &arguments, const QString &workingDirectory = {}) {
    QProcess later;
    QSignalSpy finished(&later, &QProcess::finished);
    later.setWorkingDirectory(workingDirectory);
    later.start(QCoreApplication::applicationDirPath() + u"/loomfin"_s, arguments);
    return finished.wait(20000) && later.exitStatus() == QProcess::NormalExit ? later.exitCode()
                                                                              : -1;
}

QString pathOf(const std::filesystem::path &path) {
    return QString::fromStdString(path.string());
}

} // namespace

// The window and the program among the desktop's services on a private
// session bus: appearance portal, file manager, running instance.
class SessionBusTest : public QObject {
    Q_OBJECT

    MainWindowHarness m_app;
    // Answers the colour scheme read with "dark".
    FakeService m_portal{
        u"org.freedesktop.portal.Desktop"_s,
        u"/org/freedesktop/portal/desktop"_s,
        u"org.freedesktop.portal.Settings"_s,
        {QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(1u))))}};

private slots:
    void initTestCase() {
        // The portal is up before the application asks it, as on a desktop.
        QVERIFY(m_portal.serve());
        MainWindowHarness::prepare();
    }
    void cleanup() {
        if (m_app.engine())
            QTRY_VERIFY_WITH_TIMEOUT(!m_app.engine()->isJobRunning(), 20000);
        m_app.unload();
    }

    void appearanceFollowsPortal() {
        Appearance *appearance = Appearance::instance();
        QTRY_VERIFY(appearance->isDark());
        QCOMPARE(m_portal.calls.value(u"Read"_s),
                 (QList<QVariantList>{{u"org.freedesktop.appearance"_s, u"color-scheme"_s}}));
        // Another namespace's change is not ours.
        emitColorScheme(u"org.example.other"_s, 2);
        QTest::qWait(200);
        QVERIFY(appearance->isDark());
        // The desktop switches to light and back while the program runs.
        emitColorScheme(u"org.freedesktop.appearance"_s, 2);
        QTRY_VERIFY(!appearance->isDark());
        emitColorScheme(u"org.freedesktop.appearance"_s, 1);
        QTRY_VERIFY(appearance->isDark());
        emitColorScheme(u"org.freedesktop.appearance"_s, 0);
        QTRY_VERIFY(!appearance->isDark());
    }

    void showInFolder_data() {
        QTest::addColumn<bool>("fileManager");
        QTest::newRow("file manager on the bus") << true;
        QTest::newRow("no file manager: the folder opens") << false;
    }
    void showInFolder() {
        QFETCH(bool, fileManager);
        FakeService manager(u"org.freedesktop.FileManager1"_s, u"/org/freedesktop/FileManager1"_s,
                            u"org.freedesktop.FileManager1"_s);
        QVERIFY(!fileManager || manager.serve());
        OpenedUrls opened;
        QDesktopServices::setUrlHandler(u"file"_s, &opened, "open");
        QVERIFY(m_app.load());
        const QUrl output = QUrl::fromLocalFile(u"/home/u/GIF Output/my clip#1.gif"_s);
        m_app.engine()->postCompletion(output, u"4 KB"_s);
        QTRY_VERIFY(m_app.strip("resultStrip", true));

        QSignalSpy revealed(m_app.find("fileRevealer"), SIGNAL(revealed(QUrl, bool)));
        m_app.click("showInFolderButton");
        // The bus may answer while the click is still being processed.
        QTRY_COMPARE_WITH_TIMEOUT(revealed.count(), 1, 5000);
        QDesktopServices::unsetUrlHandler(u"file"_s);
        QCOMPARE(revealed.at(0).at(1).toBool(), fileManager);
        const QList<QVariantList> shown{
            {QStringList{u"file:///home/u/GIF%20Output/my%20clip%231.gif"_s}, QString()}};
        QCOMPARE(manager.calls.value(u"ShowItems"_s), fileManager ? shown : QList<QVariantList>{});
        const QList<QUrl> folder{QUrl::fromLocalFile(u"/home/u/GIF Output"_s)};
        QCOMPARE(opened.urls, fileManager ? QList<QUrl>{} : folder);

        // Nothing else changes; the panel stays.
        QCOMPARE(m_app.engine()->lastOutputURL(), output);
        QCOMPARE(m_app.engine()->statusMessage(), u"Done — my clip#1.gif (4 KB)"_s);
        QVERIFY(m_app.strip("resultStrip", true));
    }

    void laterLaunchesHandOverToWindow() {
        QVERIFY(m_app.load());
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Role::Primary);
        AppSetup::serveInstance(instance, m_app.window(), *m_app.router());
        QSignalSpy activations(&instance, &SingleInstance::activateRequested);

        // Without paths the window is brought forward; with a folder it converts it.
        QCOMPARE(launch({}), 0);
        QTRY_COMPARE(activations.count(), 1);
        // (An empty folder: the job fails at once, saying so.)
        const auto folder = TestEnvironment::freshFolder(u"my frames"_s);
        QCOMPARE(launch({pathOf(folder)}), 0);
        QTRY_VERIFY(m_app.engine()->errorMessage().startsWith(u"No image files found"_s));
        QCOMPARE(activations.count(), 1);
        QVERIFY(m_app.window()->isVisible());
    }

    void laterLaunchCallsRunningInstance() {
        FakeService running(SingleInstance::serviceName(), SingleInstance::objectPath(),
                            u"org.freedesktop.Application"_s);
        QVERIFY(running.serve());
        const auto folder = TestEnvironment::freshFolder(u"work"_s);

        // Relative paths, dot-dots, file URLs as given; empty arguments skipped.
        QCOMPARE(launch({u"shot 1.png"_s, u"/abs/../abs/b.png"_s, u"file:///t/a%20b.png"_s, u""_s},
                        pathOf(folder)),
                 0);
        const QUrl first = QUrl::fromLocalFile(pathOf(folder) + u"/shot 1.png"_s);
        QCOMPARE(running.calls.value(u"Open"_s).value(0).value(0).toStringList(),
                 (QStringList{QString::fromLatin1(first.toEncoded()), u"file:///abs/b.png"_s,
                              u"file:///t/a%20b.png"_s}));

        QCOMPARE(launch({}), 0);
        QCOMPARE(running.calls.value(u"Activate"_s).size(), 1);
        QCOMPARE(running.calls.value(u"Open"_s).size(), 1);
    }
};

QTEST_MAIN(SessionBusTest)
#include "tst_ui_dbus.moc"
