// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// `loomfin convert` without the window's libraries: the same command code,
// for benchmarking when the full program is not built. Prints its own peak
// resident size to standard error as it ends, read from /proc, which counts
// this process only and not the tools it ran.
#include "ConvertCommand.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

void printPeakResidentSize() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::fprintf(stderr, "loomfin_convert_bench: %s\n", line.c_str());
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2 || std::strcmp(argv[1], "convert") != 0) {
        std::fputs("Usage: loomfin_convert_bench convert [options] PATH...\n", stderr);
        return 2;
    }
    const int status = runConvertCommand(argc, argv);
    printPeakResidentSize();
    return status;
}
