#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// The settings sheet's texts and input rules, for QML.
class SettingsTextsQml : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(SettingsTexts)
    QML_SINGLETON
    Q_PROPERTY(QStringList frameSkipTitles READ frameSkipTitles CONSTANT)
    Q_PROPERTY(QString frameSkipHint READ frameSkipHint CONSTANT)

public:
    explicit SettingsTextsQml(QObject *parent = nullptr);

    QStringList frameSkipTitles() const;
    QString frameSkipHint() const;

    Q_INVOKABLE QString loopLabel(qint64 loopCount) const;
    Q_INVOKABLE QString loopHint(qint64 loopCount) const;
    Q_INVOKABLE int frameSkipIndex(qint64 frameSkip) const;
    Q_INVOKABLE qint64 frameSkipValue(int index) const;
    Q_INVOKABLE QString readout(const QString &format, double value) const;
    Q_INVOKABLE QString widthFieldText(double width) const;
    // NaN when the text is not accepted.
    Q_INVOKABLE double committedWidth(const QString &text) const;
    // Empty when the folder is not accepted.
    Q_INVOKABLE QString outputPathForFolder(const QUrl &folder) const;
    Q_INVOKABLE QString outputFolderTitle(const QUrl &folder) const;
};
