// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ApplicationInfo.h"

#include "Version.h"

QString ApplicationInfo::version() {
    return QStringLiteral(LOOMFIN_VERSION);
}
