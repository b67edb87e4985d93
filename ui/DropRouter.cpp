// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DropRouter.h"

#include "ConverterEngine.h"
#include "DropRouting.h"

DropRouter::DropRouter(ConverterEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine) {}

bool DropRouter::handleDrop(const QList<QUrl> &items) {
    if (items.isEmpty())
        return false;
    QList<QUrl> urls;
    for (const QUrl &item : items) {
        if (const auto url = decodeDroppedItem(item))
            urls.append(*url);
    }
    const DropRoute route = routeDroppedURLs(urls);
    switch (route.kind) {
    case DropRoute::Kind::Nothing:
        break;
    case DropRoute::Kind::Folder:
        m_engine.startFolderJob(route.folder);
        break;
    case DropRoute::Kind::Files:
        m_engine.startFilesJob(route.files);
        break;
    }
    return true;
}
