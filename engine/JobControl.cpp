// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JobControl.h"

#include <csignal>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

JobControl::JobControl()
    : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

JobControl::~JobControl() {
    if (m_wake >= 0)
        ::close(m_wake);
}

void JobControl::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    // The runner escalates to SIGKILL if the child ignores this.
    if (m_child > 0)
        ::kill(m_child, SIGTERM);
    if (m_wake >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    }
}

bool JobControl::attachChild(pid_t pid) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return false;
    m_child = pid;
    return true;
}

void JobControl::detachChild() {
    std::lock_guard lock(m_mutex);
    m_child = 0;
}
