#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtGlobal>
#include <optional>

// Texts and input rules of the settings sheet, kept apart from the views so
// they can be checked without a window.
namespace SettingsTexts {

// Width field bounds; the job clamps further when it starts.
inline constexpr double minimumWidth = 100;
inline constexpr double maximumWidth = 3840;

// "Forever" for 0, otherwise the count followed by "×".
QString loopLabel(qint64 loopCount);
// One sentence saying how often the GIF plays.
QString loopHint(qint64 loopCount);

// Picker titles in menu order; option i selects frame skip i + 1.
QStringList frameSkipTitles();
// The option showing a frame skip, or -1 when no option matches.
int frameSkipIndex(qint64 frameSkip);
// The frame skip an option selects (indices outside the menu are clamped).
qint64 frameSkipValue(int index);
QString frameSkipHint();

// The value formatted as printf would with one double argument. A format
// that is not exactly one floating conversion (plus literal text and "%%")
// is not handed to printf; the value is then shown in plain form.
QString readout(const QString &format, double value);

// The width field's text for a stored width: truncated toward zero, and
// something readable for values no integer can hold.
QString widthFieldText(double width);
// The width a committed field text stores: the whole text must be one C
// floating literal; the value is clamped into the field's bounds. No value
// for text that does not parse or parses as NaN.
std::optional<double> committedWidth(const QString &text);

// The stored form of a chosen output folder: its full encoded URL string
// with a trailing slash. No value when the chooser gave no local folder.
std::optional<QString> outputPathForFolder(const QUrl &folder);
// The output button's title: the folder's last path component.
QString outputFolderTitle(const QUrl &folder);

} // namespace SettingsTexts
