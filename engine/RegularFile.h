// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>

// Files a tool or a person may have replaced: a FIFO would block an open()
// until some writer came, a device could do anything. Such files are opened
// without blocking and kept only when they are regular files.

// The descriptor of `path` opened with `flags` (O_NONBLOCK and O_CLOEXEC
// added) when it is a regular file (links followed); -1 otherwise, with
// errno set: from the open, or ENXIO when the file is no regular file.
int openRegularFile(const std::filesystem::path &path, int flags);

// The path exists and is no regular file (a FIFO, device, socket or folder).
bool isSpecialFile(const std::filesystem::path &path);
