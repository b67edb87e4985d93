// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import Loomfin

// The strip under the drop zone after a successful job: file name, the
// completion text, and the two actions.
Rectangle {
    id: root

    required property url outputURL
    required property ConverterEngine engine

    // "Convert Another" has forgotten the result.
    signal cleared

    // Paddings and gaps a little tighter than elsewhere: a standard file name
    // ("animation_20261206T143027.gif") fits the row whole.
    implicitHeight: Math.max(icon.height, texts.height, buttons.height) + 20
    height: implicitHeight
    radius: 10
    color: Theme.withAlpha(Theme.green, 0.07)

    onOutputURLChanged: revealer.clearNotice()

    FileRevealer {
        id: revealer
        objectName: "fileRevealer"
    }

    SymbolImage {
        id: icon
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        width: Theme.title2Size
        height: Theme.title2Size
        symbol: "checkmark.circle.fill"
        tint: Theme.green
    }

    Column {
        id: texts
        anchors.left: icon.right
        anchors.leftMargin: 6
        anchors.right: buttons.left
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2

        Label {
            objectName: "resultFileName"
            width: parent.width
            text: WindowTexts.fileName(root.outputURL)
            font.pixelSize: Theme.caption2Size
            font.weight: Font.Medium
            maximumLineCount: 1
            elide: Text.ElideMiddle
        }
        // Breaks between words; only a name too long for the line breaks inside.
        // Not there while empty, so the name stays centred.
        Label {
            objectName: "resultStatus"
            width: parent.width
            visible: text !== ""
            text: root.engine.statusMessage
            font.pixelSize: Theme.caption2Size
            color: Theme.secondary
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        }
        // "Show in Folder" found nothing to show the folder with.
        Label {
            objectName: "revealNotice"
            width: parent.width
            visible: text !== ""
            text: revealer.notice
            font.pixelSize: Theme.caption2Size
            color: Theme.secondary
            wrapMode: Text.WordWrap
        }
    }

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4

        PushButton {
            objectName: "showInFolderButton"
            small: true
            text: qsTr("Show in Folder")
            onClicked: revealer.reveal(root.outputURL)
        }
        AccentButton {
            objectName: "convertAnotherButton"
            small: true
            text: qsTr("Convert Another")
            onClicked: {
                root.engine.clearResult();
                root.cleared();
            }
        }
    }
}
