// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Shapes
import Loomfin

// The dashed panel that takes dropped folders or frame files, or opens a
// folder chooser when clicked; shows a spinner and the stage while converting.
Item {
    id: root

    required property ConverterEngine engine
    required property DropRouter router
    property bool isDragOver: false
    property real spinAngle: 0

    readonly property bool converting: engine.isConverting
    readonly property string idleTitle: qsTr("Drop image sequence folder here")
    readonly property string idleHint: qsTr("PNG · JPG · TIFF · TGA · BMP  ·  or click to browse")
    // The folder last chosen here, where the chooser opens next time.
    property url lastChosenFolder

    implicitHeight: 220
    height: 220
    enabled: !converting
    activeFocusOnTab: true

    Accessible.role: Accessible.Button
    Accessible.name: title.text
    Accessible.description: converting ? "" : idleHint
    Accessible.onPressAction: chooseFolder()

    Keys.onPressed: event => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return
                || event.key === Qt.Key_Enter) {
            chooseFolder();
            event.accepted = true;
        }
    }

    function chooseFolder() {
        if (enabled)
            chooser.open();
    }

    // Starts the spin from 0 for every job and puts the arrow back when it ends.
    function updateSpin() {
        spin.stop();
        spinAngle = 0;
        if (converting)
            spin.start();
    }
    onConvertingChanged: updateSpin()
    Component.onCompleted: updateSpin()

    NumberAnimation {
        id: spin
        objectName: "spinAnimation"
        target: root
        property: "spinAngle"
        from: 0
        to: 360
        duration: 1000
        loops: Animation.Infinite
        easing.type: Easing.Linear
    }

    FolderChooser {
        id: chooser
        objectName: "folderChooser"
        acceptLabel: qsTr("Select PNG Folder")
        preferredFolder: root.lastChosenFolder
        onChosen: folder => {
            if (String(folder) === "")
                return;
            root.lastChosenFolder = folder;
            root.engine.startFolderJob(folder);
        }
    }

    // Fill behind the stroke.
    Rectangle {
        anchors.fill: parent
        radius: 16
        color: root.isDragOver ? Theme.withAlpha(Theme.accent, 0.06)
                               : Theme.withAlpha(Theme.secondary, 0.03)
    }

    // Dashed outline drawn inside the bounds: 2 wide, 8 on, 4 off.
    Shape {
        id: frame
        objectName: "frameShape"
        anchors.fill: parent
        layer.enabled: true
        layer.samples: 4

        readonly property real inset: 1
        readonly property real r: 15
        readonly property real edgeRight: width - inset
        readonly property real edgeBottom: height - inset

        ShapePath {
            strokeWidth: 2
            strokeColor: root.isDragOver ? Theme.accent : Theme.withAlpha(Theme.secondary, 0.3)
            fillColor: "transparent"
            strokeStyle: ShapePath.DashLine
            dashPattern: [4, 2]
            dashOffset: 0
            capStyle: ShapePath.FlatCap
            joinStyle: ShapePath.MiterJoin
            miterLimit: 10

            startX: frame.inset + frame.r
            startY: frame.inset
            PathLine { x: frame.edgeRight - frame.r; y: frame.inset }
            PathArc { x: frame.edgeRight; y: frame.inset + frame.r; radiusX: frame.r; radiusY: frame.r }
            PathLine { x: frame.edgeRight; y: frame.edgeBottom - frame.r }
            PathArc { x: frame.edgeRight - frame.r; y: frame.edgeBottom; radiusX: frame.r; radiusY: frame.r }
            PathLine { x: frame.inset + frame.r; y: frame.edgeBottom }
            PathArc { x: frame.inset; y: frame.edgeBottom - frame.r; radiusX: frame.r; radiusY: frame.r }
            PathLine { x: frame.inset; y: frame.inset + frame.r }
            PathArc { x: frame.inset + frame.r; y: frame.inset; radiusX: frame.r; radiusY: frame.r }
        }
    }

    FocusRing {
        cornerRadius: 16
        visible: root.activeFocus
    }

    // Placed for a one-line title, so the picture stays where it is when a
    // stage text takes two lines: the second line grows downwards.
    Column {
        id: content
        x: 40
        y: Math.round((root.height - picture.height - titleLine.lineHeight - hint.height
                       - 2 * spacing) / 2)
        width: root.width - 80
        spacing: 12

        FontMetrics {
            id: titleLine
            font: title.font
            readonly property real lineHeight: Math.ceil(titleLine.lineSpacing)
        }

        Item {
            id: picture
            objectName: "picture"
            width: 160
            height: 52
            anchors.horizontalCenter: parent.horizontalCenter

            SymbolImage {
                id: spinner
                objectName: "spinner"
                anchors.centerIn: parent
                width: 48
                height: 48
                visible: root.converting
                symbol: "arrow.2.circlepath"
                tint: Theme.accent
                rotation: root.spinAngle
                smooth: true
                antialiasing: true
            }

            AppBrandView {
                objectName: "dropZoneBrand"
                anchors.centerIn: parent
                compact: false
                visible: !root.converting
                opacity: root.isDragOver ? 1.0 : 0.92
            }
        }

        // Breaks a two-line title near its middle rather than leaving a word
        // alone on the second line.
        TextMetrics {
            id: oneLine
            font: title.font
            text: title.text
        }

        Label {
            id: title
            objectName: "dropZoneTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            width: oneLine.advanceWidth <= content.width
                   ? content.width : Math.min(content.width, Math.ceil(oneLine.advanceWidth * 0.56))
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            text: root.converting ? root.engine.statusMessage : root.idleTitle
            font.pixelSize: Theme.title3Size
            font.weight: Font.Medium
            color: root.isDragOver ? Theme.accent : Theme.primary
        }

        Label {
            id: hint
            objectName: "dropZoneHint"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: root.converting ? "" : root.idleHint
            font.pixelSize: Theme.captionSize
            color: Theme.secondary
        }
    }

    MouseArea {
        objectName: "clickArea"
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: root.chooseFolder()
    }

    DropArea {
        id: dropArea
        objectName: "dropArea"
        anchors.fill: parent
        keys: ["text/uri-list"]

        onEntered: drag => {
            if (!drag.hasUrls) {
                drag.accepted = false;
                return;
            }
            drag.acceptProposedAction();
            root.isDragOver = true;
        }
        onExited: root.isDragOver = false
        onDropped: drop => {
            root.isDragOver = false;
            if (root.router.handleDrop(drop.urls))
                drop.acceptProposedAction();
            else
                drop.accepted = false;
        }
    }
}
