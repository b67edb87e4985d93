// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JobRequest.h"

#include "FileUrls.h"
#include "FrameSequence.h"

JobRequest JobRequest::forFolder(const QUrl &folderURL) {
    JobRequest request;
    request.folder = localPathFromUrl(folderURL);
    // A folder URL may end in "/"; patterns are built as folder + "/" + name.
    if (!request.folder.has_filename() && request.folder.has_parent_path())
        request.folder = request.folder.parent_path();
    return request;
}

JobRequest JobRequest::forFiles(const QList<QUrl> &fileURLs) {
    JobRequest request;
    if (fileURLs.isEmpty())
        return request;
    request.folder = localPathFromUrl(fileURLs.first()).parent_path();
    std::vector<std::filesystem::path> files;
    for (const QUrl &url : fileURLs) {
        if (url.isLocalFile())
            files.push_back(localPathFromUrl(url));
    }
    sortByName(files, NameOrder::ByFileName);
    request.files = std::move(files);
    return request;
}
