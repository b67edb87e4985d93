#include "AppSetup.h"

#include "Appearance.h"
#include "SymbolImageProvider.h"
#include "Theme.h"

#include <QQmlEngine>
#include <QQuickStyle>

namespace AppSetup {

void prepareApplication() {
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
    Appearance::instance();
    Theme::instance();
}

void prepareEngine(QQmlEngine &engine) {
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
}

QUrl windowUrl() {
    return QUrl(QStringLiteral("qrc:/Loomfin/LoomfinApp.qml"));
}

} // namespace AppSetup
