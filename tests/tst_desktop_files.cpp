// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestEnvironment.h"

#include <QDBusConnectionInterface>
#include <QFile>
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
                          {u"validate"_s, u"--pedantic"_s, u"--no-net"_s, u"--no-color"_s,
                           u"" LOOMFIN_SOURCE_DIR "/resources/org.loomfin.loomfin.metainfo.xml"_s},
                          &status);
        // Pedantic notes would be counted after "successful".
        QVERIFY2(status == 0 && text.trimmed().endsWith(u"Validation was successful."_s),
                 qPrintable(text));
    }

    // In a data folder holding only Loomfin's entry (and the system's), Loomfin
    // opens no folder and no picture unless the user chooses it. The probe, an
    // entry made for this test, shows the query reads that folder.
    void neverTheDefault_data() {
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QString>("handler"); // empty: anything but Loomfin
        for (const char *type : {"inode/directory", "image/png", "image/jpeg", "image/tiff",
                                 "image/bmp", "image/x-tga"})
            QTest::newRow(type) << QString::fromLatin1(type) << QString();
        QTest::newRow("probe") << u"application/x-loomfin-probe"_s << u"probe.desktop"_s;
    }
    void neverTheDefault() {
        QFETCH(QString, mimeType);
        QFETCH(QString, handler);
        static const auto dataHome = [] {
            const auto home = TestEnvironment::freshFolder(u"data"_s);
            QFile entry(u"" LOOMFIN_SOURCE_DIR "/resources/org.loomfin.Loomfin.desktop"_s);
            if (entry.open(QIODevice::ReadOnly))
                TestEnvironment::addDesktopEntry(home, u"org.loomfin.Loomfin.desktop"_s,
                                                 QString::fromUtf8(entry.readAll()));
            TestEnvironment::addDesktopEntry(
                home, u"probe.desktop"_s,
                u"[Desktop Entry]\nType=Application\nName=Probe\n"
                "Exec=true %F\nMimeType=application/x-loomfin-probe;\n"_s);
            return TestEnvironment::str(home);
        }();
        int status = -1;
        const QString answer = runProgram(u"env"_s,
                                          {u"XDG_DATA_HOME="_s + dataHome, u"xdg-mime"_s,
                                           u"query"_s, u"default"_s, mimeType},
                                          &status)
                                   .trimmed();
        QCOMPARE(status, 0);
        if (handler.isEmpty())
            QVERIFY2(!answer.contains(u"loomfin"_s, Qt::CaseInsensitive), qPrintable(answer));
        else
            QCOMPARE(answer, handler);
    }

    void installTree() {
        const auto prefix = TestEnvironment::freshFolder(u"prefix"_s);
        QCOMPARE(QProcess::execute(u"cmake"_s, {u"--install"_s, u"" LOOMFIN_BINARY_DIR ""_s,
                                                u"--prefix"_s, QString::fromStdString(prefix)}),
                 0);
        for (const char *relative : {"bin/loomfin", "share/loomfin/symbols/photo.svg",
                                     "share/applications/org.loomfin.Loomfin.desktop",
                                     "share/kio/servicemenus/org.loomfin.Loomfin.makegif.desktop",
                                     "share/metainfo/org.loomfin.loomfin.metainfo.xml",
                                     "share/icons/hicolor/scalable/apps/org.loomfin.Loomfin.svg"})
            QVERIFY2(std::filesystem::exists(prefix / relative), relative);
        // Tools come from the system; an empty folder would only mislead.
        QVERIFY(!std::filesystem::exists(prefix / "share/loomfin/Tools"));
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
