#include "TestEnvironment.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using TestEnvironment::runProgram;

// The launcher entry, the AppStream metadata and the installed tree.
class DesktopFilesTest : public QObject {
    Q_OBJECT
    const QString m_base = u"" LOOMFIN_SOURCE_DIR "/resources/org.loomfin.Loomfin"_s;

private slots:
    void validatorsPass() {
        int status = -1;
        // Hints count too: a clean desktop entry prints nothing.
        QString text = runProgram(u"desktop-file-validate"_s, {m_base + u".desktop"_s}, &status);
        QVERIFY2(status == 0 && text.isEmpty(), qPrintable(text));
        text = runProgram(u"appstreamcli"_s,
                          {u"validate"_s, u"--no-net"_s, m_base + u".metainfo.xml"_s}, &status);
        QVERIFY2(status == 0, qPrintable(text));
    }

    void installTree() {
        const auto prefix = TestEnvironment::freshFolder(u"prefix"_s);
        QCOMPARE(QProcess::execute(u"cmake"_s, {u"--install"_s, u"" LOOMFIN_BINARY_DIR ""_s,
                                                u"--prefix"_s, QString::fromStdString(prefix)}),
                 0);
        for (const char *relative :
             {"bin/loomfin", "share/loomfin/symbols/photo.svg", "share/loomfin/Tools",
              "share/applications/org.loomfin.Loomfin.desktop",
              "share/metainfo/org.loomfin.Loomfin.metainfo.xml",
              "share/icons/hicolor/scalable/apps/org.loomfin.Loomfin.svg"})
            QVERIFY2(std::filesystem::exists(prefix / relative), relative);
        // Installed under any prefix, the program starts: its window takes the
        // bus name named like its desktop entry, for later launches.
        QProcess program;
        program.start(QString::fromStdString(prefix / "bin/loomfin"));
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     u"org.loomfin.Loomfin"_s),
                                 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "tst_desktop_files.moc"
