#include "WindowTexts.h"

#include "FileUrls.h"

WindowTexts::WindowTexts(QObject *parent)
    : QObject(parent) {}

QString WindowTexts::fileName(const QUrl &url) const {
    return lastPathComponent(url);
}
