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
    for (const pid_t child : m_children)
        ::kill(child, SIGTERM);
    if (m_wake >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    }
    // Under the lock, so a follower cannot go away meanwhile.
    for (JobControl *follower : m_followers)
        follower->cancel();
}

void JobControl::follow(JobControl *follower) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        follower->cancel();
    else
        m_followers.push_back(follower);
}

void JobControl::unfollow(JobControl *follower) {
    std::lock_guard lock(m_mutex);
    std::erase(m_followers, follower);
}

bool JobControl::attachChild(pid_t pid) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled)
        return false;
    m_children.push_back(pid);
    return true;
}

void JobControl::detachChild(pid_t pid) {
    std::lock_guard lock(m_mutex);
    std::erase(m_children, pid);
}
