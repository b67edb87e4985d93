// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// The output width: a small text field edited locally and written to the
// engine only on commit (Return, or the field losing focus).
RowLayout {
    id: row

    required property ConverterEngine engine
    // The field, for focus handling and tests.
    readonly property alias field: field

    // Shows the engine's width; called each time the sheet is shown.
    function refill() {
        field.text = SettingsTexts.widthFieldText(row.engine.width);
    }

    function commit() {
        const width = SettingsTexts.committedWidth(field.text);
        if (!isNaN(width))
            row.engine.width = width;
        refill();
    }

    spacing: Theme.rowSpacing
    Layout.fillWidth: true

    RowCaption {
        text: qsTr("Width")
    }

    Item {
        Layout.fillWidth: true
    }

    // Entry block: the same column as the slider readouts; the field and
    // unit overhang it slightly, as in the other rows' grid.
    Item {
        implicitHeight: entry.implicitHeight
        Layout.preferredWidth: Theme.readoutWidth
        Layout.maximumWidth: Theme.readoutWidth

        Row {
            id: entry
            spacing: Theme.readoutSpacing
            anchors.centerIn: parent

            TextField {
                id: field
                objectName: "widthField"
                width: 54
                horizontalAlignment: TextInput.AlignRight
                anchors.verticalCenter: parent.verticalCenter
                Accessible.name: qsTr("Width")

                onAccepted: row.commit()
                onActiveFocusChanged: {
                    if (!activeFocus)
                        row.commit();
                }

                // An outline that shows in the dark too.
                background: Rectangle {
                    implicitHeight: 24
                    radius: 3
                    color: field.palette.base
                    border.width: field.activeFocus ? 2 : 1
                    border.color: field.activeFocus ? Theme.focusRing : Theme.border
                }
            }
            Label {
                width: Theme.unitWidth
                text: qsTr("px")
                anchors.verticalCenter: parent.verticalCenter
                font.pixelSize: Theme.captionSize
                color: Theme.secondary
            }
        }
    }
}
