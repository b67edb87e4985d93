// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RangeLimits.h"

#include <algorithm>
#include <fstream>
#include <sched.h>
#include <string>

RangeLimits RangeLimits::ofThisSystem() {
    RangeLimits limits;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        limits.cores = std::max(1, CPU_COUNT(&set));
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    qint64 kilobytes = 0;
    while (meminfo >> key >> kilobytes) {
        if (key == "MemAvailable:") {
            limits.availableMemory = kilobytes * 1024;
            break;
        }
        meminfo.ignore(64, '\n');
    }
    return limits;
}
