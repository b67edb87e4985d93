// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <mutex>
#include <sys/types.h>
#include <vector>

// Lets the owner of a running job stop it: cancel() marks the job and
// terminates the child processes it is waiting on (one per frame range).
class JobControl {
public:
    JobControl();
    ~JobControl();

    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // Becomes readable on cancel(), so a runner waiting in poll() wakes at
    // once; -1 if it could not be made.
    int wakeDescriptor() const { return m_wake; }

    // Called by the tool runner around a child's life. Returns false (and
    // registers nothing) when the job is already cancelled.
    bool attachChild(pid_t pid);
    void detachChild(pid_t pid);

    // `follower` is cancelled with this control (at once if it already is)
    // until it is unfollowed; a group of children can so be stopped on its
    // own without the job counting as cancelled.
    void follow(JobControl *follower);
    void unfollow(JobControl *follower);

private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::vector<pid_t> m_children;
    std::vector<JobControl *> m_followers;
    int m_wake = -1;
};
