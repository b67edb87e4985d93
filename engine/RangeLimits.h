// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// What bounds the number of frame ranges on this machine.
struct RangeLimits {
    int cores = 1;              // the cores this process may run on
    qint64 availableMemory = 0; // bytes

    // The cores of sched_getaffinity and MemAvailable of /proc/meminfo.
    static RangeLimits ofThisSystem();
};
