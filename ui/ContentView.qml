// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import Loomfin

// The window's content: header, drop zone, progress strip, error banner,
// result panel and the settings summary, top to bottom.
Item {
    id: root

    required property ConverterEngine engine
    required property DropRouter dropRouter
    property bool isDragOver: false
    property bool showSettings: false

    // What the strips show; kept while a strip fades out after its value is cleared.
    property string shownError: ""
    property url shownOutputURL

    implicitWidth: 480
    implicitHeight: column.height

    Connections {
        target: root.engine
        function onErrorMessageChanged() {
            if (root.engine.errorMessage !== "")
                root.shownError = root.engine.errorMessage;
        }
        function onLastOutputURLChanged() {
            if (String(root.engine.lastOutputURL) !== "")
                root.shownOutputURL = root.engine.lastOutputURL;
        }
    }

    // A strip that fades in and out while the window's height follows it.
    component Strip: Item {
        id: strip
        property bool shown: false
        property Item body: children.length > 0 ? children[0] : null

        // The height it is heading for; the body may still be growing after
        // the strip is shown, which starts the height's animation afresh.
        readonly property real targetHeight: shown && body ? body.height + Theme.stripSpacing : 0
        // Both animations are over: what is shown can be used.
        readonly property bool settled: height === targetHeight && opacity === (shown ? 1 : 0)

        width: parent ? parent.width : 0
        height: targetHeight
        opacity: shown ? 1 : 0
        visible: height > 0 || opacity > 0
        clip: true

        Behavior on height {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad }
        }
        Behavior on opacity {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad }
        }
    }

    component Divider: Rectangle {
        width: parent ? parent.width : 0
        height: 1
        color: Theme.divider
    }

    Column {
        id: column
        width: root.width
        spacing: 0

        Item {
            id: header
            objectName: "header"
            width: parent.width
            height: Math.max(brand.height, settingsButton.height) + 24

            AppBrandView {
                id: brand
                compact: true
                anchors.left: parent.left
                anchors.leftMargin: Theme.margin
                anchors.verticalCenter: parent.verticalCenter
            }

            PushButton {
                id: settingsButton
                objectName: "settingsButton"
                anchors.right: parent.right
                anchors.rightMargin: Theme.margin
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Settings")
                leftPadding: 3
                rightPadding: 3
                topPadding: 3
                bottomPadding: 3
                Accessible.description: qsTr("Conversion settings")
                ToolTip.text: text
                ToolTip.visible: hovered
                ToolTip.delay: 600
                onClicked: root.showSettings = !root.showSettings

                contentItem: Item {
                    implicitWidth: 18
                    implicitHeight: 18
                    SymbolImage {
                        anchors.centerIn: parent
                        width: 18
                        height: 18
                        symbol: "gearshape"
                        tint: settingsButton.down ? Theme.primary : Theme.secondary
                    }
                }
                background: Item {
                    implicitWidth: 24
                    implicitHeight: 24
                }
            }
        }

        Divider {}

        Item {
            width: parent.width
            height: dropZone.height + 2 * Theme.margin

            DropZoneView {
                id: dropZone
                objectName: "dropZone"
                x: Theme.margin
                y: Theme.margin
                width: parent.width - 2 * Theme.margin
                engine: root.engine
                router: root.dropRouter
                isDragOver: root.isDragOver
                onIsDragOverChanged: root.isDragOver = isDragOver
            }
        }

        Strip {
            id: progressStrip
            objectName: "progressStrip"
            shown: root.engine.isConverting

            Column {
                x: Theme.margin
                width: parent.width - 2 * Theme.margin
                spacing: 6

                ProgressBar {
                    objectName: "progressBar"
                    width: parent.width
                    from: 0
                    to: 1
                    value: root.engine.progress
                    palette.highlight: Theme.accent
                    // Qt 6.4 gives a progress bar no accessible value: the
                    // fraction is read out as its description.
                    Accessible.name: qsTr("Conversion progress")
                    Accessible.description: qsTr("%1%").arg(Math.round(value * 100))
                }
                Label {
                    objectName: "progressText"
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    text: root.engine.statusMessage
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondary
                }
            }
        }

        Strip {
            id: errorBanner
            objectName: "errorBanner"
            shown: root.engine.errorMessage !== ""

            Rectangle {
                x: Theme.margin
                width: parent.width - 2 * Theme.margin
                height: Math.max(errorIcon.height, errorText.height) + 20
                radius: 8
                color: Theme.withAlpha(Theme.red, 0.08)

                SymbolImage {
                    id: errorIcon
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: 14
                    height: 14
                    symbol: "exclamationmark.triangle.fill"
                    tint: Theme.red
                }
                Label {
                    id: errorText
                    objectName: "errorText"
                    x: errorIcon.x + errorIcon.width + 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - x - 10
                    wrapMode: Text.Wrap
                    text: root.shownError
                    font.pixelSize: Theme.captionSize
                    color: Theme.red
                }
            }
        }

        Strip {
            id: resultStrip
            objectName: "resultStrip"
            shown: String(root.engine.lastOutputURL) !== "" && !root.engine.isConverting

            ResultView {
                objectName: "resultView"
                x: Theme.margin
                width: parent.width - 2 * Theme.margin
                outputURL: root.shownOutputURL
                engine: root.engine
                // The button that had focus is going away with the panel.
                onCleared: dropZone.forceActiveFocus(Qt.OtherFocusReason)
            }
        }

        Divider {}

        Item {
            objectName: "footer"
            width: parent.width
            height: summary.height + 16

            Label {
                id: summary
                objectName: "settingsSummary"
                anchors.right: parent.right
                anchors.rightMargin: Theme.margin
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, parent.width - 2 * Theme.margin)
                horizontalAlignment: Text.AlignRight
                elide: Text.ElideLeft
                font.pixelSize: Theme.caption2Size
                color: Theme.secondaryLabel
                // The 64-bit counts read as numbers (Qt 6.4's qmllint knows no qint64).
                readonly property real frameSkip: root.engine.frameSkip // qmllint disable type
                readonly property real loopCount: root.engine.loopCount // qmllint disable type
                text: SettingsSummary.text(root.engine.fps, root.engine.width,
                                           root.engine.maxColors, frameSkip, loopCount)
            }
        }
    }

    SettingsView {
        id: settingsSheet
        objectName: "settingsView"
        engine: root.engine
        transientParent: root.Window.window
        visible: root.showSettings
        onDismissed: root.showSettings = false
    }
}
