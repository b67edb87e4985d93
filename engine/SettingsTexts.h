#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>
#include <optional>

// The range a settings control offers: from, to, and its step.
struct SettingRange {
    Q_GADGET
    Q_PROPERTY(double from MEMBER from CONSTANT)
    Q_PROPERTY(double to MEMBER to CONSTANT)
    Q_PROPERTY(double step MEMBER step CONSTANT)
public:
    double from = 0;
    double to = 0;
    double step = 1;
};

// Texts, ranges and input rules of the settings sheet, kept apart from the
// views so they can be checked without a window. The window uses this object
// as it is (a QML singleton).
class SettingsTexts : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList frameSkipTitles READ frameSkipTitles CONSTANT)
    Q_PROPERTY(QString frameSkipHint READ frameSkipHint CONSTANT)
    Q_PROPERTY(SettingRange fpsRange READ fpsRange CONSTANT)
    Q_PROPERTY(SettingRange widthRange READ widthRange CONSTANT)
    Q_PROPERTY(SettingRange maxColorsRange READ maxColorsRange CONSTANT)
    Q_PROPERTY(SettingRange lossyRange READ lossyRange CONSTANT)
    Q_PROPERTY(SettingRange loopCountRange READ loopCountRange CONSTANT)

public:
    explicit SettingsTexts(QObject *parent = nullptr);

    // The sheet's own ranges; the engine accepts wider values from elsewhere
    // and the job clamps further when it starts.
    static constexpr SettingRange fpsRange() { return {6, 30, 1}; }
    static constexpr SettingRange widthRange() { return {100, 3840, 1}; } // the field, on commit
    static constexpr SettingRange maxColorsRange() { return {32, 256, 32}; }
    static constexpr SettingRange lossyRange() { return {0, 80, 5}; }
    static constexpr SettingRange loopCountRange() { return {0, 20, 1}; }

    // "Forever" for 0, otherwise the count followed by "×".
    Q_INVOKABLE QString loopLabel(qint64 loopCount) const;
    // One sentence saying how often the GIF plays.
    Q_INVOKABLE QString loopHint(qint64 loopCount) const;

    // Picker titles in menu order; option i selects frame skip i + 1.
    QStringList frameSkipTitles() const;
    // The option showing a frame skip, or -1 when no option matches.
    Q_INVOKABLE int frameSkipIndex(qint64 frameSkip) const;
    // The frame skip an option selects (indices outside the menu are clamped).
    Q_INVOKABLE qint64 frameSkipValue(int index) const;
    QString frameSkipHint() const;

    // A slider's readout: the value as printf "%.0f" shows it.
    Q_INVOKABLE QString readout(double value) const;

    // The width field's text for a stored width: truncated toward zero, and
    // something readable for values no integer can hold.
    Q_INVOKABLE QString widthFieldText(double width) const;
    // The width a committed field text stores: the whole text must be one C
    // floating literal; the value is clamped into the field's range. NaN for
    // text that does not parse or parses as NaN.
    Q_INVOKABLE double committedWidth(const QString &text) const;

    // The stored form of a chosen output folder: its full encoded URL string
    // with a trailing slash. Empty when the chooser gave no local folder.
    Q_INVOKABLE QString outputPathForFolder(const QUrl &folder) const;
    // The output button's title: the folder's last path component.
    Q_INVOKABLE QString outputFolderTitle(const QUrl &folder) const;
    // The folder as a path to show in full (tooltip, screen readers).
    Q_INVOKABLE QString outputFolderPath(const QUrl &folder) const;
};
