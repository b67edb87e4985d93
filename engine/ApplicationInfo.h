// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Identity shared by the window, the command line, the desktop file and the
// notifications.
namespace ApplicationInfo {
inline QString name() {
    return QStringLiteral("Loomfin");
}
inline QString id() {
    return QStringLiteral("org.loomfin.Loomfin");
}
QString version();
} // namespace ApplicationInfo
