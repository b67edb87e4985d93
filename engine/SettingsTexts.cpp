// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SettingsTexts.h"

#include "FileUrls.h"
#include "NumberFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

SettingsTexts::SettingsTexts(QObject *parent)
    : QObject(parent) {}

QString SettingsTexts::loopLabel(qint64 loopCount) const {
    if (loopCount == 0)
        return tr("Forever");
    return QString::number(loopCount) + QStringLiteral("×");
}

QString SettingsTexts::loopHint(qint64 loopCount) const {
    if (loopCount == 0)
        return tr("GIF loops indefinitely.");
    if (loopCount == 1)
        return tr("GIF plays once and stops.");
    // Counts beyond an int (from a hand-edited store) are shown as they are.
    if (loopCount > INT_MAX || loopCount < INT_MIN)
        return tr("GIF plays %1 times then stops.").arg(loopCount);
    return tr("GIF plays %n times then stops.", nullptr, int(loopCount));
}

QStringList SettingsTexts::frameSkipTitles() const {
    QStringList titles{tr("Off (1×)")};
    for (qint64 skip = 2; skip <= 4; ++skip)
        titles << tr("Every %1", "frame skip").arg(ordinalNumber(skip));
    return titles;
}

int SettingsTexts::frameSkipIndex(qint64 frameSkip) const {
    if (frameSkip < 1 || frameSkip > 4)
        return -1;
    return static_cast<int>(frameSkip - 1);
}

qint64 SettingsTexts::frameSkipValue(int index) const {
    return std::clamp(index, 0, 3) + 1;
}

QString SettingsTexts::frameSkipHint() const {
    return tr("Keeps every Nth frame: N times fewer frames.");
}

QString SettingsTexts::readout(double value) const {
    // What printf "%.0f" shows for the values Qt's own formatting writes otherwise.
    if (std::isnan(value))
        return std::signbit(value) ? QStringLiteral("-nan") : QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    // Rounds half to even like printf; keeps the sign of a negative zero.
    const double rounded = std::nearbyint(value);
    const QString digits = QString::number(std::fabs(rounded), 'f', 0);
    return std::signbit(rounded) ? QLatin1Char('-') + digits : digits;
}

QString SettingsTexts::widthFieldText(double width) const {
    return truncatedIntegerText(width);
}

double SettingsTexts::committedWidth(const QString &text) const {
    const std::optional<double> parsed = parseFloatingLiteral(text);
    // NaN survives the clamp and would become the stored width.
    if (!parsed || std::isnan(*parsed))
        return std::numeric_limits<double>::quiet_NaN();
    return std::min(std::max(*parsed, widthRange().from), widthRange().to);
}

QString SettingsTexts::outputPathForFolder(const QUrl &folder) const {
    if (!folder.isValid() || !folder.isLocalFile() || folder.path().isEmpty())
        return QString();
    QString text = folder.toString(QUrl::FullyEncoded);
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    return text;
}

QString SettingsTexts::outputFolderTitle(const QUrl &folder) const {
    const QString name = lastPathComponent(folder);
    // The file-system root has no last component; show it as itself.
    if (name.isEmpty() && folder.path().startsWith(QLatin1Char('/')))
        return QStringLiteral("/");
    return name;
}

QString SettingsTexts::outputFolderPath(const QUrl &folder) const {
    if (!folder.isLocalFile())
        return folder.toDisplayString();
    const QString path = folder.toLocalFile();
    return path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}
