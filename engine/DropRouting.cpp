#include "DropRouting.h"

#include "FileUrls.h"
#include "FrameSequence.h"

#include <algorithm>

std::optional<QUrl> decodeDroppedItem(const QUrl &item) {
    if (!item.isValid() || !item.isLocalFile())
        return std::nullopt;
    const QString host = item.host();
    if (!host.isEmpty() && host != QLatin1String("localhost"))
        return std::nullopt;
    if (localPathFromUrl(item).empty() || !item.path().startsWith(QLatin1Char('/')))
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

    struct Entry {
        QUrl url;
        std::string name;
    };
    std::vector<Entry> sorted;
    sorted.reserve(urls.size());
    for (const QUrl &url : urls)
        sorted.push_back({url, fileNameOf(localPathFromUrl(url))});
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry &a, const Entry &b) { return fileNameLess(a.name, b.name); });

    for (const Entry &entry : sorted) {
        if (!isFolder(entry.url))
            route.files.append(entry.url);
    }
    if (route.files.isEmpty()) {
        route.kind = DropRoute::Kind::Folder;
        route.folder = sorted.front().url;
    } else {
        route.kind = DropRoute::Kind::Files;
    }
    return route;
}
