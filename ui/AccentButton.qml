// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import Loomfin

// The one prominent action of a view, filled with the accent colour.
PushButton {
    fillColor: Theme.accent
    textColor: palette.highlightedText
    borderColor: Qt.darker(Theme.accent, 1.25)
}
