// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ToolRunner.h"

#include "ErrorTail.h"
#include "FileUrls.h"
#include "JobControl.h"
#include "JobLog.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <mutex>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

std::mutex g_locationsMutex;
std::optional<ToolLocations> g_locations;

ToolLocations locationsFromExecutable() {
    ToolLocations locations;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    // <prefix>/bin/loomfin: the installation folder is the parent of bin.
    locations.bundleFolder = error || exe.empty() ? fs::path("/") : exe.parent_path().parent_path();
    const fs::path data = locations.bundleFolder / LOOMFIN_DATA_SUBDIR;
    if (fs::is_directory(data, error))
        locations.resourcesFolder = data;
    return locations;
}

// Relative folders would make the lookup depend on where the app was started;
// pin them to the current directory now.
fs::path anchored(const fs::path &path) {
    if (path.is_absolute())
        return path;
    std::error_code error;
    const fs::path cwd = fs::current_path(error);
    return error ? path : cwd / path;
}

constexpr std::size_t kReadChunk = 64 * 1024;
// What a child can have left in a pipe when it exits is bounded by the pipe's
// capacity; a grandchild still writing must not keep us here.
constexpr std::size_t kMaxDrainAfterExit = 1024 * 1024;
// A cancelled job ends within a second even when its tool ignores SIGTERM or
// sits in an open() that SIGTERM restarts (ffmpeg on a FIFO).
constexpr auto kKillGrace = std::chrono::milliseconds(500);
// Without a pidfd (or a wake-up descriptor) nothing tells poll that the
// child exited or the job was cancelled: look this often.
constexpr int kBlindPollMs = 50;

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd) {}
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

// A pipe whose ends are close-on-exec and never take the numbers 0-2, so the
// child's dup2 onto its standard streams cannot clash with them.
int makePipe(UniqueFd &readEnd, UniqueFd &writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    for (UniqueFd *end : {&readEnd, &writeEnd}) {
        if (end->get() >= 3)
            continue;
        const int moved = ::fcntl(end->get(), F_DUPFD_CLOEXEC, 3);
        if (moved < 0)
            return errno;
        end->reset(moved);
    }
    return 0;
}

