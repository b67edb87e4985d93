#pragma once

#include <QUrl>

class QQmlEngine;

// What the program and the window tests share before loading the window.
namespace AppSetup {
// Fusion style and the light/dark palette; after the QGuiApplication exists.
void prepareApplication();
// The module's import path and the "symbol" image provider.
void prepareEngine(QQmlEngine &engine);
// The window's QML file.
QUrl windowUrl();
} // namespace AppSetup
