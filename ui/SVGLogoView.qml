// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import Loomfin

// Draws the SVG resource <resourceName>.svg over a transparent background,
// fitted to its frame, vertically centred, at the leading edge. A missing
// file leaves the area empty.
Item {
    id: root

    property string resourceName

    Image {
        objectName: "logoImage"
        anchors.fill: parent
        source: root.resourceName === "" ? "" : AppResources.fileUrl(root.resourceName + ".svg")
        sourceSize.width: root.width * Screen.devicePixelRatio
        sourceSize.height: root.height * Screen.devicePixelRatio
        fillMode: Image.PreserveAspectFit
        horizontalAlignment: Image.AlignLeft
        verticalAlignment: Image.AlignVCenter
        cache: false
        smooth: true
    }
}
