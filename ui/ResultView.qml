import QtQuick
import QtQuick.Controls
import Loomfin

// The strip under the drop zone after a successful job: file name, the
// completion text, and the two actions.
Rectangle {
    id: root

    property url outputURL
    property QtObject engine

    implicitHeight: Math.max(icon.height, texts.height, buttons.height) + 24
    height: implicitHeight
    radius: 10
    color: Theme.withAlpha(Theme.green, 0.07)

    FileRevealer {
        id: revealer
        objectName: "fileRevealer"
    }

    Image {
        id: icon
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        width: Theme.title2Size
        height: Theme.title2Size
        sourceSize.width: width * Screen.devicePixelRatio
        sourceSize.height: height * Screen.devicePixelRatio
        source: Theme.symbolUrl("checkmark.circle.fill", Theme.green)
    }

    Column {
        id: texts
        anchors.left: icon.right
        anchors.leftMargin: 12
        anchors.right: buttons.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2

        Label {
            objectName: "resultFileName"
            width: parent.width
            text: WindowTexts.fileName(root.outputURL)
            font.pixelSize: Theme.captionSize
            font.weight: Font.Medium
            maximumLineCount: 1
            elide: Text.ElideMiddle
        }
        Label {
            objectName: "resultStatus"
            width: parent.width
            text: root.engine ? root.engine.statusMessage : ""
            font.pixelSize: Theme.caption2Size
            color: Theme.secondary
            wrapMode: Text.Wrap
        }
    }

    // Buttons at the small control size.
    component SmallButton: Button {
        font.pixelSize: Theme.captionSize
        topPadding: 4
        bottomPadding: 4
        leftPadding: 9
        rightPadding: 9
    }

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        SmallButton {
            objectName: "showInFolderButton"
            text: qsTr("Show in Folder")
            onClicked: revealer.reveal(root.outputURL)
        }
        SmallButton {
            id: convertAnother
            objectName: "convertAnotherButton"
            text: qsTr("Convert Another")
            highlighted: true
            onClicked: {
                if (root.engine !== null)
                    root.engine.clearResult()
            }
            // Filled with the accent colour, as the one prominent action.
            contentItem: Text {
                text: convertAnother.text
                font: convertAnother.font
                color: convertAnother.palette.highlightedText
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                implicitHeight: 22
                radius: 4
                color: convertAnother.down ? Qt.darker(Theme.accent, 1.2)
                                           : convertAnother.hovered ? Qt.lighter(Theme.accent, 1.08)
                                                                    : Theme.accent
                border.width: convertAnother.visualFocus ? 2 : 0
                border.color: Qt.darker(Theme.accent, 1.5)
            }
        }
    }
}
