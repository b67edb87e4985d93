// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The real window (LoomfinApp.qml over a ConverterEngine and DropRouter of
// its own, as the program makes them) for the window tests. Header only:
// only the tst_ui_* programs link the QML module.

#include "AppResources.h"
#include "AppSetup.h"
#include "ConverterEngine.h"
#include "DropRouter.h"
#include "Translations.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QQmlApplicationEngine>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTest>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

class MainWindowHarness {
public:
    // Once per program: resources beside the test executable, style, palette.
    static void prepare() {
        AppResources::configureFromExecutableFolder(
            QCoreApplication::applicationDirPath().toStdString());
        AppSetup::prepareApplication();
        Translations::install(QLocale(QLocale::English));
        // The offscreen platform complains at every size-limit change of the
        // window, which follows its content.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (!message.startsWith(QLatin1String("This plugin does not support")))
                    previous(type, context, message);
            });
    }

    // Any QML warning from the window fails the test that loaded it.
    bool load() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:/Loomfin/")));
        m_engine = std::make_unique<ConverterEngine>();
        m_router = std::make_unique<DropRouter>(*m_engine);
        m_qml = std::make_unique<QQmlApplicationEngine>();
        AppSetup::prepareEngine(*m_qml);
        m_window = AppSetup::loadWindow(*m_qml, *m_engine, *m_router);
        return m_window && QTest::qWaitForWindowExposed(m_window);
    }
    void unload() {
        m_qml.reset();
        m_window = nullptr;
        m_router.reset();
        m_engine.reset();
    }

    QQuickWindow *window() const { return m_window; }
    ConverterEngine *engine() const { return m_engine.get(); }
    DropRouter *router() const { return m_router.get(); }
    template<typename T = QObject> T *find(const char *objectName) const {
        return m_window ? m_window->findChild<T *>(QLatin1String(objectName)) : nullptr;
    }
    QQuickItem *item(const char *objectName) const { return find<QQuickItem>(objectName); }
    QVariant property(const char *objectName, const char *name) const {
        const QObject *found = find(objectName);
        return found ? found->property(name) : QVariant();
    }
    QString text(const char *objectName) const { return property(objectName, "text").toString(); }

    QPoint centreOf(const char *objectName) const {
        const QQuickItem *at = item(objectName);
        return at->mapToScene(QPointF(at->width() / 2, at->height() / 2)).toPoint();
    }
    void click(const char *objectName) const {
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centreOf(objectName));
    }
    // Presses a control as a screen reader does; false if it offers no actions.
    static bool pressAccessibly(QObject *control) {
        QAccessible::setActive(true);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (!accessible || !accessible->actionInterface())
            return false;
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        return true;
    }
    // A strip of the window is fully on screen (its animations over, so a
    // click lands inside it), or gone.
    bool strip(const char *objectName, bool shown) const {
        const QQuickItem *s = item(objectName);
        return s && s->property("shown").toBool() == shown && s->isVisible() == shown &&
               s->property("settled").toBool();
    }

private:
    std::unique_ptr<ConverterEngine> m_engine;
    std::unique_ptr<DropRouter> m_router;
    std::unique_ptr<QQmlApplicationEngine> m_qml;
    QQuickWindow *m_window = nullptr;
};
