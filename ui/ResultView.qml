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

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        Button {
            objectName: "showInFolderButton"
            text: qsTr("Show in Folder")
            font.pixelSize: Theme.captionSize
            topPadding: 4
            bottomPadding: 4
            leftPadding: 10
            rightPadding: 10
            onClicked: revealer.reveal(root.outputURL)
        }
        Button {
            objectName: "convertAnotherButton"
            text: qsTr("Convert Another")
            highlighted: true
            font.pixelSize: Theme.captionSize
            topPadding: 4
            bottomPadding: 4
            leftPadding: 10
            rightPadding: 10
            onClicked: {
                if (root.engine === null)
                    return
                root.engine.lastOutputURL = ""
                root.engine.statusMessage = ""
            }
        }
    }
}
