#include "DropRouter.h"

#include "ConverterEngine.h"
#include "DropRouting.h"

DropRouter::DropRouter(QObject *parent)
    : QObject(parent) {}

void DropRouter::setEngine(ConverterEngine *engine) {
    if (m_engine == engine)
        return;
    m_engine = engine;
    emit engineChanged();
}

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
        emit folderJobRequested(route.folder);
        if (m_engine)
            m_engine->startFolderJob(route.folder);
        break;
    case DropRoute::Kind::Files:
        emit filesJobRequested(route.files);
        if (m_engine)
            m_engine->startFilesJob(route.files);
        break;
    }
    return true;
}
