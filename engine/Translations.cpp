// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <memory>

namespace {

const QString directory = QStringLiteral(":/i18n");
const QString baseName = QStringLiteral("loomfin");

QPointer<QTranslator> g_plurals;
QPointer<QTranslator> g_language;
QPointer<QTranslator> g_qt;

// The catalogue for the locale's languages, or nothing for English (the
// source texts) and languages without one.
std::unique_ptr<QTranslator> languageCatalogue(const QLocale &locale,
                                               const QString &name = baseName,
                                               const QString &folder = directory) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder) ||
        translator->language().startsWith(QLatin1String("en")))
        return nullptr;
    return translator;
}

} // namespace

namespace Translations {

void install(const QLocale &locale) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    delete g_language;
    delete g_qt;
    if (!g_plurals) {
        g_plurals = new QTranslator(app);
        if (g_plurals->load(baseName + QStringLiteral("_en"), directory))
            QCoreApplication::installTranslator(g_plurals);
    }
    // Qt's own texts (buttons of its folder chooser), where the system has
    // them (qt6-translations-l10n).
    if (std::unique_ptr<QTranslator> catalogue = languageCatalogue(
            locale, QStringLiteral("qt"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        g_qt = catalogue.release();
        g_qt->setParent(app);
        QCoreApplication::installTranslator(g_qt);
    }
    // Installed last, so searched first.
    if (std::unique_ptr<QTranslator> catalogue = languageCatalogue(locale)) {
        g_language = catalogue.release();
        g_language->setParent(app);
        QCoreApplication::installTranslator(g_language);
    }
}

QString language() {
    return g_language ? g_language->language() : QString();
}

QString early(const char *context, const char *sourceText) {
    static const std::unique_ptr<QTranslator> catalogue = languageCatalogue(QLocale::system());
    const QString text = catalogue ? catalogue->translate(context, sourceText) : QString();
    return text.isEmpty() ? QString::fromUtf8(sourceText) : text;
}

} // namespace Translations
