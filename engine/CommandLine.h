// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

// The program's first look at its arguments, before any display is touched.

// `loomfin convert …`, `--help` and `--version` are handled here with no
// display and no session bus; the result is the exit status. Nothing means
// the arguments are for the window.
std::optional<int> runWithoutWindow(int argc, char **argv);

// Called just before the QGuiApplication is made: when no display can be
// reached, the program ends with one clear line and status 1 instead of
// Qt's abort and core dump.
void endCleanlyWithoutDisplay();
