import QtQuick
import QtQuick.Controls
import Loomfin

// The window's content: header, drop zone, progress strip, error banner,
// result panel and the settings summary, top to bottom.
Item {
    id: root

    readonly property QtObject engine: converterEngine
    property bool isDragOver: false
    property bool showSettings: false

    // What the strips show; kept while a strip fades out after its value is cleared.
    property string shownError: ""
    property url shownOutputURL

    implicitWidth: 480
    implicitHeight: column.height

    ConverterEngine {
        id: converterEngine
        objectName: "engine"
        onErrorMessageChanged: if (errorMessage !== "") root.shownError = errorMessage
        onLastOutputURLChanged: if (lastOutputURL.toString() !== "") root.shownOutputURL = lastOutputURL
    }

    // A strip that fades in and out while the window's height follows it.
    component Strip: Item {
        id: strip
        property bool shown: false
        property Item body: children.length > 0 ? children[0] : null

        width: parent ? parent.width : 0
        height: shown && body ? body.height + 12 : 0
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
                anchors.leftMargin: 20
                anchors.verticalCenter: parent.verticalCenter
            }

            AbstractButton {
                id: settingsButton
                objectName: "settingsButton"
                anchors.right: parent.right
                anchors.rightMargin: 20
                anchors.verticalCenter: parent.verticalCenter
                implicitWidth: 24
                implicitHeight: 24
                focusPolicy: Qt.StrongFocus
                Accessible.name: qsTr("Settings")
                Accessible.description: qsTr("Conversion settings")
                onClicked: root.showSettings = !root.showSettings

                contentItem: Image {
                    source: Theme.symbolUrl("gearshape", settingsButton.down ? Theme.primary
                                                                              : Theme.secondary)
                    sourceSize.width: 18 * Screen.devicePixelRatio
                    sourceSize.height: 18 * Screen.devicePixelRatio
                    width: 18
                    height: 18
                    fillMode: Image.PreserveAspectFit
                }
                background: Rectangle {
                    radius: 6
                    color: "transparent"
                    border.width: settingsButton.visualFocus ? 2 : 0
                    border.color: Theme.accent
                }
            }
        }

        Divider {}

        Item {
            width: parent.width
            height: dropZone.height + 40

            DropZoneView {
                id: dropZone
                objectName: "dropZone"
                x: 20
                y: 20
                width: parent.width - 40
                engine: root.engine
                isDragOver: root.isDragOver
                onIsDragOverChanged: root.isDragOver = isDragOver
            }
        }

        Strip {
            id: progressStrip
            objectName: "progressStrip"
            shown: root.engine.isConverting

            Column {
                x: 20
                width: parent.width - 40
                spacing: 6

                ProgressBar {
                    objectName: "progressBar"
                    width: parent.width
                    from: 0
                    to: 1
                    value: root.engine.progress
                    palette.highlight: Theme.accent
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
                x: 20
                width: parent.width - 40
                height: Math.max(errorIcon.height, errorText.height) + 20
                radius: 8
                color: Theme.withAlpha(Theme.red, 0.08)

                Image {
                    id: errorIcon
                    x: 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: 14
                    height: 14
                    sourceSize.width: 14 * Screen.devicePixelRatio
                    sourceSize.height: 14 * Screen.devicePixelRatio
                    source: Theme.symbolUrl("exclamationmark.triangle.fill", Theme.red)
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
            shown: root.engine.lastOutputURL.toString() !== "" && !root.engine.isConverting

            ResultView {
                objectName: "resultView"
                x: 20
                width: parent.width - 40
                outputURL: root.shownOutputURL
                engine: root.engine
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
                anchors.rightMargin: 20
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, parent.width - 40)
                horizontalAlignment: Text.AlignRight
                elide: Text.ElideLeft
                font.pixelSize: Theme.caption2Size
                color: Theme.secondaryLabel
                // Listed so the line follows every setting it shows.
                text: {
                    const e = root.engine
                    void [e.fps, e.width, e.maxColors, e.frameSkip, e.loopCount]
                    return WindowTexts.settingsSummary(e)
                }
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
