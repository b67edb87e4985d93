// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PrivateFolder.h"

#include "FileUrls.h"
#include "FrameSequence.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Hidden, and spelt so that no person names a folder of theirs so by chance.
constexpr char kPrefix[] = ".loomfin-job-";
// Made inside the folder when the folder is made, and locked for the job's
// life: the proof that the folder is Loomfin's, and whether its job lives.
constexpr char kLockName[] = ".loomfin-lock";
// The partial GIFs the job writes elsewhere, each path ended by a NUL byte
// (the one byte no path holds).
constexpr char kPartialRecord[] = ".loomfin-partials";
constexpr off_t kMaxRecordBytes = 1 << 20;
// The folder path goes into ffmpeg's patterns, which must stay short.
constexpr std::size_t kMaxBaseBytes = 512;

bool usableBase(const std::string &dir) {
    return !dir.empty() && dir.front() == '/' && dir.size() <= kMaxBaseBytes &&
           !hasPatternCharacter(dir);
}

// Made (O_EXCL) under a temporary name and renamed once locked, so no other
// job ever finds the lock file unlocked while its owner is alive.
int createLock(const fs::path &folder) {
    const fs::path pending = folder / ".loomfin-lock-pending";
    const int fd = ::open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX) != 0 || ::rename(pending.c_str(), (folder / kLockName).c_str()) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ownedBy(const struct stat &info, mode_t type) {
    return (info.st_mode & S_IFMT) == type && info.st_uid == ::getuid();
}

// The lock of a folder Loomfin made and whose job no longer runs, taken and
// held; -1 for any other folder. A folder without the lock file is never
// taken for one of ours, whatever its name and age.
int takeAbandonedLock(int folderFd) {
    const int fd = ::openat(folderFd, kLockName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !ownedBy(info, S_IFREG) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Only the partial GIFs the record names, never any other file a damaged
// record might name.
void removePartialOutputs(int folderFd) {
    const int fd =
        ::openat(folderFd, kPartialRecord, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    std::string record;
    if (::fstat(fd, &info) == 0 && ownedBy(info, S_IFREG) && info.st_size <= kMaxRecordBytes) {
        record.resize(std::size_t(info.st_size));
        const ssize_t got = ::read(fd, record.data(), record.size());
        record.resize(got > 0 ? std::size_t(got) : 0);
    }
    ::close(fd);
    // An entry cut short (no NUL after it) is ignored.
    for (std::size_t begin = 0, end; (end = record.find('\0', begin)) != std::string::npos;
         begin = end + 1) {
        const fs::path partial(record.substr(begin, end - begin));
        const std::string name = partial.filename().native();
        struct stat file {};
        if (partial.is_absolute() && name.starts_with(".animation_") &&
            name.find(".gif.part-") != std::string::npos && ::lstat(partial.c_str(), &file) == 0 &&
            ownedBy(file, S_IFREG))
            ::unlink(partial.c_str());
    }
}

} // namespace

PrivateFolder::PrivateFolder(fs::path path, int lockFd)
    : m_path(std::move(path))
    , m_lockFd(lockFd) {}

PrivateFolder::PrivateFolder(PrivateFolder &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_lockFd(other.m_lockFd) {
    other.m_path.clear();
    other.m_lockFd = -1;
}

PrivateFolder &PrivateFolder::operator=(PrivateFolder &&other) noexcept {
    if (this != &other) {
        remove();
        std::swap(m_path, other.m_path);
        std::swap(m_lockFd, other.m_lockFd);
    }
    return *this;
}

PrivateFolder::~PrivateFolder() {
    remove();
}

fs::path PrivateFolder::base(const std::optional<std::string> &tmpdir) {
    return tmpdir && usableBase(*tmpdir) ? fs::path(*tmpdir) : fs::path("/tmp");
}

std::string PrivateFolder::namePattern() {
    return std::string(kPrefix) + "XXXXXX";
}

std::optional<PrivateFolder> PrivateFolder::make(const std::optional<std::string> &tmpdir,
                                                 QString *error, const fs::path &fallback) {
    std::vector<fs::path> bases;
    if (tmpdir && usableBase(*tmpdir))
        bases.emplace_back(*tmpdir);
    if (bases.empty() || bases.front() != fallback)
        bases.push_back(fallback);
    int lastError = 0;
    for (const fs::path &dir : bases) {
        removeStale(dir);
        std::string templ = (dir / namePattern()).native();
        if (!::mkdtemp(templ.data())) {
            lastError = errno;
            continue;
        }
        const int lock = createLock(templ);
        if (lock < 0) {
            lastError = errno;
            std::error_code ignored;
            fs::remove_all(templ, ignored);
            continue;
        }
        return PrivateFolder(templ, lock);
    }
    if (error)
        *error =
            QCoreApplication::translate("PrivateFolder",
                                        "Could not make a temporary folder in %1: %2")
                .arg(displayPath(bases.back()), QString::fromLocal8Bit(std::strerror(lastError)));
    return std::nullopt;
}

void PrivateFolder::removeStale(const fs::path &base) {
    std::error_code error;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().native();
        struct stat listed {};
        struct stat opened {};
        if (!name.starts_with(kPrefix) || name.size() != sizeof kPrefix - 1 + 6 ||
            ::lstat(it->path().c_str(), &listed) != 0 || !ownedBy(listed, S_IFDIR))
            continue;
        const int folderFd =
            ::open(it->path().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            continue;
        // Still the folder that was listed, and still abandoned.
        const int lock = ::fstat(folderFd, &opened) == 0 && opened.st_dev == listed.st_dev &&
                                 opened.st_ino == listed.st_ino
                             ? takeAbandonedLock(folderFd)
                             : -1;
        if (lock >= 0) {
            removePartialOutputs(folderFd);
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
            ::close(lock);
        }
        ::close(folderFd);
    }
}

void PrivateFolder::registerPartialOutput(const fs::path &file) {
    const int fd =
        ::open((m_path / kPartialRecord).c_str(),
               O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string entry = file.native() + '\0';
    [[maybe_unused]] const ssize_t written = ::write(fd, entry.data(), entry.size());
    ::close(fd);
}

void PrivateFolder::remove() {
    if (!m_path.empty()) {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
        m_path.clear();
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}
