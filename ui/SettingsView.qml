// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// The settings sheet: a modal window of its own over the main window (which
// may be shorter than the sheet). Every control writes its engine property
// at once; "Done" and Escape only close the sheet.
Window {
    id: sheet

    required property ConverterEngine engine
    // The engine's 64-bit counts as numbers (Qt 6.4's qmllint knows no qint64).
    readonly property real frameSkip: engine.frameSkip // qmllint disable type
    readonly property real loopCount: engine.loopCount // qmllint disable type

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

    FolderChooser {
        id: folderChooser
        objectName: "outputFolderChooser"
        acceptLabel: qsTr("Choose Output Folder")
        preferredFolder: sheet.engine.outputFolderURL
        onChosen: folder => {
            const path = SettingsTexts.outputPathForFolder(folder);
            if (path.length > 0)
                sheet.engine.outputPath = path;
        }
    }

    ColumnLayout {
        id: content
        width: sheet.width
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: Theme.margin

            Label {
                text: qsTr("Settings")
                font.pixelSize: Theme.title2Size
                font.bold: true
            }
            Item {
                Layout.fillWidth: true
            }
            AccentButton {
                objectName: "doneButton"
                text: qsTr("Done")
                onClicked: sheet.dismiss()
            }
        }

        Rectangle {
            color: Theme.divider
            implicitHeight: 1
            Layout.fillWidth: true
        }

        ColumnLayout {
            spacing: Theme.sectionSpacing
            Layout.fillWidth: true
            Layout.margins: Theme.margin

            SettingsSection {
                title: qsTr("Output")

                RowLayout {
                    id: outputRow
                    spacing: Theme.rowSpacing
                    Layout.fillWidth: true

                    RowCaption {
                        text: qsTr("Output Folder")
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    // A long folder name is cut in the middle, inside the row.
                    PushButton {
                        id: outputFolderButton
                        objectName: "outputFolderButton"
                        readonly property string fullPath:
                            SettingsTexts.outputFolderPath(sheet.engine.outputFolderURL)
                        text: SettingsTexts.outputFolderTitle(sheet.engine.outputFolderURL)
                        Layout.maximumWidth: sheet.width - 2 * Theme.margin
                                             - Theme.captionWidth - 2 * outputRow.spacing
                        Accessible.name: qsTr("Output Folder")
                        Accessible.description: fullPath
                        ToolTip.text: fullPath
                        ToolTip.visible: hovered
                        ToolTip.delay: 600
                        onClicked: folderChooser.open()
                    }
                }
            }

            SettingsSection {
                title: qsTr("Video")

                LabeledSlider {
                    objectName: "fpsRow"
                    label: qsTr("FPS")
                    value: sheet.engine.fps
                    from: SettingsTexts.fpsRange.from
                    to: SettingsTexts.fpsRange.to
                    stepSize: SettingsTexts.fpsRange.step
                    unit: qsTr("fps")
                    onEdited: value => sheet.engine.fps = value
                }

                WidthSliderRow {
                    id: widthRow
                    objectName: "widthRow"
                    engine: sheet.engine
                }

                RowLayout {
                    spacing: Theme.rowSpacing
                    Layout.fillWidth: true

                    RowCaption {
                        text: qsTr("Frame Skip")
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    ComboBox {
                        objectName: "frameSkipPicker"
                        model: SettingsTexts.frameSkipTitles
                        currentIndex: SettingsTexts.frameSkipIndex(sheet.frameSkip)
                        Layout.preferredWidth: 130
                        Accessible.name: qsTr("Frame Skip")
                        onActivated: index => sheet.engine.frameSkip
                                     = SettingsTexts.frameSkipValue(index)
                    }
                }

                HintLabel {
                    objectName: "frameSkipHint"
                    text: SettingsTexts.frameSkipHint
                }

                RowLayout {
                    spacing: Theme.rowSpacing
                    Layout.fillWidth: true

                    RowCaption {
                        text: qsTr("Loop")
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    Label {
                        objectName: "loopLabel"
                        text: SettingsTexts.loopLabel(sheet.loopCount)
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

                        // The stored count as the stepper can show it.
                        readonly property int shownCount: Math.max(from, Math.min(to,
                                                                   sheet.loopCount))
                        // Assistive tools read the range under these names only.
                        readonly property real minimumValue: from
                        readonly property real maximumValue: to

                        from: SettingsTexts.loopCountRange.from
                        to: SettingsTexts.loopCountRange.to
                        stepSize: SettingsTexts.loopCountRange.step
                        editable: false
                        value: shownCount
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
                            border.color: Theme.border

                            FocusRing {
                                cornerRadius: 3
                                visible: loopStepper.visualFocus
                            }
                        }
                        Accessible.name: qsTr("Loop")
                        Accessible.description: SettingsTexts.loopHint(sheet.loopCount)
                        // Keys, arrows and assistive tools' steps alike (the
                        // latter do not emit valueModified); a stored count
                        // outside the range is shown clamped, not written back.
                        onValueChanged: {
                            if (value !== shownCount)
                                sheet.engine.loopCount = value;
                        }
                    }
                }

                HintLabel {
                    objectName: "loopHint"
                    text: SettingsTexts.loopHint(sheet.loopCount)
                }
            }

            SettingsSection {
                title: qsTr("Quality")

                LabeledSlider {
                    objectName: "maxColorsRow"
                    label: qsTr("Max Colors")
                    value: sheet.engine.maxColors
                    from: SettingsTexts.maxColorsRange.from
                    to: SettingsTexts.maxColorsRange.to
                    stepSize: SettingsTexts.maxColorsRange.step
                    onEdited: value => sheet.engine.maxColors = value
                }

                LabeledSlider {
                    objectName: "lossyRow"
                    label: qsTr("Lossy")
                    value: sheet.engine.lossy
                    from: SettingsTexts.lossyRange.from
                    to: SettingsTexts.lossyRange.to
                    stepSize: SettingsTexts.lossyRange.step
                    hint: qsTr("0 = best quality")
                    onEdited: value => sheet.engine.lossy = value
                }
            }
        }
    }
}
