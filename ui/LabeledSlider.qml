import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// A captioned slider with a printf-style readout, a unit and an optional
// hint line. Shows `value` as given; only the user's moves are reported,
// through `edited`, and the owner writes them back into `value`.
ColumnLayout {
    id: row

    property string label
    property real value
    property real from: 0
    property real to: 1
    property real stepSize: 1
    property string format: "%.0f"
    property string unit
    property string hint

    signal edited(real value)

    // The slider itself, for keyboard access and tests.
    readonly property alias slider: slider

    spacing: 12
    Layout.fillWidth: true

    RowLayout {
        spacing: 8
        Layout.fillWidth: true

        Label {
            text: row.label
            elide: Text.ElideRight
            Layout.preferredWidth: 90
            Layout.maximumWidth: 90
        }

        Slider {
            id: slider
            objectName: "slider"

            // True while the slider is being given the bound value, so the
            // slider's own clamping of an out-of-range value is not written back.
            property bool syncing: false
            property bool ready: false

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
        }

        // Readout block: value and unit in fixed columns so rows line up.
        Item {
            implicitHeight: readout.implicitHeight
            Layout.preferredWidth: 82
            Layout.maximumWidth: 82

            Row {
                id: readout
                spacing: 4
                anchors.centerIn: parent

                Label {
                    objectName: "readout"
                    width: 36
                    text: SettingsTexts.readout(row.format, row.value)
                    horizontalAlignment: Text.AlignRight
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondary
                }
                Label {
                    objectName: "unit"
                    width: 28
                    // Two spaces keep rows without a unit aligned with the others.
                    text: row.unit.length > 0 ? row.unit : "  "
                    font.pixelSize: Theme.captionSize
                    color: Theme.secondary
                }
            }
        }
    }

    Label {
        objectName: "hint"
        visible: row.hint.length > 0
        text: row.hint
        wrapMode: Text.WordWrap
        leftPadding: 98
        font.pixelSize: Theme.caption2Size
        color: Theme.secondaryLabel
        Layout.fillWidth: true
    }

    onValueChanged: slider.sync()
}
