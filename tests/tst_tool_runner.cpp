// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JobControl.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

// Writes `text` (a script starts "#!/bin/sh") as the program at `path`.
void writeProgram(const fs::path &path, const std::string &text, int mode = 0755) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
    fs::permissions(path, fs::perms(mode));
}

// Puts at `path` a program of the given kind: "missing", "plain" (not
// executable), "folder", "garbage" (executable, not a program) or a working
// script.
void place(const fs::path &path, const std::string &kind) {
    fs::create_directories(path.parent_path());
    if (kind == "folder")
        fs::create_directories(path);
    else if (kind != "missing")
        writeProgram(path, kind == "garbage" ? "\x7f garbage" : "#!/bin/sh\nexit 0",
                     kind == "plain" ? 0644 : 0755);
}

enum Cancel { Never, OnceStarted, WhileStarting };

} // namespace

class TestToolRunner : public QObject {
    Q_OBJECT
    ToolLocations m_savedLocations = applicationToolLocations();
    // What the children get, whatever the live environment holds by then.
    std::vector<std::string> m_environment =
        withEnvironmentEntry(environmentSnapshot(), "LOOMFIN_PROBE", "given");

private slots:
    void initTestCase() {
        // An inheritable descriptor, unlike the runner's own pipes.
        QCOMPARE(::dup2(::open("/dev/null", O_RDONLY), 100), 100);
        qputenv("LOOMFIN_PROBE", "live");
    }
    void cleanup() { setApplicationToolLocations(m_savedLocations); }

    // Resources, the installation's own Tools, two fixed folders, then PATH:
    // empty pieces dropped, repeats kept, relative pieces anchored here.
    void searchOrder() {
        QStringList folders;
        for (const fs::path &folder : toolSearchDirectories({"/p/res", "/p"}, "::/b:/a:/b:x:"))
            folders << QString::fromStdString(folder);
        QCOMPARE(folders,
                 (QStringList{u"/p/res/Tools"_s, u"/p/res"_s, u"/p/" LOOMFIN_DATA_SUBDIR "/Tools"_s,
                              u"/opt/homebrew/bin"_s, u"/usr/local/bin"_s, u"/b"_s, u"/a"_s,
                              u"/b"_s, QString::fromStdString(fs::current_path() / "x")}));
        // By default the resources are found from the executable (<build>/bin here).
        // (There is no Tools folder there unless someone makes one.)
        QCOMPARE(fs::weakly_canonical(toolSearchDirectories(m_savedLocations, {}).front()),
                 fs::weakly_canonical(LOOMFIN_BUILD_DATA_DIR "/Tools"));
    }

    // The first search folder holding an executable file wins; the rest fail to start.
    void findsAndStartsTools() {
        const std::tuple<std::string, const char *, int> kinds[] = {
            {"missing", "path", ENOENT},
            {"plain", "path", EACCES},
            {"folder", "path", EACCES},
            {"garbage", "res/Tools", ENOEXEC}};
        for (const auto &[kind, found, error] : kinds) {
            const fs::path root = TestEnvironment::freshFolder(u"locate"_s);
            setApplicationToolLocations({root / "res", root});
            place(root / "res/Tools/tool", kind);
            place(root / "path/tool", "script");
            QCOMPARE(QString::fromStdString(locateTool("tool", root / "path").value_or("")),
                     QString::fromStdString(root / found / "tool"));
            const QString program = QString::fromStdString(root / "res/Tools/tool");
            const ProcessResult started = runTool(program.toStdString(), {}, {{}});
            QCOMPARE(started.exitStatus, -1);
            QCOMPARE(started.outputText, u"Could not start "_s + program + u": "_s +
                                             QString::fromLocal8Bit(std::strerror(error)));
        }
    }

    void condense() {
        QCOMPARE(condenseToolOutput(1, u"a\n\n  b  \rc\r\nd\n"_s), u"b | c | d"_s);
        QCOMPARE(condenseToolOutput(1, u"\n \t\n"_s), u"exit 1"_s);
    }

