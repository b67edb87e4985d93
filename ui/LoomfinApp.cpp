#include "AppResources.h"
#include "AppSetup.h"
#include "ConvertCommand.h"
#include "DropRouter.h"
#include "FileUrls.h"
#include "SingleInstance.h"

#include "ApplicationInfo.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <cstring>

Q_IMPORT_QML_PLUGIN(LoomfinPlugin)

namespace {

// Paths (or file: URIs, as a desktop may pass) from the command line.
QList<QUrl> urlsFromArguments(int argc, char **argv) {
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strncmp(argument, "file:", 5) == 0) {
            urls.append(QUrl::fromEncoded(QByteArray(argument)));
            continue;
        }
        std::error_code error;
        std::filesystem::path path = std::filesystem::absolute(argument, error);
        if (error)
            continue;
        urls.append(urlFromLocalPath(path.lexically_normal()));
    }
    return urls;
}

void bringForward(QQuickWindow *window, const QVariantMap &platformData) {
    if (!window)
        return;
    // Lets the platform honour the launcher's activation request.
    const QString token = platformData.value(QStringLiteral("activation-token")).toString();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    const QString startupId = platformData.value(QStringLiteral("desktop-startup-id")).toString();
    if (!startupId.isEmpty())
        qputenv("DESKTOP_STARTUP_ID", startupId.toUtf8());
    window->show();
    window->raise();
    window->requestActivate();
}

} // namespace

int main(int argc, char **argv) {
    // The headless command line never touches the display.
    if (argc > 1 && std::strcmp(argv[1], "convert") == 0)
        return runConvertCommand(argc, argv);

    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(ApplicationInfo::name());
    QGuiApplication::setApplicationDisplayName(ApplicationInfo::name());
    QGuiApplication::setApplicationVersion(ApplicationInfo::version());
    QGuiApplication::setDesktopFileName(ApplicationInfo::id());

    // Qt has taken its own options out of argv by now.
    const QList<QUrl> urls = urlsFromArguments(argc, argv);

    SingleInstance instance;
    if (instance.claim() == SingleInstance::Role::Secondary) {
        if (SingleInstance::handOver(urls))
            return 0;
        std::fprintf(stderr, "loomfin: the running window did not answer; opening another\n");
    }

    AppResources::configureFromExecutableFolder(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(
        ApplicationInfo::id(),
        QIcon(QString::fromStdString(
            AppResources::filePath(QStringLiteral("icons/org.loomfin.Loomfin.svg")).string()))));

    AppSetup::prepareApplication();
    QQmlApplicationEngine engine;
    AppSetup::prepareEngine(engine);
    engine.load(AppSetup::windowUrl());
    if (engine.rootObjects().isEmpty())
        return 1;

    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    auto *router = window ? window->findChild<DropRouter *>(QStringLiteral("dropRouter")) : nullptr;

    QObject::connect(&instance, &SingleInstance::activateRequested, &app,
                     [window](const QVariantMap &data) { bringForward(window, data); });
    QObject::connect(&instance, &SingleInstance::openRequested, &app,
                     [window, router](const QList<QUrl> &opened, const QVariantMap &data) {
                         bringForward(window, data);
                         if (router)
                             router->handleDrop(opened);
                     });

    if (router && !urls.isEmpty())
        router->handleDrop(urls);

    return QGuiApplication::exec();
}
