// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// A settings row's caption, in the grid's caption column.
Label {
    elide: Text.ElideRight
    Layout.preferredWidth: Theme.captionWidth
    Layout.maximumWidth: Theme.captionWidth
}