// fork + exec rather than posix_spawn, so the child can ask to die with us.
// Everything is prepared before the fork; between fork and exec the child
// makes only async-signal-safe calls. Returns the pid, or -1 with `error`.
pid_t startChild(const char *path, char *const argv[], char *const envp[], int outFd, int errFd,
                 int &error) {
    // A failed exec sends its errno back through this pipe; a successful one
    // closes it.
    UniqueFd reportRead, reportWrite;
    if ((error = makePipe(reportRead, reportWrite)) != 0)
        return -1;
    const pid_t parent = ::getpid();
    // None of our signal handlers may run in the child before exec.
    sigset_t all, previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto fail = [&reportWrite](int code) {
            [[maybe_unused]] const ssize_t written = ::write(reportWrite.get(), &code, sizeof code);
            ::_exit(127);
        };
        // The kernel kills the child when the thread that forked it ends.
        // runTool waits for the child on that very thread, so this is the
        // job's lifetime, and a killed application leaves no tool behind.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
            fail(errno);
        if (::getppid() != parent)
            ::_exit(127); // we were orphaned before the line above
        // No terminal input (ffmpeg would read keys from it), none of our
        // other descriptors.
        const int null = ::open("/dev/null", O_RDONLY);
        if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
            fail(errno);
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); // keeps the report pipe until exec
        // Ignored signals and the mask are inherited through exec; start clean.
        struct sigaction byDefault = {};
        byDefault.sa_handler = SIG_DFL;
        for (int number = 1; number < NSIG; ++number)
            ::sigaction(number, &byDefault, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(path, argv, envp);
        fail(errno);
    }
    error = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0)
        return -1;
    reportWrite.reset();
    int childError = 0;
    ssize_t n;
    while ((n = ::read(reportRead.get(), &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    if (n != sizeof childError)
        return pid;
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    error = childError;
    return -1;
}

QString startFailure(const std::string &executablePath, int error) {
    return QCoreApplication::translate("ToolRunner", "Could not start %1: %2")
        .arg(displayPath(executablePath),
             QString::fromLocal8Bit(std::generic_category().message(error)));
}

void appendLine(QString &text, const QString &line) {
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    text += line;
}

// Reads what is ready on fd; closes it at end of file or on error.
void readAvailable(UniqueFd &fd, char *buffer, ErrorTail *tail, std::size_t *budget = nullptr) {
    for (;;) {
        std::size_t want = kReadChunk;
        if (budget) {
            if (*budget == 0)
                return;
            want = std::min(want, *budget);
        }
        const ssize_t n = ::read(fd.get(), buffer, want);
        if (n > 0) {
            if (tail)
                tail->feed(buffer, static_cast<std::size_t>(n));
            if (budget)
                *budget -= static_cast<std::size_t>(n);
            else
                return; // one read per wake-up; poll says when there is more
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        fd.reset();
        return;
    }
}

std::vector<char *> pointers(std::initializer_list<const std::string *> first,
                             const std::vector<std::string> &rest) {
    std::vector<char *> list;
    for (const std::string *s : first)
        list.push_back(const_cast<char *>(s->c_str()));
    for (const std::string &s : rest)
        list.push_back(const_cast<char *>(s.c_str()));
    list.push_back(nullptr);
    return list;
}

} // namespace

void setApplicationToolLocations(const ToolLocations &locations) {
    std::lock_guard lock(g_locationsMutex);
    g_locations = locations;
}

ToolLocations applicationToolLocations() {
    std::lock_guard lock(g_locationsMutex);
    if (!g_locations)
        g_locations = locationsFromExecutable();
    return *g_locations;
}

std::vector<fs::path> toolSearchDirectories(const ToolLocations &locations,
                                            const std::optional<std::string> &pathVariable) {
    std::vector<fs::path> directories;
    if (locations.resourcesFolder) {
        directories.push_back(anchored(*locations.resourcesFolder / "Tools"));
        directories.push_back(anchored(*locations.resourcesFolder));
    }
    directories.push_back(anchored(locations.bundleFolder / LOOMFIN_DATA_SUBDIR / "Tools"));
    directories.emplace_back("/opt/homebrew/bin");
    directories.emplace_back("/usr/local/bin");

    const std::string path = pathVariable.value_or("");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            directories.push_back(anchored(fs::path(path.substr(start, end - start))));
        start = end + 1;
    }
    return directories;
}

std::optional<std::string> locateTool(const std::string &name,
                                      const std::optional<std::string> &pathVariable) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return std::nullopt;
    for (const fs::path &directory :
         toolSearchDirectories(applicationToolLocations(), pathVariable)) {
        const std::string candidate = (directory / name).string();
        struct stat info {};
        // stat follows symbolic links; a folder named like the tool is no tool.
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> environmentSnapshot() {
    std::vector<std::string> entries;
    for (char **entry = environ; entry && *entry; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

std::vector<std::string> withEnvironmentEntry(std::vector<std::string> entries,
                                              const std::string &name, const std::string &value) {
    if (name.empty() || name.find('=') != std::string::npos)
        return entries;
    const std::string prefix = name + '=';
    std::erase_if(entries,
                  [&prefix](const std::string &entry) { return entry.starts_with(prefix); });
    entries.push_back(prefix + value);
    return entries;
}

std::optional<std::string> environmentValue(const std::vector<std::string> &entries,
                                            const std::string &name) {
    const std::string prefix = name + '=';
    for (const std::string &entry : entries) {
        if (entry.starts_with(prefix))
            return entry.substr(prefix.size());
    }
    return std::nullopt;
}

static ProcessResult runChild(const std::string &executablePath,
                              const std::vector<std::string> &arguments,
                              const RunOptions &options) {
    ProcessResult result;

    // A NUL byte cannot reach the child; never run a silently shortened command.
    const auto hasNul = [](const std::string &s) {
        return s.find('\0') != std::string::npos;
    };
    if (hasNul(executablePath) || std::any_of(arguments.begin(), arguments.end(), hasNul) ||
        std::any_of(options.environment.begin(), options.environment.end(), hasNul)) {
        result.outputText = startFailure(executablePath, EINVAL);
        return result;
    }
    const std::vector<char *> argv = pointers({&executablePath}, arguments);
    const std::vector<char *> envp = pointers({}, options.environment);

    UniqueFd outRead, outWrite, errRead, errWrite;
    int error = makePipe(outRead, outWrite);
    if (!error)
        error = makePipe(errRead, errWrite);
    const pid_t pid = error ? -1
                            : startChild(executablePath.c_str(), argv.data(), envp.data(),
                                         outWrite.get(), errWrite.get(), error);
    outWrite.reset();
    errWrite.reset();
    if (pid < 0) {
        result.outputText = startFailure(executablePath, error);
        return result;
    }

    using Clock = std::chrono::steady_clock;
    JobControl *control = options.control;
    const bool attached = control && control->attachChild(pid);
    std::optional<Clock::time_point> killAt; // set once the job is cancelled
    bool killSent = false;
    if (control && !attached) {
        // Cancelled while starting: the same SIGTERM first, SIGKILL after the
        // grace period, as for a child cancelled later.
        ::kill(pid, SIGTERM);
        killAt = Clock::now() + kKillGrace;
    }
    // Readable once the child has exited.
    const UniqueFd exitFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    const int wakeFd = control ? control->wakeDescriptor() : -1;
    const bool blind = !exitFd.isOpen() || (control && wakeFd < 0);

    ErrorTail tail;
    const auto buffer = std::make_unique<char[]>(kReadChunk);
    bool statusLost = false;
    for (;;) {
        // Look without reaping: the pid must stay ours until JobControl lets go.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
            if (info.si_pid == pid)
                break;
        } else if (errno == ECHILD) {
            statusLost = true; // reaped elsewhere (SIGCHLD ignored)
            break;
        }
        const auto now = Clock::now();
        if (!killAt && control && control->isCancelled())
            killAt = now + kKillGrace; // cancel() has sent SIGTERM
        if (killAt && !killSent && now >= *killAt) {
            ::kill(pid, SIGKILL);
            killSent = true;
        }

        std::array<pollfd, 4> fds{};
        nfds_t count = 0;
        for (const int fd : {outRead.get(), errRead.get(), exitFd.get(), killAt ? -1 : wakeFd}) {
            if (fd >= 0)
                fds[count++] = pollfd{fd, POLLIN, 0};
        }
        int timeout = blind ? kBlindPollMs : -1;
        if (killAt && !killSent) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*killAt - now).count();
            timeout = timeout < 0 ? int(left) : std::min(timeout, int(left));
        }
        if (::poll(fds.data(), count, timeout) < 0 && errno != EINTR)
            ::usleep(kBlindPollMs * 1000);
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents != 0 && fds[i].fd == outRead.get())
                readAvailable(outRead, buffer.get(), nullptr);
            else if (fds[i].revents != 0 && fds[i].fd == errRead.get())
                readAvailable(errRead, buffer.get(), &tail);
        }
    }
    // SIGTERM may have ended the child before the loop saw the cancellation.
    const bool cancelled = killAt || (control && control->isCancelled());
    if (attached)
        control->detachChild(pid);

    int status = 0;
    if (!statusLost) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }

    // Take what the child left in the pipes, without waiting on descendants
    // that may still hold them open.
    for (UniqueFd *fd : {&outRead, &errRead}) {
        if (!fd->isOpen())
            continue;
        ::fcntl(fd->get(), F_SETFL, ::fcntl(fd->get(), F_GETFL) | O_NONBLOCK);
        std::size_t budget = kMaxDrainAfterExit;
        readAvailable(*fd, buffer.get(), fd == &errRead ? &tail : nullptr, &budget);
    }

    result.outputText = tail.finish();
    if (statusLost) {
        result.exitStatus = -1;
        appendLine(result.outputText,
                   QCoreApplication::translate("ToolRunner", "Exit status unavailable"));
    } else if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        result.exitStatus = 128 + signal;
        const char *description = sigdescr_np(signal);
        appendLine(result.outputText,
                   QCoreApplication::translate("ToolRunner", "Terminated by signal %1 (%2)")
                       .arg(signal)
                       .arg(QString::fromUtf8(description ? description : "unknown")));
    } else {
        result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // A cancelled child that exits cleanly on SIGTERM must not pass for a success.
    if (cancelled && result.exitStatus == 0) {
        result.exitStatus = 128 + SIGTERM;
        appendLine(result.outputText, QCoreApplication::translate("ToolRunner", "Cancelled"));
    }
    return result;
}

