// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// `loomfin convert [options] PATH...`: the engine without a display. Creates
// its own QCoreApplication; returns the process exit status (0 done,
// 1 failed, 2 usage error, 130 interrupted).
int runConvertCommand(int argc, char **argv);
