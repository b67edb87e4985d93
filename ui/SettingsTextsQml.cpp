#include "SettingsTextsQml.h"

#include "SettingsTexts.h"

#include <limits>

SettingsTextsQml::SettingsTextsQml(QObject *parent)
    : QObject(parent) {}

QStringList SettingsTextsQml::frameSkipTitles() const {
    return SettingsTexts::frameSkipTitles();
}

QString SettingsTextsQml::frameSkipHint() const {
    return SettingsTexts::frameSkipHint();
}

QString SettingsTextsQml::loopLabel(qint64 loopCount) const {
    return SettingsTexts::loopLabel(loopCount);
}

QString SettingsTextsQml::loopHint(qint64 loopCount) const {
    return SettingsTexts::loopHint(loopCount);
}

int SettingsTextsQml::frameSkipIndex(qint64 frameSkip) const {
    return SettingsTexts::frameSkipIndex(frameSkip);
}

qint64 SettingsTextsQml::frameSkipValue(int index) const {
    return SettingsTexts::frameSkipValue(index);
}

QString SettingsTextsQml::readout(const QString &format, double value) const {
    return SettingsTexts::readout(format, value);
}

QString SettingsTextsQml::widthFieldText(double width) const {
    return SettingsTexts::widthFieldText(width);
}

double SettingsTextsQml::committedWidth(const QString &text) const {
    return SettingsTexts::committedWidth(text).value_or(std::numeric_limits<double>::quiet_NaN());
}

QString SettingsTextsQml::outputPathForFolder(const QUrl &folder) const {
    return SettingsTexts::outputPathForFolder(folder).value_or(QString());
}

QString SettingsTextsQml::outputFolderTitle(const QUrl &folder) const {
    return SettingsTexts::outputFolderTitle(folder);
}
