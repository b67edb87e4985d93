// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommandLine.h"

#include "ApplicationInfo.h"
#include "ConvertCommand.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QMessageLogContext>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

const char helpText[] = QT_TRANSLATE_NOOP(
    "CommandLine",
    "Usage: loomfin [PATH...]\n"
    "       loomfin convert [options] PATH...\n"
    "Turns a numbered image sequence into an optimised animated GIF.\n"
    "\n"
    "  loomfin              open the window; drop a folder of frames (or some frame\n"
    "                       files) on it, or click it to choose a folder\n"
    "  loomfin PATH...      open the window and convert the folder or the frame files\n"
    "                       given (a window already open takes them instead)\n"
    "  loomfin convert ...  convert without a window, one GIF per folder;\n"
    "                       see loomfin convert --help\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show the version\n"
    "\n"
    "Settings (frame rate, width, colours, lossy level, loops, frame skip, output\n"
    "folder) are set in the window and kept in $XDG_CONFIG_HOME/Loomfin/Loomfin.conf\n"
    "(usually ~/.config/Loomfin/Loomfin.conf); convert's options override them for\n"
    "one run. GIFs go to ~/Documents/GIF_Output unless another folder is set.\n"
    "More in loomfin(1).\n");

const char noDisplayLine[] = QT_TRANSLATE_NOOP(
    "CommandLine",
    "loomfin: no display found; to convert without a window use: loomfin convert PATH…\n");

// Messages Qt logs while it looks for a display are held back: when none
// is found they would only bury the one line that says what to do.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

std::mutex g_mutex;
QByteArray g_noDisplayLine; // in the user's language, ready before Qt looks for a display
std::vector<HeldMessage> g_held;
QtMessageHandler g_previous = nullptr;

void replayHeld() {
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(g_mutex);
        qInstallMessageHandler(g_previous);
        held.swap(g_held);
    }
    for (const HeldMessage &m : held) {
        const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                         m.category.constData());
        qt_message_output(m.type, context, m.text);
    }
}

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    // Qt's last word when no platform plugin could start (xcb without a
    // reachable X server, a dead Wayland socket): it would abort next.
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        std::fputs(g_noDisplayLine.constData(), stderr);
        std::fflush(stderr);
        ::_exit(1);
    }
    if (type == QtFatalMsg) {
        replayHeld();
        qt_message_output(type, context, text);
        return;
    }
    const std::lock_guard lock(g_mutex);
    g_held.push_back({type, QByteArray(context.file), QByteArray(context.function),
                      QByteArray(context.category), context.line, text});
}

void printVersion() {
    std::printf("loomfin %s\n", qPrintable(ApplicationInfo::version()));
}

} // namespace

std::optional<int> runWithoutWindow(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "convert") == 0)
        return runConvertCommand(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--") == 0)
            break;
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            QCoreApplication app(argc, argv);
            Translations::install();
            std::fputs(QCoreApplication::translate("CommandLine", helpText).toUtf8().constData(),
                       stdout);
            return 0;
        }
        if (std::strcmp(arg, "-V") == 0 || std::strcmp(arg, "--version") == 0) {
            printVersion();
            return 0;
        }
    }
    return std::nullopt;
}

void endCleanlyWithoutDisplay() {
    const std::lock_guard lock(g_mutex);
    g_noDisplayLine = Translations::early("CommandLine", noDisplayLine).toUtf8();
    g_previous = qInstallMessageHandler(holdOrEnd);
    // Runs inside the QGuiApplication constructor once the platform plugin
    // is up, which is where the display was found.
    qAddPreRoutine(replayHeld);
}