    // A child's exit status and the tail of its standard error: the last three
    // non-blank lines, each at most 4 KiB, and nothing unless all is UTF-8.
    void run_data() {
        // "$1" names a file to create once started, not UTF-8: arguments go over as bytes.
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("cancel");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("text");
        const auto row = [](const char *tag, const char *script, int status, const QByteArray &text,
                            Cancel cancel = Never) {
            QTest::newRow(tag) << QByteArray(script) << int(cancel) << status << text;
        };
        // Lines split between reads ("drained" waits until the runner has read
        // all that was written), carriage returns as line ends, blanks trimmed.
        row("tail", "printf 'a\\nb' >&2; drained; printf 'c\\n\\n  d\\re  \\r\\nf\\n' >&2", 3,
            "d\ne\nf");
        row("long line cut between characters",
            "head -c 4095 /dev/zero | tr '\\0' a >&2; printf '\\303\\251tail\\nb\\360\\237\\230' "
            ">&2; drained; printf '\\200' >&2",
            1, QByteArray(4095, 'a') + "\nb\xf0\x9f\x98\x80");
        row("not UTF-8", "printf '\\377\\na\\nb\\nc\\nd\\n' >&2", 1, "");
        // Both pipes drained while the child runs, and nothing accumulated.
        row("flood",
            "head -c 99999999 /dev/zero & head -c 99999999 /dev/zero | tr '\\0' x >&2; "
            "wait; printf '\\nlate' >&2",
            1, QByteArray(4096, 'x') + "\nlate");
        // Killed: 128 + signal, never success, and the signal named.
        row("SIGKILL", "echo bye >&2; kill -9 $$", 137, "bye\nTerminated by signal 9 (Killed)");
        // Cancelled: SIGTERM first, SIGKILL only when that is ignored.
        row("cancelled, SIGTERM ignored",
            "trap 'echo TERM >&2' TERM; : > \"$1\"; while :; do sleep 0.1; done", 137,
            "TERM\nTerminated by signal 9 (Killed)", OnceStarted);
        row("cancelled, exits 0", "trap 'kill $!; exit 0' TERM; : > \"$1\"; sleep 1000 & wait", 143,
            "Cancelled", OnceStarted);
        row("cancelled while starting", "exec sleep 1000", 143,
            "Terminated by signal 15 (Terminated)", WhileStarting);
        row("the given environment, no inherited descriptor",
            "[ -e /proc/$$/fd/100 ] || echo $LOOMFIN_PROBE $(env | grep -c ^LOOMFIN_PROBE=) >&2", 0,
            "given 1");
    }
    void run() {
        QFETCH(QByteArray, script);
        QFETCH(int, cancel);
        QFETCH(int, status);
        QFETCH(QByteArray, text);
        const fs::path folder = TestEnvironment::freshFolder(u"run"_s);
        // "drained": the bytes left unread in standard error's pipe (FIONREAD) reach 0.
        const std::string drained = "drained() { perl -e '$n = pack q(i), 0; "
                                    "1 while ioctl(STDERR, 0x541B, $n) && unpack(q(i), $n) "
                                    "&& select(undef, undef, undef, .01) + 1'; }\n";
        writeProgram(folder / "tool", "#!/bin/sh\n" + drained + script.toStdString() + "\nexit " +
                                          std::to_string(status));
        JobControl control;
        if (cancel == WhileStarting)
            control.cancel();
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        ProcessResult result;
        const fs::path started = folder / "started \xe9\xff";
        std::thread job([&] {
            result = runTool(folder / "tool", {started}, {m_environment, &control});
        });
        // Waits without returning early, so the job is always joined.
        const bool sawStart =
            cancel != OnceStarted || QTest::qWaitFor([&] { return fs::exists(started); }, 10000);
        if (cancel == OnceStarted)
            control.cancel();
        job.join();
        QVERIFY(sawStart);
        getrusage(RUSAGE_SELF, &after); // peak resident memory, in KiB
        QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024, "output must not be accumulated");
        QCOMPARE(result.exitStatus, status);
        QCOMPARE(result.outputText, QString::fromUtf8(text));
    }
};

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_tool_runner.moc"
