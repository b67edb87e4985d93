import QtQuick
import Loomfin

// The one prominent action of a view, filled with the accent colour.
PushButton {
    fillColor: Theme.accent
    textColor: palette.highlightedText
    borderColor: Qt.darker(Theme.accent, 1.25)
}
