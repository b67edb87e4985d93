#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class ConverterEngine;

// Texts of the main window computed in C++ (exact integer formatting).
class WindowTexts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    explicit WindowTexts(QObject *parent = nullptr);

    // The footer line for the engine's current settings.
    Q_INVOKABLE QString settingsSummary(ConverterEngine *engine) const;
    // The last path component of a URL.
    Q_INVOKABLE QString fileName(const QUrl &url) const;
};
