// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// A settings row's explanation, starting under the row's control.
Label {
    wrapMode: Text.WordWrap
    leftPadding: Theme.hintIndent
    font.pixelSize: Theme.caption2Size
    color: Theme.secondaryLabel
    Layout.fillWidth: true
}
