#pragma once

// The real window (LoomfinApp.qml with its ConverterEngine) for the window
// tests. Header only: only the tst_ui_* programs link the QML module.

#include "AppResources.h"
#include "AppSetup.h"
#include "ConverterEngine.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

class MainWindowHarness {
public:
    // Once per test program, before the first load: resources beside the
    // test executable's build tree, Fusion style, light/dark palette.
    static void prepare() {
        AppResources::configureFromExecutableFolder(
            std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
        AppSetup::prepareApplication();
        // The offscreen platform complains at every size-limit change of the
        // window, which follows its content.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (!message.startsWith(QLatin1String("This plugin does not support")))
                    previous(type, context, message);
            });
    }

    bool load() {
        m_qml = std::make_unique<QQmlApplicationEngine>();
        AppSetup::prepareEngine(*m_qml);
        m_qml->load(AppSetup::windowUrl());
        if (m_qml->rootObjects().isEmpty())
            return false;
        m_window = qobject_cast<QQuickWindow *>(m_qml->rootObjects().constFirst());
        if (!m_window)
            return false;
        m_engine = m_window->findChild<ConverterEngine *>(QStringLiteral("engine"));
        return m_engine && QTest::qWaitForWindowExposed(m_window);
    }

    void unload() {
        m_qml.reset();
        m_window = nullptr;
        m_engine = nullptr;
    }

    QQuickWindow *window() const { return m_window; }
    ConverterEngine *engine() const { return m_engine; }

    template<typename T = QQuickItem> T *find(const QString &objectName) const {
        return m_window ? m_window->findChild<T *>(objectName) : nullptr;
    }
    QQuickItem *item(const QString &objectName) const { return find<QQuickItem>(objectName); }

    QString text(const QString &objectName) const {
        const QQuickItem *found = item(objectName);
        return found ? found->property("text").toString()
                     : QStringLiteral("<missing %1>").arg(objectName);
    }

    // A point in the window's coordinates, inside the item.
    static QPoint centreOf(const QQuickItem *item) {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }

    void click(const QString &objectName) const {
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centreOf(item(objectName)));
    }

    // A strip of the window is on screen (its show/hide animation is over).
    bool stripShown(const QString &objectName) const {
        const QQuickItem *strip = item(objectName);
        return strip && strip->property("shown").toBool() && strip->isVisible() &&
               strip->height() > 0 && strip->opacity() == 1.0;
    }
    bool stripHidden(const QString &objectName) const {
        const QQuickItem *strip = item(objectName);
        return strip && !strip->property("shown").toBool() && !strip->isVisible();
    }

private:
    std::unique_ptr<QQmlApplicationEngine> m_qml;
    QQuickWindow *m_window = nullptr;
    ConverterEngine *m_engine = nullptr;
};
