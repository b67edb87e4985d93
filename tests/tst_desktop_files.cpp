#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

namespace {
const QString sourceDir = QStringLiteral(LOOMFIN_SOURCE_DIR);
const QString desktopFile = sourceDir + QStringLiteral("/resources/org.loomfin.Loomfin.desktop");
const QString metainfoFile =
    sourceDir + QStringLiteral("/resources/org.loomfin.Loomfin.metainfo.xml");

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// Stands in for the desktop's notification server.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries;
public slots:
    QStringList GetCapabilities() { return {}; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &,
                const QStringList &, const QVariantMap &, int) {
        summaries.append(summary);
        return 1;
    }
};
} // namespace

// The launcher entry, the AppStream metadata and the installed tree.
class DesktopFilesTest : public QObject {
    Q_OBJECT

private slots:
    void desktopEntryValid();
    void desktopEntryContents();
    void metainfoValid();
    void installTree();

private:
    std::filesystem::path m_prefix;
};

void DesktopFilesTest::desktopEntryValid() {
    const Run result = run(QStringLiteral("desktop-file-validate"), {desktopFile});
    QCOMPARE(result.exitCode, 0);
    // Hints count too: a clean entry prints nothing.
    QVERIFY2(result.output.trimmed().isEmpty(), qPrintable(result.output));
}

void DesktopFilesTest::desktopEntryContents() {
    QFile file(desktopFile);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QString, QString> entry;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("loomfin %F"));
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("org.loomfin.Loomfin"));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Loomfin"));
    // The window's X class, so the running window is matched to its entry.
    QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("Loomfin"));
    const QStringList mimeTypes =
        entry.value(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QCOMPARE(mimeTypes,
             (QStringList{QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
                          QStringLiteral("image/tiff"), QStringLiteral("image/x-tga"),
                          QStringLiteral("image/bmp"), QStringLiteral("inode/directory")}));
}

void DesktopFilesTest::metainfoValid() {
    const Run result =
        run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             QStringLiteral("--explain"), metainfoFile});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
}

void DesktopFilesTest::installTree() {
    const QString binaryDir = QStringLiteral(LOOMFIN_BINARY_DIR);
    m_prefix = TestEnvironment::freshFolder(QStringLiteral("prefix"));
    const QString prefix = QString::fromStdString(m_prefix.string());
    const Run install = run(QStringLiteral("cmake"), {QStringLiteral("--install"), binaryDir,
                                                      QStringLiteral("--prefix"), prefix});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));

    for (const char *relative :
         {"bin/loomfin", "share/loomfin/logo.svg", "share/loomfin/logo-dark.svg",
          "share/loomfin/symbols/gearshape.svg", "share/loomfin/symbols/arrow.2.circlepath.svg",
          "share/loomfin/symbols/photo.svg", "share/loomfin/symbols/checkmark.circle.fill.svg",
          "share/loomfin/symbols/exclamationmark.triangle.fill.svg",
          "share/applications/org.loomfin.Loomfin.desktop",
          "share/metainfo/org.loomfin.Loomfin.metainfo.xml",
          "share/icons/hicolor/scalable/apps/org.loomfin.Loomfin.svg"})
        QVERIFY2(std::filesystem::is_regular_file(m_prefix / relative), relative);
    QVERIFY(std::filesystem::is_directory(m_prefix / "share/loomfin/Tools"));

    const Run validate =
        run(QStringLiteral("desktop-file-validate"),
            {prefix + QStringLiteral("/share/applications/org.loomfin.Loomfin.desktop")});
    QCOMPARE(validate.exitCode, 0);

    // Moved elsewhere, the installed program still starts and runs a job.
    const auto moved = TestEnvironment::freshFolder(QStringLiteral("moved")) / "usr";
    std::filesystem::rename(m_prefix, moved);
    NotificationServer server;
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("servers"));
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    const auto empty = TestEnvironment::freshFolder(QStringLiteral("no frames"));

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QString::fromStdString((moved / "bin/loomfin").string()),
                  {QString::fromStdString(empty.string())});
    QVERIFY(program.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(server.summaries, QStringList{QStringLiteral("Loomfin — Error")},
                              20000);
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(DesktopFilesTest)
#include "tst_desktop_files.moc"
