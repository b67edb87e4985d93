// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppResources.h"

#include "FileUrls.h"
#include "ToolRunner.h"

AppResources::AppResources(QObject *parent)
    : QObject(parent) {}

void AppResources::configureFromExecutableFolder(const std::filesystem::path &executableFolder) {
    const std::filesystem::path bundle = executableFolder.parent_path();
    setApplicationToolLocations({bundle / LOOMFIN_DATA_SUBDIR, bundle});
}

std::filesystem::path AppResources::folder() {
    return applicationToolLocations().resourcesFolder.value_or(std::filesystem::path());
}

std::filesystem::path AppResources::filePath(const QString &relativePath) {
    const std::filesystem::path base = folder();
    if (base.empty() || relativePath.isEmpty())
        return {};
    const std::filesystem::path path = base / relativePath.toStdString();
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) ? path : std::filesystem::path();
}

QUrl AppResources::fileUrl(const QString &relativePath) const {
    const std::filesystem::path path = filePath(relativePath);
    return path.empty() ? QUrl() : urlFromLocalPath(path);
}
