#include "SettingsTexts.h"

#include "FileUrls.h"
#include "NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace SettingsTexts {

QString loopLabel(qint64 loopCount) {
    if (loopCount == 0)
        return QStringLiteral("Forever");
    return integerText(loopCount) + QStringLiteral("×");
}

QString loopHint(qint64 loopCount) {
    if (loopCount == 0)
        return QStringLiteral("GIF loops indefinitely.");
    if (loopCount == 1)
        return QStringLiteral("GIF plays once and stops.");
    return QStringLiteral("GIF plays %1 times then stops.").arg(integerText(loopCount));
}

QStringList frameSkipTitles() {
    return {QStringLiteral("Off (1×)"), QStringLiteral("Every 2nd"), QStringLiteral("Every 3rd"),
            QStringLiteral("Every 4th")};
}

int frameSkipIndex(qint64 frameSkip) {
    if (frameSkip < 1 || frameSkip > 4)
        return -1;
    return static_cast<int>(frameSkip - 1);
}

qint64 frameSkipValue(int index) {
    return std::clamp(index, 0, 3) + 1;
}

QString frameSkipHint() {
    return QStringLiteral("Keeps every Nth frame: N times fewer frames.");
}

namespace {

// Literal text, "%%", and exactly one conversion for a double: flags, width
// and precision as digits (no "*", which would read a missing argument), and
// no length modifier other than the harmless "l".
bool isSingleDoubleFormat(const QByteArray &format) {
    int conversions = 0;
    const auto isDigit = [](char c) {
        return c >= '0' && c <= '9';
    };
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() &&
               std::string_view("-+ #0").find(format[i]) != std::string_view::npos)
            ++i;
        while (i < format.size() && isDigit(format[i]))
            ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            while (i < format.size() && isDigit(format[i]))
                ++i;
        }
        if (i < format.size() && format[i] == 'l')
            ++i;
        if (i >= format.size() ||
            std::string_view("fFeEgGaA").find(format[i]) == std::string_view::npos)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

} // namespace

QString readout(const QString &format, double value) {
    const QByteArray bytes = format.toUtf8();
    if (bytes.contains('\0') || !isSingleDoubleFormat(bytes))
        return QString::number(value);
    const int size = std::snprintf(nullptr, 0, bytes.constData(), value);
    if (size < 0)
        return QString::number(value);
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::snprintf(buffer.data(), buffer.size(), bytes.constData(), value);
    return QString::fromUtf8(buffer.data(), size);
}

QString widthFieldText(double width) {
    return truncatedIntegerText(width);
}

std::optional<double> committedWidth(const QString &text) {
    const std::optional<double> parsed = parseFloatingLiteral(text);
    // NaN survives the clamp and would become the stored width.
    if (!parsed || std::isnan(*parsed))
        return std::nullopt;
    return std::min(std::max(*parsed, minimumWidth), maximumWidth);
}

std::optional<QString> outputPathForFolder(const QUrl &folder) {
    if (!folder.isValid() || !folder.isLocalFile() || folder.path().isEmpty())
        return std::nullopt;
    QString text = folder.toString(QUrl::FullyEncoded);
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    return text;
}

QString outputFolderTitle(const QUrl &folder) {
    const QString name = lastPathComponent(folder);
    // The file-system root has no last component; show it as itself.
    if (name.isEmpty() && folder.path().startsWith(QLatin1Char('/')))
        return QStringLiteral("/");
    return name;
}

} // namespace SettingsTexts
