#include "SettingsSummary.h"

#include "NumberFormat.h"

QString settingsSummary(double fps, double width, double maxColors, qint64 frameSkip,
                        qint64 loopCount) {
    QString text = truncatedIntegerText(fps) + QStringLiteral(" fps · ") +
                   truncatedIntegerText(width) + QStringLiteral("px · ") +
                   truncatedIntegerText(maxColors) + QStringLiteral(" colors · ");
    if (frameSkip >= 2)
        text += QStringLiteral("skip ") + integerText(frameSkip) + QStringLiteral("× · ");
    if (loopCount == 0)
        text += QStringLiteral("∞ loop");
    else
        text += integerText(loopCount) + QStringLiteral("× loop");
    return text;
}
