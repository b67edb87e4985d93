// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// A titled group of settings rows; the rows declared inside follow the heading.
ColumnLayout {
    id: section

    property string title

    spacing: Theme.sectionRowSpacing
    Layout.fillWidth: true

    Label {
        text: section.title
        font.pixelSize: Theme.headlineSize
        font.bold: true
    }
}
