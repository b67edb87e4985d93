// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QUrl>
#include <functional>
#include <optional>

// Turning what was dropped (or given on the command line) into one job.

// A valid local file URL (see localPathFromUrl), or nothing: other schemes,
// remote hosts and the bogus URLs made from uri-list comment lines are not files.
std::optional<QUrl> decodeDroppedItem(const QUrl &item);

// A URL denotes a folder when its path ends in "/", or when it names an
// existing folder (file managers send folders without the trailing slash).
bool denotesFolder(const QUrl &url);

struct DropRoute {
    enum class Kind { Nothing, Folder, Files };
    Kind kind = Kind::Nothing;
    QUrl folder;       // Folder: the folder to convert
    QList<QUrl> files; // Files: the files, sorted by name
};

// Sorts by file name (code-point order, stable), then: only folders → the
// first folder; otherwise the files, folders among them ignored.
DropRoute routeDroppedURLs(const QList<QUrl> &urls,
                           const std::function<bool(const QUrl &)> &isFolder = denotesFolder);
