#include "ApplicationInfo.h"

#include "Version.h"

QString ApplicationInfo::version() {
    return QStringLiteral(LOOMFIN_VERSION);
}
