// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QUrl>
#include <filesystem>

// File names on Linux are bytes, not necessarily UTF-8. Going through
// QString (toLocalFile) would replace invalid bytes, so conversions between
// file URLs and paths keep the percent-encoded bytes as they are.

// The local path a file URL names, bytes preserved. Empty for anything that is
// not a valid local file URL with an absolute path ("file:///x" or
// "file://localhost/x"): other schemes, remote hosts, relative forms.
std::filesystem::path localPathFromUrl(const QUrl &url);

// The folder a stored output path names, as a local file URL: an absolute
// local file URL string, or an absolute path. Empty for anything else (a
// remote host, a relative or other URL, junk).
QUrl localFolderUrl(const QString &stored);

// A file URL for a path, bytes preserved (non-UTF-8 bytes stay percent-encoded).
QUrl urlFromLocalPath(const std::filesystem::path &path);

// The last path component of a URL's path, ignoring one trailing slash
// ("file:///home/u/Renders/" gives "Renders").
QString lastPathComponent(const QUrl &url);

// Display form of a path (invalid UTF-8 bytes shown as replacement characters).
QString displayPath(const std::filesystem::path &path);
