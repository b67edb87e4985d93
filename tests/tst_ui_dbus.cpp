// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindowHarness.h"
#include "SingleInstance.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDesktopServices>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {
// The desktop's appearance portal and file manager. Records the arguments of
// each call, by method, and answers every call with the colour scheme "dark"
// (what the portal's Read returns; the file manager's callers ignore it).
class FakeDesktop : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        calls[message.member()].append(message.arguments());
        const QDBusVariant dark(QVariant::fromValue(QDBusVariant(1u)));
        return connection.send(message.createReply(QVariant::fromValue(dark)));
    }
    QString introspect(const QString &) const override { return {}; }
    QHash<QString, QList<QVariantList>> calls;
};
} // namespace

// The window and the program among the desktop's services on a private
// session bus: appearance portal, file manager, running instance.
class SessionBusTest : public QObject {
    Q_OBJECT

    MainWindowHarness m_app;
    FakeDesktop m_desktop;
    // A connection of the test's own, so the window's calls travel the bus as
    // they would to another program.
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"desk"_s);

public slots:
    void xdgOpen(const QUrl &url) { QProcess::startDetached(u"xdg-open"_s, {url.toLocalFile()}); }

private slots:
    void initTestCase() {
        // Up before the application asks, as on a desktop.
        QVERIFY(m_bus.registerVirtualObject(u"/org/freedesktop/portal/desktop"_s, &m_desktop));
        QVERIFY(m_bus.registerVirtualObject(u"/org/freedesktop/FileManager1"_s, &m_desktop));
        QVERIFY(m_bus.registerService(u"org.freedesktop.portal.Desktop"_s));
        QVERIFY(m_bus.registerService(u"org.freedesktop.FileManager1"_s));
        MainWindowHarness::prepare();
    }
    void cleanupTestCase() { QDBusConnection::disconnectFromBus(u"desk"_s); }
    void init() { QVERIFY(m_app.load()); }
    void cleanup() {
        QTRY_VERIFY_WITH_TIMEOUT(!m_app.engine()->isJobRunning(), 20000);
        m_app.unload();
    }

    // Dark at start, as the portal says, then light and dark as the desktop switches.
    void logoFollowsPortal() {
        const auto logo = [this] {
            return m_app.property("logoImage", "source").toUrl().fileName();
        };
        QTRY_COMPARE(logo(), u"logo-dark.svg"_s);
        QTRY_COMPARE(m_app.property("logoImage", "status").toInt(), 1); // Image.Ready
        for (uint scheme : {2u, 1u}) {
            QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/portal/desktop"_s,
                                                             u"org.freedesktop.portal.Settings"_s,
                                                             u"SettingChanged"_s);
            signal << u"org.freedesktop.appearance"_s << u"color-scheme"_s
                   << QVariant::fromValue(QDBusVariant(scheme));
            QVERIFY(m_bus.send(signal));
            QTRY_COMPARE(logo(), scheme == 1 ? u"logo-dark.svg"_s : u"logo.svg"_s);
        }
    }

    // (Without a file manager the folder opens: tst_ui_window.)
    void showInFolderAsksFileManager() {
        m_app.engine()->postCompletion(QUrl::fromLocalFile(u"/home/u/A B/c#1.gif"_s), u"4 KB"_s);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        m_app.click("showInFolderButton");
        const QList<QVariantList> shown{{QStringList{u"file:///home/u/A%20B/c%231.gif"_s}, u""_s}};
        QTRY_COMPARE(m_desktop.calls.value(u"ShowItems"_s), shown);
    }

    // No file manager on the bus, and Loomfin, as a user may have chosen, the
    // only program for folders: "Show in Folder" says so and starts nothing,
    // no second Loomfin (it would hand the folder to this window) and no job.
    void showInFolderNeverStartsLoomfin() {
        TestEnvironment::addDesktopEntry(
            qEnvironmentVariable("XDG_DATA_HOME").toStdString(), u"org.loomfin.Loomfin.desktop"_s,
            u"[Desktop Entry]\nType=Application\nName=Loomfin\nExec="_s +
                QCoreApplication::applicationDirPath() +
                u"/loomfin %F\nMimeType=inode/directory;\n"_s);
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Role::Primary);
        AppSetup::serveInstance(instance, m_app.window(), *m_app.router());
        QSignalSpy activations(&instance, &SingleInstance::activateRequested);
        QVERIFY(m_bus.unregisterService(u"org.freedesktop.FileManager1"_s));
        // Folders open as on an X desktop without a file manager: Qt runs
        // xdg-open (the offscreen platform opens nothing), which opens files
        // through their handlers only with a display.
        QDesktopServices::setUrlHandler(u"file"_s, this, "xdgOpen");
        qputenv("DISPLAY", ":97");
        const auto restore = qScopeGuard([this] {
            qunsetenv("DISPLAY");
            QDesktopServices::unsetUrlHandler(u"file"_s);
            m_bus.registerService(u"org.freedesktop.FileManager1"_s);
        });
        const auto gif = TestEnvironment::freshFolder(u"out"_s) / "a.gif"; // no frames beside it
        m_app.engine()->postCompletion(QUrl::fromLocalFile(TestEnvironment::str(gif)), u"4 KB"_s);
        QTRY_VERIFY(m_app.strip("resultStrip", true));
        m_app.click("showInFolderButton");
        QTRY_COMPARE(m_app.text("revealNotice"),
                     u"No file manager is installed to show the GIF."_s);
        QTest::qWait(3000); // as long as a launched program takes to hand over
        QCOMPARE(activations.count(), 0);
        QCOMPARE(m_app.engine()->errorMessage(), QString());
    }

    // A later launch hands its request to the running window and ends: no
    // paths bring the window forward, a folder (relative to where the launch
    // runs) is converted.
    void laterLaunchesHandOver() {
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Role::Primary);
        AppSetup::serveInstance(instance, m_app.window(), *m_app.router());
        QSignalSpy activations(&instance, &SingleInstance::activateRequested);
        const auto launch = [](const QStringList &arguments, const std::filesystem::path &in) {
            QProcess later;
            QSignalSpy finished(&later, &QProcess::finished); // this window answers meanwhile
            later.setWorkingDirectory(QString::fromStdString(in.string()));
            later.start(QCoreApplication::applicationDirPath() + u"/loomfin"_s, arguments);
            return finished.wait(20000) ? later.exitCode() : -1; // a crash: its signal
        };
        const auto folder = TestEnvironment::freshFolder(u"my frames"_s); // empty: fails at once
        QCOMPARE(launch({}, folder), 0);
        QTRY_COMPARE(activations.count(), 1);
        QCOMPARE(launch({QString::fromStdString(folder.filename().string())}, folder.parent_path()),
                 0);
        QTRY_VERIFY(m_app.engine()->errorMessage().startsWith(u"No image files found"_s));
        QCOMPARE(activations.count(), 1);
    }
};

QTEST_MAIN(SessionBusTest)
#include "tst_ui_dbus.moc"
