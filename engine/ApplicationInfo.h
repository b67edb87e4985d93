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
