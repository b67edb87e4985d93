// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MainWindowHarness.h"
#include "TestEnvironment.h"

#include <QDropEvent>
#include <QMimeData>

#include <fstream>

using namespace Qt::StringLiterals;

// Drops on the real window as a file manager sends them: a text/uri-list
// through the drop zone (lit while a drag hovers) and the drop router to the
// engine's job.
class DropTest : public QObject {
    Q_OBJECT

    MainWindowHarness m_app;
    QString m_root;

    // A line taken verbatim (a comment, a path, a URL; "~" stands for the test
    // folder), or a name made in the test folder: a file if it has a dot, else
    // a folder of two frames.
    QByteArray uriListLine(const QString &entry) const {
        if (entry.startsWith(u'#') || entry.startsWith(u'/') || entry.contains(u':'))
            return entry.toUtf8().replace('~', QUrl::toPercentEncoding(m_root, "/"));
        const std::filesystem::path path = (m_root + u'/' + entry).toStdString();
        if (entry.contains(u'.')) {
            std::ofstream(path) << "not really an image";
        } else {
            std::filesystem::create_directories(path);
            for (const char *frame : {"f1.png", "f2.png"})
                std::ofstream(path / frame) << "not really an image";
        }
        return QUrl::fromLocalFile(m_root + u'/' + entry).toEncoded();
    }

private slots:
    void initTestCase() { MainWindowHarness::prepare(); }
    void init() {
        m_root = QString::fromStdString(TestEnvironment::freshFolder(u"drop"_s).string());
        QVERIFY(m_app.load());
    }
    void cleanup() { m_app.unload(); }

    void drop_data() {
        QTest::addColumn<QString>("dropped"); // entries separated by "|" (see uriListLine)
        QTest::addColumn<QString>("job");     // how the job starts or fails, "" for none
        const auto row = [](const char *name, const char *dropped, const char *job) {
            QTest::newRow(name) << QString::fromUtf8(dropped) << QString::fromUtf8(job);
        };
        row("a folder, trailing slash", "my shots/", "Found 2 frames…");
        row("two folders: the first by name", "shots|file://localhost~/missing/",
            "No image files found");
        row("files with a folder", "b.png|clips|a%25.png", "Using 2 selected frames…");
        row("comments and URLs that are not local files skipped",
            "# dragged from a browser|b.png|file://localhost~/a.png|file://server/tmp/c.png|"
            "/nonexistent/d.png|file:e.png|https://example.com/f.png|mailto:someone@example.com",
            "Using 1 selected frame…"); // a missing file is no frame
        row("only non-file URLs", "https://example.com/b.png", "");
        row("empty list", "", "refused");
        row("a folder while converting", "shots", "refused while converting");
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
        QByteArray list;
        for (const QString &entry : dropped.split(u'|', Qt::SkipEmptyParts))
            list += uriListLine(entry) + "\r\n";
        QMimeData data;
        data.setData(u"text/uri-list"_s, list);

        // Dragged over the drop zone's centre, which lights up unless converting,
        // and dropped there, as a file manager does.
        const QVariant idleColour = m_app.property("dropZoneTitle", "color");
        const QPoint at = m_app.centreOf("dropZone");
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_app.window(), &enter);
        QCOMPARE(m_app.property("dropZoneTitle", "color") != idleColour, !converting);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_app.window(), &drop);
        const bool taken = !job.startsWith(u"refused"_s);
        QCOMPARE(drop.isAccepted(), taken);
        QCOMPARE(m_app.property("dropZoneTitle", "color"), idleColour);
        engine->setIsConverting(false);
        QTRY_VERIFY_WITH_TIMEOUT(!engine->isJobRunning(), 20000);
        // The frames are no images: every job fails, most after a first stage.
        const QString outcome = stages.value(0) + engine->errorMessage();
        QVERIFY2(taken && !job.isEmpty() ? outcome.startsWith(job) : outcome.isEmpty(),
                 qPrintable(outcome));
    }
};

QTEST_MAIN(DropTest)
#include "tst_ui_drop.moc"
