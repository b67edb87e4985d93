// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import Loomfin

// The ring around the focused control, drawn just outside it so it shows on
// accent fills too.
Rectangle {
    property real cornerRadius: 4

    anchors.fill: parent
    anchors.margins: -3
    radius: cornerRadius + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.focusRing
}
