#pragma once

#include <QList>
#include <QUrl>

class QQmlEngine;
class QQuickWindow;
class SingleInstance;

// What the program and the window tests share before loading the window.
namespace AppSetup {
// Fusion style and the light/dark palette; after the QGuiApplication exists.
void prepareApplication();
// The module's import path and the "symbol" image provider.
void prepareEngine(QQmlEngine &engine);
// The window's QML file.
QUrl windowUrl();
// Paths (or file: URIs, as a desktop may pass) from the command line, as
// file URLs; relative paths are taken from the current folder.
QList<QUrl> urlsFromArguments(int argc, char **argv);
// Requests from later launches reach the window: it comes forward, and
// files are handled as if they had been dropped on it.
void serveInstance(SingleInstance &instance, QQuickWindow *window);
} // namespace AppSetup
