#include "AppSetup.h"

#include "Appearance.h"
#include "ConverterEngine.h"
#include "DropRouter.h"
#include "FileUrls.h"
#include "SingleInstance.h"
#include "SymbolImageProvider.h"
#include "Theme.h"

#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>

#include <cstring>

namespace {

void bringForward(QQuickWindow *window, const QVariantMap &platformData) {
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

namespace AppSetup {

void preferDesktopPortal() {
    // Qt uses the portal's file chooser only inside sandboxes by itself. A
    // desktop session gets its own chooser through the portal when Qt's portal
    // theme plugin is installed; without it, or without a portal answering,
    // Qt goes on with the desktop's usual theme (GTK, KDE or its own).
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME") ||
        qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
}

void prepareApplication() {
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
    Appearance::instance();
    Theme::instance();
}

void prepareEngine(QQmlEngine &engine) {
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
}

QQuickWindow *loadWindow(QQmlApplicationEngine &qml, ConverterEngine &engine, DropRouter &router) {
    qml.setInitialProperties({{QStringLiteral("engine"), QVariant::fromValue(&engine)},
                              {QStringLiteral("dropRouter"), QVariant::fromValue(&router)}});
    qml.load(QUrl(QStringLiteral("qrc:/Loomfin/LoomfinApp.qml")));
    const auto roots = qml.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constFirst());
}

QList<QUrl> urlsFromArguments(int argc, char **argv) {
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strncmp(argument, "file:", 5) == 0) {
            urls.append(QUrl::fromEncoded(QByteArray(argument)));
            continue;
        }
        if (*argument == '\0')
            continue;
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(argument, error);
        if (!error)
            urls.append(urlFromLocalPath(path.lexically_normal()));
    }
    return urls;
}

void serveInstance(SingleInstance &instance, QQuickWindow *window, DropRouter &router) {
    QObject::connect(&instance, &SingleInstance::activateRequested, window,
                     [window](const QVariantMap &data) { bringForward(window, data); });
    QObject::connect(&instance, &SingleInstance::openRequested, window,
                     [window, &router](const QList<QUrl> &urls, const QVariantMap &data) {
                         bringForward(window, data);
                         router.handleDrop(urls);
                     });
}

} // namespace AppSetup
