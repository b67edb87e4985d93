// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import QtQuick.Dialogs
import Loomfin

// A folder chooser: the desktop's own where it has one. Otherwise Qt draws
// its own dialog inside a window of ours, so it gets a window of its own big
// enough to use rather than the small window that opened it.
Item {
    id: chooser

    property string acceptLabel
    // Where the chooser opens if that folder exists; else Documents or home.
    property url preferredFolder
    // The dialog of the current (or last) opening.
    property FolderDialog dialog: null
    readonly property bool opened: dialog !== null && dialog.visible
    // Qt's own dialog is in use (known from the first opening on).
    property bool builtIn: false

    signal chosen(url folder)

    // A dialog made afresh each time: Qt's own one keeps the folder it was
    // first opened in.
    function open() {
        if (chooser.dialog !== null)
            chooser.dialog.destroy();
        if (chooser.builtIn)
            host.show();
        const dialog = dialogComponent.createObject(chooser, {
            title: chooser.acceptLabel,
            acceptLabel: chooser.acceptLabel,
            currentFolder: FolderChoosers.startFolder(chooser.preferredFolder),
            parentWindow: chooser.builtIn ? host : chooser.Window.window
        });
        dialog.accepted.connect(() => chooser.chosen(dialog.selectedFolder));
        dialog.visibleChanged.connect(() => chooser.dialogVisibilityChanged(dialog.visible));
        chooser.dialog = dialog;
        dialog.open();
        if (!chooser.builtIn && FolderChoosers.isBuiltIn(dialog)) {
            // Shown inside the opening window before anyone saw it: move it.
            chooser.builtIn = true;
            chooser.switching = true;
            dialog.close();
            chooser.switching = false;
            host.show();
            dialog.parentWindow = host;
            dialog.open();
        }
        if (chooser.builtIn)
            FolderChoosers.mendBuiltIn(host);
    }

    function dialogVisibilityChanged(visible) {
        if (visible || chooser.switching || !host.visible)
            return;
        host.hide();
        // Back to the window that opened the chooser, for its keys.
        if (chooser.Window.window)
            chooser.Window.window.requestActivate();
    }

    property bool switching: false

    Component {
        id: dialogComponent

        FolderDialog {
            objectName: "folderDialog"
        }
    }

    Window {
        id: host
        objectName: "folderChooserWindow"
        title: chooser.acceptLabel
        transientParent: chooser.Window.window
        flags: Qt.Dialog
        modality: Qt.WindowModal
        width: 640
        height: 460
        minimumWidth: 480
        minimumHeight: 360
        color: palette.window
        onClosing: {
            if (chooser.dialog !== null)
                chooser.dialog.reject();
        }
    }
}
