// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WindowTexts.h"

#include "FileUrls.h"

WindowTexts::WindowTexts(QObject *parent)
    : QObject(parent) {}

QString WindowTexts::fileName(const QUrl &url) const {
    return lastPathComponent(url);
}
