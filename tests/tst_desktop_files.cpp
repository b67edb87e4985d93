#include "FakeNotificationServer.h"
#include "FrameSequence.h"
#include "TestEnvironment.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using TestEnvironment::runProgram;

namespace {
const QString resources = QStringLiteral(LOOMFIN_SOURCE_DIR "/resources/org.loomfin.Loomfin");
const QString desktopFile = resources + u".desktop"_s;
} // namespace

// The launcher entry, the AppStream metadata and the installed tree.
class DesktopFilesTest : public QObject {
    Q_OBJECT

private slots:
    void validators_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry") << u"desktop-file-validate"_s << QStringList{desktopFile};
        QTest::newRow("metainfo") << u"appstreamcli"_s
                                  << QStringList{u"validate"_s, u"--no-net"_s, u"--explain"_s,
                                                 resources + u".metainfo.xml"_s};
    }
    void validators() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        int exitCode = -1;
        const QString output = runProgram(program, arguments, &exitCode);
        // Hints count too: a clean desktop entry prints nothing.
        QVERIFY2(exitCode == 0 && (program == u"appstreamcli"_s || output.isEmpty()),
                 qPrintable(output));
    }
    void desktopEntryContents() {
        QFile file(desktopFile);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        // StartupWMClass is the window's X class, which matches the window to its entry.
        QCOMPARE(lines.filter(QRegularExpression(u"^(Name|Exec|Icon|StartupWMClass|MimeType)="_s)),
                 (QStringList{u"Name=Loomfin"_s, u"Exec=loomfin %F"_s,
                              u"Icon=org.loomfin.Loomfin"_s, u"StartupWMClass=Loomfin"_s,
                              u"MimeType=image/png;image/jpeg;image/tiff;image/x-tga;image/bmp;"
                              u"inode/directory;"_s}));
    }
    void installTree() {
        const auto prefix = TestEnvironment::freshFolder(u"prefix"_s);
        int exitCode = -1;
        runProgram(u"cmake"_s,
                   {u"--install"_s, QStringLiteral(LOOMFIN_BINARY_DIR), u"--prefix"_s,
                    QString::fromStdString(prefix.string())},
                   &exitCode);
        QCOMPARE(exitCode, 0);
        for (const char *relative :
             {"bin/loomfin", "share/loomfin/logo.svg", "share/loomfin/logo-dark.svg",
              "share/loomfin/symbols/gearshape.svg", "share/loomfin/symbols/arrow.2.circlepath.svg",
              "share/loomfin/symbols/photo.svg", "share/loomfin/symbols/checkmark.circle.fill.svg",
              "share/loomfin/symbols/exclamationmark.triangle.fill.svg",
              "share/applications/org.loomfin.Loomfin.desktop",
              "share/metainfo/org.loomfin.Loomfin.metainfo.xml",
              "share/icons/hicolor/scalable/apps/org.loomfin.Loomfin.svg"})
            QVERIFY2(std::filesystem::is_regular_file(prefix / relative), relative);
        QVERIFY(std::filesystem::is_directory(prefix / "share/loomfin/Tools"));

        // Moved elsewhere, the installed program still starts and runs a job.
        const auto moved = TestEnvironment::freshFolder(u"moved"_s) / "usr";
        std::filesystem::rename(prefix, moved);
        FakeNotificationServer notifications(false);
        QVERIFY(notifications.isRegistered());
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(
            QString::fromStdString((moved / "bin/loomfin").string()),
            {QString::fromStdString(TestEnvironment::freshFolder(u"no frames"_s).string())});
        QVERIFY(program.waitForStarted());
        // The window opened and ran the job: its failure is announced.
        QTRY_COMPARE_WITH_TIMEOUT(notifications.received.size(), 1, 20000);
        QCOMPARE(notifications.received.at(0).summary, u"Loomfin — Error"_s);
        QCOMPARE(notifications.received.at(0).body, noImagesMessage());
        // It holds the bus name named like its desktop entry, for later launches.
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            u"org.loomfin.Loomfin"_s));
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "tst_desktop_files.moc"
