// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// A captioned slider with its readout, a unit and an optional hint line.
// Shows `value` as given; only the user's moves are reported, through
// `edited`, and the owner writes them back into `value`.
ColumnLayout {
    id: row

    property string label
    property real value
    property real from: 0
    property real to: 1
    property real stepSize: 1
    property string unit
    property string hint

    signal edited(real value)

    // The slider itself, for keyboard access and tests.
    readonly property alias slider: slider

    spacing: Theme.sectionRowSpacing
    Layout.fillWidth: true

    RowLayout {
        spacing: Theme.rowSpacing
        Layout.fillWidth: true

        RowCaption {
            text: row.label
        }

        Slider {
            id: slider
            objectName: "slider"

            // True while the slider is being given the bound value, so the
            // slider's own clamping of an out-of-range value is not written back.
            property bool syncing: false
            property bool ready: false
            // Assistive tools read the range under these names only.
            readonly property real minimumValue: from
            readonly property real maximumValue: to

            function sync() {
                syncing = true;
                value = row.value;
                syncing = false;
            }

            from: row.from
            to: row.to
            stepSize: row.stepSize
            snapMode: Slider.SnapAlways
            Layout.fillWidth: true
            Accessible.name: row.label

            onValueChanged: {
                if (ready && !syncing)
                    row.edited(value);
            }
            Keys.onPressed: event => {
                if (event.key === Qt.Key_Home || event.key === Qt.Key_End) {
                    value = event.key === Qt.Key_Home ? from : to;
                    event.accepted = true;
                }
            }
            Component.onCompleted: {
                sync();
                ready = true;
            }

            // Around the handle, where the eye looks for the focus.
            FocusRing {
                parent: slider.handle
                cornerRadius: parent ? parent.width / 2 : 0
                visible: slider.visualFocus
            }
        }

        // Readout block: value and unit in fixed columns so rows line up.
        Item {
            implicitHeight: readout.implicitHeight
            Layout.preferredWidth: Theme.readoutWidth
            Layout.maximumWidth: Theme.readoutWidth

            Row {
                id: readout
                spacing: Theme.readoutSpacing
                anchors.centerIn: parent

                Label {
                    objectName: "readout"
                    width: Theme.readoutValueWidth
                    text: SettingsTexts.readout(row.value)
                    horizontalAlignment: Text.AlignRight
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondary
                }
                Label {
                    objectName: "unit"
                    width: Theme.unitWidth
                    // Two spaces keep rows without a unit aligned with the others.
                    text: row.unit.length > 0 ? row.unit : "  "
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondary
                }
            }
        }
    }

    HintLabel {
        objectName: "hint"
        visible: row.hint.length > 0
        text: row.hint
    }

    onValueChanged: slider.sync()
}
