// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Settings are doubles that may come from a hand-edited store ("nan", "1e400"):
// every double-to-integer conversion goes through here, so none is undefined.

// Truncates toward zero; NaN gives 0, values beyond the 64-bit range saturate.
qint64 truncatedInteger(double value);

// Plain decimal of the truncated value, for texts that must show something
// even for a setting that is not a finite number in range.
QString truncatedIntegerText(double value);

// An ordinal number as the frame-skip texts use it: "1st", "2nd", "3rd",
// "4th" … "11th", "12th", "13th" … "21st", "22nd", "23rd" … "111th" in
// English; the catalogue gives other languages' forms ("2." in German).
QString ordinalNumber(qint64 n);

// Parses the whole text as one C-locale floating literal, as strtod would
// (sign, decimal or hexadecimal digits, exponent, "inf", "nan"), whatever the
// process locale. No surrounding white space, no decimal comma, nothing after.
std::optional<double> parseFloatingLiteral(const QString &text);
