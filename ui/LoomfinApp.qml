// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import Loomfin

// The one window: 480 wide, as tall as its content, not resizable.
ApplicationWindow {
    id: window
    objectName: "mainWindow"

    title: Qt.application.name
    width: 480
    minimumWidth: 480
    maximumWidth: 480
    visible: true

    required property ConverterEngine engine
    required property DropRouter dropRouter

    // The content animates its own height; the window follows it. Limits and
    // size are set in an order that never leaves the size outside them.
    function fitHeight() {
        const h = Math.max(1, Math.ceil(content.implicitHeight))
        if (h >= height) {
            maximumHeight = h
            height = h
            minimumHeight = h
        } else {
            minimumHeight = h
            height = h
            maximumHeight = h
        }
    }

    ContentView {
        id: content
        objectName: "contentView"
        engine: window.engine
        dropRouter: window.dropRouter
        width: window.width
        onImplicitHeightChanged: window.fitHeight()
    }

    Component.onCompleted: fitHeight()
}
