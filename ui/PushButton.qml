// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Controls
import Loomfin

// Every button of the window: assistive tools can press it (Qt 6.4's
// buttons ignore their accessible press action), Return and Enter press it
// as Space does, and a ring shows when it has keyboard focus.
Button {
    id: control

    // The small control size (result panel) or the regular one.
    property bool small: false
    property color fillColor: palette.button
    property color textColor: palette.buttonText
    property color borderColor: Theme.border

    font.pixelSize: small ? Theme.caption2Size : Theme.bodySize
    topPadding: small ? 3 : 4
    bottomPadding: small ? 3 : 4
    leftPadding: small ? 5 : 12
    rightPadding: small ? 5 : 12
    focusPolicy: Qt.StrongFocus
    Accessible.name: text

    Accessible.onPressAction: {
        if (control.enabled)
            control.clicked();
    }
    Keys.onPressed: event => {
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            if (control.enabled)
                control.clicked();
            event.accepted = true;
        }
    }

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.enabled ? control.textColor : control.palette.placeholderText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideMiddle
    }
    background: Rectangle {
        implicitWidth: control.small ? 40 : 64
        implicitHeight: control.small ? 22 : 26
        radius: 4
        color: control.down ? Qt.darker(control.fillColor, 1.18)
                            : control.hovered ? Qt.lighter(control.fillColor, 1.06) : control.fillColor
        border.width: 1
        border.color: control.borderColor
    }

    FocusRing {
        visible: control.visualFocus
    }
}
