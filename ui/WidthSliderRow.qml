import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Loomfin

// The output width: a small text field edited locally and written to the
// engine only on commit (Return, or the field losing focus).
RowLayout {
    id: row

    property ConverterEngine engine
    // The field, for focus handling and tests.
    readonly property alias field: field

    // Shows the engine's width; called each time the sheet is shown.
    function refill() {
        field.text = row.engine ? SettingsTexts.widthFieldText(row.engine.width) : "";
    }

    function commit() {
        if (!row.engine)
            return;
        const width = SettingsTexts.committedWidth(field.text);
        if (!isNaN(width))
            row.engine.width = width;
        refill();
    }

    spacing: 8
    Layout.fillWidth: true

    Label {
        text: qsTr("Width")
        Layout.preferredWidth: 90
        Layout.maximumWidth: 90
    }

    Item {
        Layout.fillWidth: true
    }

    // Entry block: the same 82-point column as the slider readouts; the
    // field and unit overhang it slightly, as in the other rows' grid.
    Item {
        implicitHeight: entry.implicitHeight
        Layout.preferredWidth: 82
        Layout.maximumWidth: 82

        Row {
            id: entry
            spacing: 4
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
            }
            Label {
                width: 28
                text: qsTr("px")
                anchors.verticalCenter: parent.verticalCenter
                font.pixelSize: Theme.captionSize
                color: Theme.secondary
            }
        }
    }
}
