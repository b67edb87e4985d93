// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

// Test programs run inside a private HOME/XDG/TMPDIR and session bus (see
// run-isolated). Started directly, a test program isolates itself before
// main() instead, without any session bus.
namespace TestEnvironment {
// Root of the private folders of this test process.
std::filesystem::path root();
// A new empty folder under root().
std::filesystem::path freshFolder(const QString &name);
// Writes `count` PNG frames (solid colours, w×h) named prefix + number
// (digits wide) + ".png" into folder, numbered from `first`, using ffmpeg.
void makeFrames(const std::filesystem::path &folder, const QString &prefix, int first, int count,
                int digits = 4, int width = 64, int height = 48,
                const QString &extension = QStringLiteral("png"));
// Runs a program and returns its standard output; fails the test on error.
QString runProgram(const QString &program, const QStringList &arguments, int *exitCode = nullptr);
// A path as text.
QString str(const std::filesystem::path &path);
// Writes an executable shell script.
void writeScript(const std::filesystem::path &path, const std::string &body);
// Number of images in a GIF, as gifsicle --info reports it.
int gifFrameCount(const std::filesystem::path &gif);
// Full text of gifsicle --info.
QString gifInfo(const std::filesystem::path &gif);
// Writes a desktop entry into dataHome/applications and updates that
// folder's MIME cache, as installing an application does.
void addDesktopEntry(const std::filesystem::path &dataHome, const QString &fileName,
                     const QString &text);
// Names in a folder, sorted (for "nothing left behind" checks).
QStringList entries(const std::filesystem::path &folder);
} // namespace TestEnvironment
