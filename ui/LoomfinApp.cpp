// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppResources.h"
#include "AppSetup.h"
#include "ApplicationInfo.h"
#include "CommandLine.h"
#include "ConverterEngine.h"
#include "DropRouter.h"
#include "QuitSignals.h"
#include "SingleInstance.h"
#include "Translations.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

int main(int argc, char **argv) {
    // Help, version and the headless command line never touch the display.
    if (const std::optional<int> status = runWithoutWindow(argc, argv))
        return *status;
    endCleanlyWithoutDisplay();

    AppSetup::preferDesktopPortal();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(ApplicationInfo::name());
    QGuiApplication::setApplicationDisplayName(ApplicationInfo::name());
    QGuiApplication::setApplicationVersion(ApplicationInfo::version());
    QGuiApplication::setDesktopFileName(ApplicationInfo::id());
    Translations::install();

    // Qt has taken its own options out of argv by now.
    const QList<QUrl> urls = AppSetup::urlsFromArguments(argc, argv);

    // One window per session: a later launch hands its files to it.
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary) {
        if (SingleInstance::handOver(urls))
            return 0;
        std::fputs(QCoreApplication::translate(
                       "LoomfinApp", "loomfin: the open window did not answer; starting another\n")
                       .toUtf8()
                       .constData(),
                   stderr);
    }

    AppResources::configureFromExecutableFolder(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
    const std::filesystem::path icon =
        AppResources::filePath(QStringLiteral("icons/org.loomfin.Loomfin.svg"));
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(ApplicationInfo::id(), QIcon(QString::fromStdString(icon.string()))));

    AppSetup::prepareApplication();
    // Outlive the window, which shows them.
    ConverterEngine engine;
    DropRouter router(engine);
    QQmlApplicationEngine qml;
    AppSetup::prepareEngine(qml);
    QQuickWindow *window = AppSetup::loadWindow(qml, engine, router);
    if (!window)
        return 1;

    AppSetup::serveInstance(instance, window, router);
    if (!urls.isEmpty())
        router.handleDrop(urls);
    // SIGTERM or Ctrl-C end the program like closing the window would: the
    // engine is destroyed on the way out, which stops a running job and
    // removes its files.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &app, &QCoreApplication::quit);

    return QGuiApplication::exec();
}
