// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DropRouting.h"

#include "FileUrls.h"
#include "FrameSequence.h"

std::optional<QUrl> decodeDroppedItem(const QUrl &item) {
    if (localPathFromUrl(item).empty())
        return std::nullopt;
    return item;
}

bool denotesFolder(const QUrl &url) {
    if (url.path().endsWith(QLatin1Char('/')))
        return true;
    std::error_code error;
    return std::filesystem::is_directory(localPathFromUrl(url), error);
}

DropRoute routeDroppedURLs(const QList<QUrl> &urls,
                           const std::function<bool(const QUrl &)> &isFolder) {
    DropRoute route;
    if (urls.isEmpty())
        return route;

    std::vector<std::string> names;
    names.reserve(urls.size());
    for (const QUrl &url : urls)
        names.push_back(fileNameOf(localPathFromUrl(url)));
    const std::vector<std::size_t> order = nameOrder(names, NameOrder::ByFileName);

    for (const std::size_t i : order) {
        if (!isFolder(urls[qsizetype(i)]))
            route.files.append(urls[qsizetype(i)]);
    }
    if (route.files.isEmpty()) {
        route.kind = DropRoute::Kind::Folder;
        route.folder = urls[qsizetype(order.front())];
    } else {
        route.kind = DropRoute::Kind::Files;
    }
    return route;
}
