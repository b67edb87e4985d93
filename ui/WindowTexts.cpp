#include "WindowTexts.h"

#include "ConverterEngine.h"
#include "FileUrls.h"
#include "SettingsSummary.h"

WindowTexts::WindowTexts(QObject *parent)
    : QObject(parent) {}

QString WindowTexts::settingsSummary(ConverterEngine *engine) const {
    if (!engine)
        return QString();
    return ::settingsSummary(engine->fps(), engine->width(), engine->maxColors(),
                             engine->frameSkip(), engine->loopCount());
}

QString WindowTexts::fileName(const QUrl &url) const {
    return lastPathComponent(url);
}