ProcessResult runTool(const std::string &executablePath, const std::vector<std::string> &arguments,
                      const RunOptions &options) {
    const JobLog::ToolRun logged(executablePath, arguments);
    ProcessResult result = runChild(executablePath, arguments, options);
    logged.finished(result.exitStatus);
    return result;
}

QString condenseToolOutput(int status, const QString &text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            continue;
        const QString line = text.mid(start, i - start).trimmed();
        if (!line.isEmpty())
            lines.append(line);
        start = i + 1;
    }
    if (lines.isEmpty())
        return QCoreApplication::translate("ToolRunner", "exit %1").arg(status);
    return lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QStringLiteral(" | "));
}

QString missingToolsMessage() {
    const fs::path bundled =
        applicationToolLocations().bundleFolder / LOOMFIN_DATA_SUBDIR / "Tools";
    return QStringList{
        QCoreApplication::translate("ToolRunner", "Missing required tools: ffmpeg + gifsicle."),
        QCoreApplication::translate("ToolRunner", "For app releases, bundle executables at %1/.")
            .arg(displayPath(bundled)),
        QCoreApplication::translate(
            "ToolRunner", "Dev fallback paths checked: /opt/homebrew/bin, /usr/local/bin, "
                          "and $PATH."),
        QCoreApplication::translate("ToolRunner",
                                    "Install them from your distribution's packages, for example: "
                                    "sudo apt install ffmpeg gifsicle"),
    }
        .join(QLatin1Char('\n'));
}
