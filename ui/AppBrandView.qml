// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import Loomfin

// The product's picture: the logo (compact, in the header; light or dark
// with the desktop) or the large "photo" symbol (in the idle drop zone).
Item {
    id: root

    property bool compact: false

    implicitWidth: compact ? 108 : 64
    implicitHeight: compact ? 24 : 64
    width: implicitWidth
    height: implicitHeight

    Loader {
        anchors.fill: parent
        active: root.compact
        sourceComponent: SVGLogoView {
            resourceName: Appearance.dark ? "logo-dark" : "logo"
        }
    }

    SymbolImage {
        objectName: "brandSymbol"
        anchors.fill: parent
        visible: !root.compact
        opacity: 0.8
        symbol: root.compact ? "" : "photo"
    }
}
