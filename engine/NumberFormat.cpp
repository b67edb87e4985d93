// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NumberFormat.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {
// 2^63 is exactly representable; anything at or above it does not fit.
constexpr double limit = 9223372036854775808.0;
} // namespace

qint64 truncatedInteger(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::trunc(value));
}

QString truncatedIntegerText(double value) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    if (value >= limit || value < -limit) {
        // Out of the integer range: print the whole part without grouping.
        return QString::number(std::trunc(value), 'f', 0);
    }
    return QString::number(truncatedInteger(value));
}

QString ordinalNumber(qint64 n) {
    // English suffixes follow the last digit, except for 11, 12 and 13.
    const qint64 lastTwo = n < 0 ? -(n % 100) : n % 100;
    const char *pattern = QT_TRANSLATE_NOOP("NumberFormat", "%1th");
    if (lastTwo < 11 || lastTwo > 13) {
        switch (lastTwo % 10) {
        case 1:
            pattern = QT_TRANSLATE_NOOP("NumberFormat", "%1st");
            break;
        case 2:
            pattern = QT_TRANSLATE_NOOP("NumberFormat", "%1nd");
            break;
        case 3:
            pattern = QT_TRANSLATE_NOOP("NumberFormat", "%1rd");
            break;
        default:
            break;
        }
    }
    return QCoreApplication::translate("NumberFormat", pattern).arg(n);
}

std::optional<double> parseFloatingLiteral(const QString &text) {
    if (text.isEmpty())
        return std::nullopt;
    const QByteArray bytes = text.toUtf8();
    const char first = bytes.front();
    // strtod would skip leading white space; the whole text must be the literal.
    if (first == ' ' || (first >= '\t' && first <= '\r'))
        return std::nullopt;
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const char *begin = bytes.constData();
    char *end = nullptr;
    const double value = ::strtod_l(begin, &end, cLocale);
    if (end == begin || end != begin + bytes.size())
        return std::nullopt;
    return value;
}
