// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace {

std::filesystem::path makeRoot() {
    if (std::getenv("LOOMFIN_TEST_ISOLATED")) {
        return std::filesystem::path(std::getenv("HOME")).parent_path();
    }
    // Started by hand: isolate before anything reads the environment.
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/loomfin-test-XXXXXX";
    if (!::mkdtemp(templ.data()))
        std::abort();
    const std::filesystem::path root(templ);
    for (const char *sub : {"home", "config", "data", "cache", "tmp", "runtime"})
        std::filesystem::create_directories(root / sub);
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LANG", "C.UTF-8", 1);
    for (const char *variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        ::unsetenv(variable);
    for (const char *variable : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY",
                                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION"})
        ::unsetenv(variable);
    ::setenv("LOOMFIN_TEST_ISOLATED", "1", 1);
    return root;
}

// Runs before main(), before any QSettings or QStandardPaths use.
const std::filesystem::path g_root = makeRoot();

} // namespace

namespace TestEnvironment {

std::filesystem::path root() {
    return g_root;
}

std::filesystem::path freshFolder(const QString &name) {
    static int counter = 0;
    const auto folder = g_root / "work" / (name.toStdString() + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

void makeFrames(const std::filesystem::path &folder, const QString &prefix, int first, int count,
                int digits, int width, int height, const QString &extension) {
    std::filesystem::create_directories(folder);
    const QString pattern =
        str(folder) + '/' + prefix + "%0" + QString::number(digits) + "d." + extension;
    int code = 0;
    runProgram("ffmpeg",
               {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                QString("testsrc=size=%1x%2:rate=10").arg(width).arg(height), "-frames:v",
                QString::number(count), "-start_number", QString::number(first), "-y", pattern},
               &code);
    if (code != 0)
        throw std::runtime_error("ffmpeg could not make test frames");
}

QString runProgram(const QString &program, const QStringList &arguments, int *exitCode) {
    QProcess process;
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit;
    if (exitCode)
        *exitCode = ended ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString str(const std::filesystem::path &path) {
    return QString::fromStdString(path.string());
}

void writeScript(const std::filesystem::path &path, const std::string &body) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms(0755));
}

QString gifInfo(const std::filesystem::path &gif) {
    return runProgram("gifsicle", {"--info", str(gif)});
}

int gifFrameCount(const std::filesystem::path &gif) {
    const auto match = QRegularExpression("(\\d+) images?").match(gifInfo(gif));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

void addDesktopEntry(const std::filesystem::path &dataHome, const QString &fileName,
                     const QString &text) {
    const auto folder = dataHome / "applications";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / fileName.toStdString()) << text.toStdString();
    int code = -1;
    runProgram("update-desktop-database", {str(folder)}, &code);
    if (code != 0)
        throw std::runtime_error("update-desktop-database failed");
}

QStringList entries(const std::filesystem::path &folder) {
    QStringList names;
    std::error_code ec;
    for (const auto &e : std::filesystem::directory_iterator(folder, ec))
        names << str(e.path().filename());
    names.sort();
    return names;
}

} // namespace TestEnvironment
