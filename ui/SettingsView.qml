import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Loomfin

// The settings sheet: a modal window of its own over the main window (which
// may be shorter than the sheet). Every control writes its engine property
// at once; "Done" and Escape only close the sheet.
Window {
    id: sheet

    property ConverterEngine engine

    // Emitted each time the sheet closes, however it was closed.
    signal dismissed

    function dismiss() {
        // hide() keeps a presenter's binding on `visible` intact.
        sheet.hide();
    }

    title: qsTr("Settings")
    flags: Qt.Dialog
    modality: Qt.WindowModal
    color: palette.window
    width: 420
    height: content.implicitHeight
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height

    onVisibleChanged: {
        if (visible) {
            widthRow.refill();
            focusReset.restart();
        } else {
            focusReset.stop();
            dismissed();
        }
    }

    // Takes keyboard focus away from every control once the sheet is up.
    Timer {
        id: focusReset
        interval: 50
        onTriggered: focusSink.forceActiveFocus()
    }

    Item {
        id: focusSink
        objectName: "focusSink"
    }

    Shortcut {
        sequence: "Escape"
        onActivated: sheet.dismiss()
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        acceptLabel: qsTr("Choose Output Folder")
        onAccepted: {
            const path = SettingsTexts.outputPathForFolder(selectedFolder);
            if (path.length > 0 && sheet.engine)
                sheet.engine.outputPath = path;
        }
    }

    ColumnLayout {
        id: content
        width: sheet.width
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 20

            Label {
                text: qsTr("Settings")
                font.pixelSize: Theme.title2Size
                font.bold: true
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                id: doneButton
                objectName: "doneButton"
                text: qsTr("Done")
                highlighted: true
                Accessible.name: text
                onClicked: sheet.dismiss()

                // Filled with the accent colour: the sheet's one prominent action.
                contentItem: Text {
                    text: doneButton.text
                    font: doneButton.font
                    color: doneButton.palette.highlightedText
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    implicitWidth: 64
                    implicitHeight: 24
                    radius: 4
                    color: doneButton.down ? Qt.darker(Theme.accent, 1.2)
                                           : doneButton.hovered ? Qt.lighter(Theme.accent, 1.08)
                                                                : Theme.accent
                    border.width: doneButton.visualFocus ? 2 : 0
                    border.color: Qt.darker(Theme.accent, 1.5)
                }
            }
        }

        Rectangle {
            color: Theme.divider
            implicitHeight: 1
            Layout.fillWidth: true
        }

        ColumnLayout {
            spacing: 24
            Layout.fillWidth: true
            Layout.margins: 20

            SettingsSection {
                title: qsTr("Output")

                RowLayout {
                    Layout.fillWidth: true

                    Label {
                        text: qsTr("Output Folder")
                        Layout.preferredWidth: 90
                        Layout.maximumWidth: 90
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    Button {
                        objectName: "outputFolderButton"
                        text: sheet.engine ? SettingsTexts.outputFolderTitle(
                                                 sheet.engine.outputFolderURL) : ""
                        Accessible.name: qsTr("Output Folder")
                        Accessible.description: text
                        onClicked: folderDialog.open()
                    }
                }
            }

            SettingsSection {
                title: qsTr("Video")

                LabeledSlider {
                    objectName: "fpsRow"
                    label: qsTr("FPS")
                    value: sheet.engine ? sheet.engine.fps : 0
                    from: 6
                    to: 30
                    stepSize: 1
                    format: "%.0f"
                    unit: qsTr("fps")
                    onEdited: value => sheet.engine.fps = value
                }

                WidthSliderRow {
                    id: widthRow
                    objectName: "widthRow"
                    engine: sheet.engine
                }

                RowLayout {
                    spacing: 8
                    Layout.fillWidth: true

                    Label {
                        text: qsTr("Frame Skip")
                        Layout.preferredWidth: 90
                        Layout.maximumWidth: 90
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    ComboBox {
                        objectName: "frameSkipPicker"
                        model: SettingsTexts.frameSkipTitles
                        currentIndex: sheet.engine ? SettingsTexts.frameSkipIndex(
                                                         sheet.engine.frameSkip) : -1
                        Layout.preferredWidth: 130
                        Accessible.name: qsTr("Frame Skip")
                        onActivated: index => sheet.engine.frameSkip
                                     = SettingsTexts.frameSkipValue(index)
                    }
                }

                Label {
                    objectName: "frameSkipHint"
                    text: SettingsTexts.frameSkipHint
                    wrapMode: Text.WordWrap
                    leftPadding: 98
                    font.pixelSize: Theme.caption2Size
                    color: Theme.secondaryLabel
                    Layout.fillWidth: true
                }

                RowLayout {
                    spacing: 8
                    Layout.fillWidth: true

                    Label {
                        text: qsTr("Loop")
                        Layout.preferredWidth: 90
                        Layout.maximumWidth: 90
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    Label {
                        objectName: "loopLabel"
                        text: sheet.engine ? SettingsTexts.loopLabel(sheet.engine.loopCount) : ""
                        horizontalAlignment: Text.AlignRight
                        font.pixelSize: Theme.captionSize
                        color: Theme.secondary
                        Layout.preferredWidth: 60
                        Layout.maximumWidth: 60
                    }
                    // Arrows only: the count is shown by the label before them.
                    SpinBox {
                        id: loopStepper
                        objectName: "loopStepper"
                        from: 0
                        to: 20
                        stepSize: 1
                        editable: false
                        value: sheet.engine ? Math.max(from, Math.min(to, sheet.engine.loopCount)) : 0
                        leftPadding: 0
                        rightPadding: 0
                        topPadding: 0
                        bottomPadding: 0
                        contentItem: Item {}
                        background: Rectangle {
                            implicitWidth: 18
                            implicitHeight: 24
                            radius: 3
                            color: loopStepper.palette.button
                            border.color: loopStepper.activeFocus ? loopStepper.palette.highlight
                                                                  : Qt.darker(loopStepper.palette.button, 1.35)
                        }
                        Accessible.name: qsTr("Loop")
                        Accessible.description: SettingsTexts.loopHint(value)
                        onValueModified: sheet.engine.loopCount = value
                    }
                }

                Label {
                    objectName: "loopHint"
                    text: sheet.engine ? SettingsTexts.loopHint(sheet.engine.loopCount) : ""
                    wrapMode: Text.WordWrap
                    leftPadding: 98
                    font.pixelSize: Theme.caption2Size
                    color: Theme.secondaryLabel
                    Layout.fillWidth: true
                }
            }

            SettingsSection {
                title: qsTr("Quality")

                LabeledSlider {
                    objectName: "maxColorsRow"
                    label: qsTr("Max Colors")
                    value: sheet.engine ? sheet.engine.maxColors : 0
                    from: 32
                    to: 256
                    stepSize: 32
                    format: "%.0f"
                    onEdited: value => sheet.engine.maxColors = value
                }

                LabeledSlider {
                    objectName: "lossyRow"
                    label: qsTr("Lossy")
                    value: sheet.engine ? sheet.engine.lossy : 0
                    from: 0
                    to: 80
                    stepSize: 5
                    format: "%.0f"
                    hint: qsTr("0 = best quality")
                    onEdited: value => sheet.engine.lossy = value
                }
            }
        }
    }
}
