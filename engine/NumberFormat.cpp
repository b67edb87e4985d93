#include "NumberFormat.h"

#include <cmath>
#include <limits>

qint64 truncatedInteger(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; anything at or above it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::trunc(value));
}

QString truncatedIntegerText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit || value < -limit) {
        // Out of the integer range: print the whole part without grouping.
        return QString::number(std::trunc(value), 'f', 0);
    }
    return integerText(truncatedInteger(value));
}

QString integerText(qint64 value)
{
    return QString::number(value);
}
