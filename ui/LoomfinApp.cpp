#include "AppResources.h"
#include "AppSetup.h"
#include "ApplicationInfo.h"
#include "CommandLine.h"
#include "DropRouter.h"
#include "QuitSignals.h"
#include "SingleInstance.h"

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

    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(ApplicationInfo::name());
    QGuiApplication::setApplicationDisplayName(ApplicationInfo::name());
    QGuiApplication::setApplicationVersion(ApplicationInfo::version());
    QGuiApplication::setDesktopFileName(ApplicationInfo::id());

    // Qt has taken its own options out of argv by now.
    const QList<QUrl> urls = AppSetup::urlsFromArguments(argc, argv);

    // One window per session: a later launch hands its files to it.
    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary) {
        if (SingleInstance::handOver(urls))
            return 0;
        std::fprintf(stderr, "loomfin: the open window did not answer; starting another\n");
    }

    AppResources::configureFromExecutableFolder(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
    const std::filesystem::path icon =
        AppResources::filePath(QStringLiteral("icons/org.loomfin.Loomfin.svg"));
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(ApplicationInfo::id(), QIcon(QString::fromStdString(icon.string()))));

    AppSetup::prepareApplication();
    QQmlApplicationEngine engine;
    AppSetup::prepareEngine(engine);
    engine.load(AppSetup::windowUrl());
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window)
        return 1;

    AppSetup::serveInstance(instance, window);
    if (!urls.isEmpty()) {
        if (auto *router = window->findChild<DropRouter *>(QStringLiteral("dropRouter")))
            router->handleDrop(urls);
    }
    // SIGTERM or Ctrl-C close the window like the user would: the engine is
    // destroyed with it, which stops a running job and removes its files.
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &app, &QCoreApplication::quit);

    return QGuiApplication::exec();
}
