// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLocale>
#include <QString>

// The program's texts in the user's language, from catalogues built into the
// program (":/i18n/loomfin_<language>.qm").
namespace Translations {

// Installs into the running application the English plural forms ("1 frame")
// and, on top, the catalogue for the first of the locale's languages that has
// one. The system locale follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG,
// whether or not the C library knows that locale. A second call replaces the
// first one's catalogues.
void install(const QLocale &locale = QLocale::system());

// The language of the catalogue installed on top ("de"), or empty when the
// texts are English.
QString language();

// A text for before the application object exists (source text marked with
// QT_TRANSLATE_NOOP), in the system locale's language.
QString early(const char *context, const char *sourceText);

} // namespace Translations
