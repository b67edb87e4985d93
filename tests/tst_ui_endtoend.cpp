#include "ConverterEngine.h"
#include "FileUrls.h"
#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDropEvent>
#include <QMimeData>
#include <QQmlExtensionPlugin>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

namespace {
// The desktop's notification server, on a connection of its own.
class NotificationServer : public QObject {
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
} // namespace

// A folder of real frames dropped on the real window, converted by the real
// ffmpeg and gifsicle, until the result panel shows the file.
class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void dropFolderToResult();

private:
    MainWindowHarness m_app;
    NotificationServer m_notifications;
};

void EndToEndTest::initTestCase() {
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("servers"));
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_notifications,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    MainWindowHarness::prepare();
}

void EndToEndTest::dropFolderToResult() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:/Loomfin/")));
    const auto frames = TestEnvironment::freshFolder(QStringLiteral("my frames"));
    TestEnvironment::makeFrames(frames, QStringLiteral("shot_"), 1, 8);
    const auto output = TestEnvironment::freshFolder(QStringLiteral("out"));

    QVERIFY(m_app.load());
    ConverterEngine *engine = m_app.engine();
    engine->setOutputPath(urlFromLocalPath(output).toString());
    engine->setWidth(100);
    QSignalSpy converting(engine, &ConverterEngine::isConvertingChanged);

    QMimeData data;
    data.setUrls({urlFromLocalPath(frames)});
    const QPoint at = MainWindowHarness::centreOf(m_app.item(QStringLiteral("dropZone")));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_app.window(), &drop);
    QVERIFY(drop.isAccepted());

    // While it runs: the strip, the spinner and the stage in the zone.
    QTRY_VERIFY_WITH_TIMEOUT(engine->isConverting(), 20000);
    QVERIFY(m_app.item(QStringLiteral("spinner"))->isVisible());
    QVERIFY(!m_app.item(QStringLiteral("dropZone"))->isEnabled());
    QVERIFY(m_app.item(QStringLiteral("progressStrip"))->property("shown").toBool());

    QTRY_VERIFY_WITH_TIMEOUT(m_app.stripShown(QStringLiteral("resultStrip")), 60000);
    QVERIFY(m_app.stripHidden(QStringLiteral("progressStrip")));
    QVERIFY(m_app.stripHidden(QStringLiteral("errorBanner")));
    QCOMPARE(converting.count(), 2);

    const QUrl gif = engine->lastOutputURL();
    const QString name = lastPathComponent(gif);
    QVERIFY2(QRegularExpression(QStringLiteral("^animation_.+\\.gif$")).match(name).hasMatch(),
             qPrintable(name));
    QCOMPARE(localPathFromUrl(gif).parent_path(), output);
    QCOMPARE(TestEnvironment::gifFrameCount(localPathFromUrl(gif)), 8);

    QCOMPARE(m_app.text(QStringLiteral("resultFileName")), name);
    const QString status = m_app.text(QStringLiteral("resultStatus"));
    const auto sized = QRegularExpression(QStringLiteral("^Done — (.+) \\((.+)\\)$")).match(status);
    QVERIFY2(sized.hasMatch(), qPrintable(status));
    QCOMPARE(sized.captured(1), name);
    const QString sizeText = sized.captured(2);
    QVERIFY2(sizeText.contains(QRegularExpression(QStringLiteral("\\d"))), qPrintable(sizeText));

    QCOMPARE(m_app.text(QStringLiteral("dropZoneTitle")),
             QStringLiteral("Drop image sequence folder here"));
    QCOMPARE(m_app.item(QStringLiteral("dropZone"))->property("spinAngle").toDouble(), 0.0);
    QTRY_COMPARE(m_notifications.received.size(), 1);
    QCOMPARE(
        m_notifications.received.at(0),
        (QStringList{QStringLiteral("Loomfin — Done ✓"), name + QStringLiteral(" · ") + sizeText}));

    engine->setOutputPath(QString());
    engine->setWidth(600);
    m_app.unload();
}

QTEST_MAIN(EndToEndTest)
#include "tst_ui_endtoend.moc"
