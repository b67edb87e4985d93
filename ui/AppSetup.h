// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QUrl>

class ConverterEngine;
class DropRouter;
class QQmlApplicationEngine;
class QQmlEngine;
class QQuickWindow;
class SingleInstance;

// What the program and the window tests share before loading the window.
namespace AppSetup {
// Lets a desktop's file chooser portal serve the folder choosers; before
// the QGuiApplication exists.
void preferDesktopPortal();
// Fusion style and the light/dark palette; after the QGuiApplication exists.
void prepareApplication();
// The module's import path and the "symbol" image provider.
void prepareEngine(QQmlEngine &engine);
// Loads the window over the program's engine and drop router (its required
// properties); null when it could not be made.
QQuickWindow *loadWindow(QQmlApplicationEngine &qml, ConverterEngine &engine, DropRouter &router);
// Paths (or file: URIs, as a desktop may pass) from the command line, as
// file URLs; relative paths are taken from the current folder.
QList<QUrl> urlsFromArguments(int argc, char **argv);
// Requests from later launches reach the window: it comes forward, and
// files are handled as if they had been dropped on it.
void serveInstance(SingleInstance &instance, QQuickWindow *window, DropRouter &router);
} // namespace AppSetup
