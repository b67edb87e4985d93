#include "JobControl.h"

#include <csignal>

void JobControl::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    // The runner escalates to SIGKILL if the child ignores this.
    if (m_child > 0)
        ::kill(m_child, SIGTERM);
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
