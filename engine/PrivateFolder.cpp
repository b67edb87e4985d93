// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PrivateFolder.h"

#include "FileUrls.h"
#include "FrameSequence.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kPrefix[] = "loomfin-";
constexpr char kLockName[] = ".owner";
constexpr char kPartialRecord[] = ".partial";
// The folder path goes into ffmpeg's patterns, which must stay short.
constexpr std::size_t kMaxBaseBytes = 512;
// A folder without its lock file may be one being made right now.
constexpr auto kCreationGrace = std::chrono::minutes(1);

bool usableBase(const std::string &dir) {
    return !dir.empty() && dir.front() == '/' && dir.size() <= kMaxBaseBytes &&
           !hasPatternCharacter(dir);
}

// Made under a temporary name and renamed once locked, so no other job ever
// finds the lock file unlocked while its owner is alive.
int createLock(const fs::path &folder) {
    const fs::path pending = folder / ".owner-pending";
    const int fd = ::open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX) != 0 || ::rename(pending.c_str(), (folder / kLockName).c_str()) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool isAbandoned(const fs::path &folder) {
    const int fd = ::open((folder / kLockName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::error_code error;
        const auto modified = fs::last_write_time(folder, error);
        return !error && fs::file_time_type::clock::now() - modified > kCreationGrace;
    }
    const bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unlocked;
}

// Only a partial GIF, never any other file a damaged record might name.
void removePartialOutput(const fs::path &folder) {
    std::ifstream record(folder / kPartialRecord, std::ios::binary);
    std::string line;
    if (!std::getline(record, line))
        return;
    const fs::path partial(line);
    const std::string name = partial.filename().native();
    if (partial.is_absolute() && name.starts_with(".animation_") &&
        name.find(".gif.part-") != std::string::npos)
        ::unlink(partial.c_str());
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
        std::string templ = (dir / (std::string(kPrefix) + "XXXXXX")).native();
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
            QStringLiteral("Could not make a temporary folder in %1: %2")
                .arg(displayPath(bases.back()), QString::fromLocal8Bit(std::strerror(lastError)));
    return std::nullopt;
}

void PrivateFolder::removeStale(const fs::path &base) {
    std::error_code error;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().native();
        struct stat info {};
        if (!name.starts_with(kPrefix) || name.size() != sizeof kPrefix - 1 + 6 ||
            ::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::getuid() || !isAbandoned(it->path()))
            continue;
        removePartialOutput(it->path());
        std::error_code ignored;
        fs::remove_all(it->path(), ignored);
    }
}

void PrivateFolder::registerPartialOutput(const fs::path &file) {
    std::ofstream record(m_path / kPartialRecord, std::ios::binary | std::ios::trunc);
    record << file.native() << '\n';
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
