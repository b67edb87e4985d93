// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppSetup.h"

#include "Appearance.h"
#include "ConverterEngine.h"
#include "DropRouter.h"
#include "FileUrls.h"
#include "SingleInstance.h"
#include "SymbolImageProvider.h"
#include "Theme.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

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
    // Qt picks the desktop's platform theme by itself, and with it the native
    // file chooser where the theme has one: GNOME and its relatives through
    // the GTK theme plugin. Elsewhere (KDE Plasma, whose Qt 6 integration
    // Debian 12 lacks, and the rest) a running desktop portal can serve the
    // chooser, once Qt's portal theme plugin is there. Without either Qt falls
    // back to its own chooser.
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    if (desktops.isEmpty())
        return;
    const QString themes = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platformthemes/"_L1;
    static const QStringList gtkDesktops{"GNOME"_L1, "X-CINNAMON"_L1, "UNITY"_L1,
                                         "MATE"_L1,  "XFCE"_L1,       "LXDE"_L1};
    const bool gtkDesktop =
        std::any_of(gtkDesktops.begin(), gtkDesktops.end(),
                    [&](const QString &name) { return desktops.split(u':').contains(name); });
    if (gtkDesktop && QFileInfo::exists(themes + "libqgtk3.so"_L1))
        return;
    if (QFileInfo::exists(themes + "libqxdgdesktopportal.so"_L1))
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
