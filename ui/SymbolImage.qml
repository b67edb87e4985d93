// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

import QtQuick
import Loomfin

// A monochrome symbol in a colour, drawn at its display size times the
// screen's pixel ratio so it stays sharp.
Image {
    property string symbol
    property color tint: Theme.secondary

    sourceSize.width: Math.ceil(width * Screen.devicePixelRatio)
    sourceSize.height: Math.ceil(height * Screen.devicePixelRatio)
    source: symbol === "" ? "" : Theme.symbolUrl(symbol, tint)
    fillMode: Image.PreserveAspectFit
}
