// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The conversion pipeline, from its command lines to the outcomes of real
// jobs: a GIF reported done is complete, in the folder named, with exactly
// the frames counted; anything else fails with one clear text and leaves
// nothing behind.

#include "ConversionPipeline.h"
#include "ConverterEngine.h"
#include "FakeNotificationServer.h"
#include "FileUrls.h"
#include "FrameRange.h"
#include "GifLzw.h"
#include "JobControl.h"
#include "OptimisedGifJoiner.h"
#include "PrivateFolder.h"
#include "RecordingReporter.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <csignal>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TestEnvironment;

namespace {

const QString loomfin = QStringLiteral(LOOMFIN_BINARY_DIR "/bin/loomfin");
const JobSettings everySecondFrame = JobSettings::clamped(15, 100, 256, 0, 0, 2);

// A command line as a shell shows it.
QString shellLine(const std::vector<std::string> &arguments) {
    QStringList words;
    for (const std::string &argument : arguments) {
        const QString word = QString::fromStdString(argument);
        words << (word.contains(u' ') ? u'\'' + word + u'\'' : word);
    }
    return words.join(u' ');
}

std::unique_ptr<QSettings> store(const char *name) {
    return std::make_unique<QSettings>(str(root() / name), QSettings::IniFormat);
}

// A real job on 12 frames.
struct Job {
    QString setup;                  // shell commands run in the frames' folder first
    int frames = 0;                 // in the GIF; 0: the job fails
    QString failure = {};           // how its failure text starts
    QString tool = {}, script = {}; // a fake tool
    // Frame ranges asked for, and the GIF-pass processes that must run (and
    // as many optimiser processes, unless `optimisers` says); the GIF then
    // decodes like the one-process job's.
    int ranges = 0, runs = 1, optimisers = -1;
    JobSettings settings = JobSettings::clamped(15, 100, 256, 0, 3, 1);
    bool files = false; // a files job (staged) rather than a folder job
};

// Every decoded frame's checksum and start (in centiseconds) and every
// delay, or with `lossy` the frame count and total duration.
QString decoded(const fs::path &gif, bool lossy) {
    const QString frames =
        runProgram("ffmpeg", {"-loglevel", "error", "-i", str(gif), "-fps_mode", "passthrough",
                              "-enc_time_base", "-1", "-f", "framemd5", "-"});
    QStringList each, delays;
    for (auto it = QRegularExpression("^0, +\\d+, +(\\d+), +\\d+, +\\d+, +(\\w+)$",
                                      QRegularExpression::MultilineOption)
                       .globalMatch(frames);
         it.hasNext();) {
        const auto line = it.next();
        each << line.captured(1) + ' ' + line.captured(2);
    }
    qint64 duration = 0;
    for (auto it = QRegularExpression("delay ([\\d.]+)s").globalMatch(gifInfo(gif));
         it.hasNext();) {
        const qint64 delay = qRound64(it.next().captured(1).toDouble() * 100);
        duration += delay;
        delays << QString::number(delay);
    }
    return lossy ? QString("%1 frames, %2 cs").arg(each.size()).arg(duration)
                 : each.join(u'\n') + '\n' + delays.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(Job)

class TestConversionPipeline : public QObject {
    Q_OBJECT

    fs::path m_tools; // a resources folder whose Tools/ may hold fake tools

    static JobRequest request(const fs::path &folder, const fs::path &out,
                              const JobSettings &s = JobSettings::clamped(15, 100, 256, 0, 0, 1)) {
        return {folder, {}, s, out, environmentSnapshot(), {}, {}};
    }

    // Runs a job on this thread; the reporter holds what it said.
    static void run(const JobRequest &r, RecordingReporter &reporter) {
        JobControl control;
        runConversion(r, reporter, control);
    }

private slots:
    void init() {
        m_tools = freshFolder("app");
        setApplicationToolLocations({m_tools, m_tools / "prefix"});
    }

    // No job leaves anything in its temporary folder.
    void cleanup() { QCOMPARE(entries(qgetenv("TMPDIR").toStdString()), QStringList()); }

    // The exact command lines of a numbered folder (the worked example); then
    // the other input modes, settings truncated, and loop counts as gifsicle
    // takes them.
    void commandLines() {
        FrameSequence seq{.frames = {"/Renders/shots/shot_0001.png"},
                          .frameExtension = "png",
                          .inputMode = FrameInputMode::Numbered,
                          .number = {"shot_", 4, 1}};
        const QString ts = jobTimestamp(QDateTime({2026, 1, 5}, {10, 30}, QTimeZone(3600)));
        QCOMPARE(ts, "20260105T093000"); // in UTC
        ConversionPaths paths = temporaryPaths("TMP", ts);
        paths.optimiserOutput = "OUT/animation.gif";
        CommandLines lines = buildCommandLines(seq, "/Renders/shots",
                                               JobSettings::clamped(15, 600, 256, 30, 0, 1), paths);
        const QString input = "-start_number 1 -framerate 15 -i /Renders/shots/shot_%04d.png";
        QCOMPARE(shellLine(lines.palette),
                 "-xerror -reinit_filter 0 " + input +
                     " -vf scale=600:-1:flags=lanczos,palettegen=max_colors=256:stats_mode=full:"
                     "reserve_transparent=0 -y TMP/palette_20260105T093000.png");
        QCOMPARE(
            shellLine(lines.gif),
            "-xerror -reinit_filter 0 " + input +
                " -i TMP/palette_20260105T093000.png -lavfi 'scale=600:-1:flags=lanczos [x]; "
                "[x][1:v] paletteuse=dither=floyd_steinberg' -y TMP/unopt_20260105T093000.gif");
        const QString files = " -o OUT/animation.gif TMP/unopt_20260105T093000.gif";
        QCOMPARE(shellLine(lines.optimiser), "-O3 --lossy=30 --loopcount" + files);

        struct Case {
            JobSettings settings;
            FrameInputMode mode;
            const char *input, *filter, *optimiser;
        };
        const char *glob = "-framerate 15 -pattern_type glob -i '/a b/*.png'";
        const Case cases[] = {
            {JobSettings::clamped(15, 600, 256, 0, 0, 1), FrameInputMode::Glob, glob,
             "scale=600:-1:flags=lanczos,palettegen=max_colors=256:", "-O3 --loopcount"},
            {JobSettings::clamped(12.9, 640.7, 255.9, 0.5, 5, 1), FrameInputMode::Staged,
             "-start_number 0 -framerate 12 -i TMP/loomfin_frames_20260105T093000/frame_%04d.png",
             "scale=640:-1:flags=lanczos,palettegen=max_colors=255:",
             "-O3 --lossy=0 --loopcount=4 --colors 255"},
            {JobSettings::clamped(15, 600, 2, 200, 1, 1), FrameInputMode::Glob, glob,
             "max_colors=2:", "-O3 --lossy=200 --no-loopcount --colors 2"},
        };
        for (const Case &c : cases) {
            seq.inputMode = c.mode;
            lines = buildCommandLines(seq, "/a b", c.settings, paths);
            QCOMPARE(shellLine(lines.input), c.input);
            QVERIFY2(shellLine(lines.palette).contains(c.filter),
                     qPrintable(shellLine(lines.palette)));
            QCOMPARE(shellLine(lines.optimiser), c.optimiser + files);
        }
    }

    // Ranges: one per core as memory and length allow; each starts on the
    // delay cycle and ends with the delay the whole file gives its last frame.
    void frameRanges() {
        const qint64 gib = 1LL << 30;
        QCOMPARE(plannedRangeCount(127, {2, 8 * gib}), 1); // a range is at least 64 frames
        QCOMPARE(plannedRangeCount(128, {2, 8 * gib}), 2);
        QCOMPARE(plannedRangeCount(2000, {16, 1 * gib}), 4);
        QCOMPARE(plannedRangeCount(2000, {16, 64 * gib}), 16);
        QCOMPARE(plannedRangeCount(3, {0, 0}), 1);
        for (const auto &[fps, cycle, delays] : {std::tuple{15, 3, "7 6 7 7 6 7 7 7"},
                                                 {7, 7, "14 15 14 14 14 15 14 14"},
                                                 {10, 1, "10 10 10 10 10 10 10 10"},
                                                 {60, 3, "2 1 2 2 1 2 2 2"}}) {
            QStringList made;
            for (int i = 0; i < 8; ++i)
                made << QString::number(frameDelay(i, 8, fps));
            QCOMPARE(made.join(u' '), delays);
            QCOMPARE(delayCycle(fps), cycle);
        }
        using R = std::vector<FrameRange>;
        QCOMPARE(planFrameRanges(13, 15, 7),
                 (R{{0, 3, 7}, {3, 3, 7}, {6, 3, 7}, {9, 3, 7}, {12, 1, 7}}));
        QCOMPARE(planFrameRanges(40, 7, 2), (R{{0, 21, 14}, {21, 19, 14}}));
        QCOMPARE(planFrameRanges(5, 15, 3), (R{{0, 3, 7}, {3, 2, 7}}));
        QCOMPARE(planFrameRanges(7, 10, 7).size(), 7u);
        QCOMPARE(shellLine(rangeArguments({"-start_number", "1", "-i", "p", "-y", "all.gif"},
                                          {3, 3, 7}, false, "part.gif")),
                 "-start_number 4 -i p -frames:v 3 -final_delay 7 -y part.gif");
        QCOMPARE(shellLine(rangeArguments({"-start_number", "0", "-i", "p", "-y", "all.gif"},
                                          {12, 1, 6}, true, "last.gif")),
                 "-start_number 12 -i p -final_delay 6 -y last.gif");
    }

    // LZW: what is encoded decodes to the same indices (runs, repeats that
    // fill the 4,096 codes, a string that ends in its own first index), and a
    // relabelled stream decodes to the mapped indices, or is refused when a
    // mapped index does not fit the code size.
    void gifLzw() {
        std::vector<unsigned char> noise(20000);
        unsigned state = 7;
        for (unsigned char &index : noise)
            index = (state = state * 1103515245 + 12345) >> 16 & 0xFF;
        std::array<unsigned char, 256> reversed{};
        for (int i = 0; i < 256; ++i)
            reversed[i] = static_cast<unsigned char>(255 - i);
        for (const auto &[indices, codeSize] : {std::pair{std::vector<unsigned char>{}, 2},
                                                {{1}, 2},
                                                {{0, 0, 0, 0, 0, 0, 0}, 2},
                                                {{1, 2, 1, 2, 1, 2, 1, 3}, 2},
                                                {std::vector<unsigned char>(9000, 3), 2},
                                                {noise, 8}}) {
            const std::string coded = GifLzw::encode(indices, codeSize);
            QCOMPARE(GifLzw::decode(coded, codeSize), indices);
            std::vector<unsigned char> mapped = indices;
            for (unsigned char &index : mapped)
                index = reversed[index] % (1 << codeSize);
            std::array<unsigned char, 256> map = reversed;
            for (unsigned char &to : map)
                to = static_cast<unsigned char>(to % (1 << codeSize)); // 256: unchanged
            const auto relabelled = GifLzw::relabel(coded, codeSize, map);
            QVERIFY(relabelled);
            QCOMPARE(relabelled->size(), coded.size());
            QCOMPARE(GifLzw::decode(*relabelled, codeSize), mapped);
        }
        QCOMPARE(GifLzw::relabel(GifLzw::encode({1, 2}, 2), 2, reversed), std::nullopt);
        QCOMPARE(GifLzw::decode("\xff\xff", 2), std::nullopt); // a code not yet defined
        // The union of colour tables: of the entries used, a colour maps to
        // its first entry, new colours are appended, a transparent entry gets
        // one of its own colour no other entry of its table maps to; 257 are
        // refused.
        std::string table("\1\1\1\2\2\2\1\1\1", 9);
        std::array<unsigned char, 256> map{};
        QVERIFY(addToColourUnion(table, std::string("\2\2\2\1\1\1\1\1\1\1\1\1\3\3\3\4\4\4", 18),
                                 {true, true, true, true, true}, {false, false, true, true}, map));
        QCOMPARE(table, std::string("\1\1\1\2\2\2\1\1\1\3\3\3\1\1\1", 15));
        QCOMPARE((std::vector<int>(map.begin(), map.begin() + 5)),
                 (std::vector<int>{1, 0, 2, 4, 3}));
        std::string all;
        for (int i = 0; i < 256; ++i)
            all += std::string{char(i), char(i), char(i)};
        std::string full;
        const std::vector<bool> every(512, true);
        QVERIFY(addToColourUnion(full, all + all, every, {}, map));
        QCOMPARE(full, all);
        QVERIFY(!addToColourUnion(full, std::string(6, '\0'), every, {false, true}, map));
    }

    void sizeTexts() {
        QCOMPARE(sizeText(999), "999 bytes");
        QCOMPARE(sizeText(1000), "1 KB");
        QCOMPARE(sizeText(12567), "13 KB"); // rounded
        QCOMPARE(sizeText(3250000000), "3.25 GB");
    }

    void publishingNeverReplacesAFile() {
        const fs::path out = freshFolder("publish");
        for (const char *name : {"animation_T.gif", "animation_T-2.gif", ".part"})
            std::ofstream(out / name) << name;
        QCOMPARE(publishOutput(out / ".part", out, "T"), out / "animation_T-3.gif");
        QCOMPARE(entries(out),
                 (QStringList{"animation_T-2.gif", "animation_T-3.gif", "animation_T.gif"}));
    }

    // Real jobs, one per kind of render folder or tool failure.
    // Done: the GIF holds exactly the frames counted, each at the output size,
    // alone in the output folder, its mode from the umask. Failed: one text,
    // nothing left behind (no partial GIF, no staging links, no temporary files).
    void jobs_data() {
        QTest::addColumn<Job>("job");
        const QString half = "while [ \"$1\" != -o ]; do shift; done; ";
        QTest::newRow("glob") << Job{"mv shot_0001.png a.png && mv shot_0002.png b.png && "
                                     "mv shot_0003.png c.png && rm shot_*",
                                     3};
        QTest::newRow("frame linked to /dev/zero") << Job{"ln -sf /dev/zero shot_0004.png", 11};
        QTest::newRow("FIFO named like a frame")
            << Job{"rm shot_0004.png && mkfifo shot_0004.png", 11};
        QTest::newRow("crossing frame 9999")
            << Job{"for n in $(seq 12); do mv shot_$(printf %04d $n).png shot_$((n + 9994)).png; "
                   "done",
                   12};
        QTest::newRow("unpadded numbers")
            << Job{"for n in $(seq 12); do mv shot_$(printf %04d $n).png shot_$n.png; done", 12};
        QTest::newRow("mixed sizes and pixel formats") << Job{
            "ffmpeg -loglevel error -i shot_0001.png -s 80x60 -pix_fmt gray -y shot_0004.png", 12};
        QTest::newRow("folder path over 1,000 bytes") << Job{":", 12};
        QTest::newRow("no images") << Job{
            "rm *.png", 0,
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP."};
        QTest::newRow("empty frame")
            << Job{": > shot_0004.png", 0,
                   "The frame shot_0004.png is empty (0 bytes). Render it again or remove it."};
        QTest::newRow("undecodable frame")
            << Job{"echo not a PNG > shot_0003.png", 0, "FFmpeg palette generation failed: "};
        QTest::newRow("gif pass stops early, exit 0")
            << Job{":", 0, "FFmpeg GIF creation failed: it made 1 of 12 frames", "ffmpeg",
                   "/usr/bin/ffmpeg \"$@\" || exit\ncase \"$*\" in *paletteuse*) for last; do :; "
                   "done; gifsicle \"$last\" '#0' -o \"$last\";; esac"};
        QTest::newRow("optimiser writes half, fails")
            << Job{":", 0, "gifsicle optimisation failed: gifsicle: disk full", "gifsicle",
                   half + "echo GIF89a > \"$2\"; echo 'gifsicle: disk full' >&2; exit 1"};
        QTest::newRow("optimiser writes half, exit 0")
            << Job{":", 0, "gifsicle optimisation failed: it wrote an incomplete GIF (700 bytes)",
                   "gifsicle", half + "head -c 700 \"$3\" > \"$2\""};
        QTest::newRow("optimiser writes nothing, exit 0")
            << Job{":", 0, "gifsicle optimisation failed: it wrote an incomplete GIF (Zero KB)",
                   "gifsicle", "exit 0"};
        QTest::newRow("optimiser writes a GIF without images, exit 0")
            << Job{":", 0, "gifsicle optimisation failed: it wrote a GIF without images",
                   "gifsicle", half + "printf 'GIF89a\\1\\0\\1\\0\\0\\0\\0;' > \"$2\""};
        QTest::newRow("optimiser keeps 3 of 12 frames, exit 0") << Job{
            ":", 0,
            "gifsicle optimisation failed: it wrote a GIF that plays 0.20 s instead of 0.79 s",
            "gifsicle", half + "/usr/bin/gifsicle \"$3\" '#0-2' -o \"$2\""};
        QTest::newRow("optimiser leaves a FIFO, exit 0")
            << Job{":", 0, "gifsicle optimisation failed: its output is not a regular file",
                   "gifsicle", half + "rm \"$2\" && mkfifo \"$2\""};
        // gifsicle drops the frame's delay and writes a GIF87a.
        QTest::newRow("one frame, played once")
            << Job{.setup = "for n in $(seq 2 12); do rm shot_$(printf %04d $n).png; done",
                   .frames = 1,
                   .settings = JobSettings::clamped(15, 100, 256, 0, 1, 1)};
        // Frame ranges: each starts on the delay cycle (15 fps: 3 frames).
        const QString thirteen = "cp shot_0012.png shot_0013.png";
        QTest::newRow("2 ranges, glob")
            << Job{.setup = "set -- a b c d e f g h i j k l; for n in $(seq 12); do "
                            "mv shot_$(printf %04d $n).png $1.png; shift; done",
                   .frames = 12,
                   .ranges = 2,
                   .runs = 2};
        QTest::newRow("3 ranges") << Job{.setup = ":", .frames = 12, .ranges = 3, .runs = 3};
        QTest::newRow("7 ranges, the last one frame, a repeat at the seam")
            << Job{.setup = thirteen, .frames = 13, .ranges = 7, .runs = 5, .optimisers = 1};
        QTest::newRow("7 ranges, one-frame ranges (10 fps)")
            << Job{.setup = ":",
                   .frames = 12,
                   .ranges = 7,
                   .runs = 7,
                   .settings = JobSettings::clamped(10, 100, 256, 0, 3, 1)};
        QTest::newRow("2 ranges, 7 fps")
            << Job{.setup = ":",
                   .frames = 12,
                   .ranges = 2,
                   .runs = 2,
                   .settings = JobSettings::clamped(7, 100, 256, 0, 3, 1)};
        QTest::newRow("3 ranges, every 2nd frame")
            << Job{.setup = ":",
                   .frames = 6,
                   .ranges = 3,
                   .runs = 3,
                   .settings = JobSettings::clamped(20, 100, 256, 0, 3, 2)};
        QTest::newRow("2 ranges, files job")
            << Job{.setup = ":", .frames = 12, .ranges = 2, .runs = 2, .files = true};
        QTest::newRow("2 ranges, lossy")
            << Job{.setup = ":",
                   .frames = 12,
                   .ranges = 2,
                   .runs = 2,
                   .settings = JobSettings::clamped(15, 100, 256, 40, 3, 1)};
        QTest::newRow("a range fails") << Job{
            .setup = ":",
            .failure = "FFmpeg GIF creation failed: range 2 | broke",
            .tool = "ffmpeg",
            .script =
                "case \"$*\" in *'-start_number 7 '*paletteuse*) printf 'range 2\\nbroke\\n' >&2; "
                "exit 1;; *paletteuse*) exec sleep 1000;; esac\nexec /usr/bin/ffmpeg \"$@\"",
            .ranges = 2,
            .runs = 2,
            .optimisers = 0};
        QTest::newRow("an optimiser range fails")
            << Job{.setup = ":",
                   .failure = "gifsicle optimisation failed: range 2 | broke",
                   .tool = "gifsicle",
                   .script = "case \"$*\" in *_1.gif) printf 'range 2\\nbroke\\n' >&2; exit 1;;\n"
                             "*_0.gif) exec sleep 1000;; esac\n"
                             "exec /usr/bin/gifsicle \"$@\"",
                   .ranges = 2,
                   .runs = 2};
    }

    void jobs() {
        QFETCH(Job, job);
        const bool deep = QByteArray(QTest::currentDataTag()).contains("1,000 bytes");
        const fs::path made = freshFolder("made");
        const fs::path folder =
            freshFolder(deep ? QStringList(6, QString(200, u'd')).join(u'/') : "frames");
        const fs::path out = folder / "out";
        makeFrames(made, "shot_", 1, 12);
        fs::rename(made, folder); // made where ffmpeg can write them
        int code = -1;
        runProgram("sh", {"-c", "cd \"$0\" && : > notes.txt && " + job.setup, str(folder)}, &code);
        QCOMPARE(code, 0);
        const fs::path runs = m_tools / "runs"; // the GIF-pass and optimiser processes
        writeScript(
            m_tools / "Tools/ffmpeg",
            "case \"$*\" in *paletteuse*) echo gif >> \"" + runs.string() + "\";; esac\n" +
                (job.tool == "ffmpeg" ? job.script.toStdString() : "exec /usr/bin/ffmpeg \"$@\""));
        writeScript(m_tools / "Tools/gifsicle",
                    "echo opt >> \"" + runs.string() + "\"\n" +
                        (job.tool == "gifsicle" ? job.script.toStdString()
                                                : "exec /usr/bin/gifsicle \"$@\""));

        JobRequest r = request(folder, out, job.settings);
        r.frameRanges = job.ranges;
        if (job.files) {
            r.files.emplace();
            for (const QString &name : entries(folder))
                if (name.endsWith(".png"))
                    r.files->push_back(folder / name.toStdString());
        }
        RecordingReporter reporter;
        const mode_t umask = ::umask(027);
        run(r, reporter);
        ::umask(umask);
        if (job.ranges > 1 || job.frames > 0) {
            const QString said = runProgram("sort", {str(runs)});
            QCOMPARE(said.count("gif"), job.runs);
            QCOMPARE(said.count("opt"), job.optimisers < 0 ? job.runs : job.optimisers);
        }
        if (job.frames == 0) {
            QVERIFY2(reporter.failures.size() == 1 && reporter.failures[0].startsWith(job.failure),
                     qPrintable(reporter.failures.join(u'\n')));
            QVERIFY(reporter.outputs.isEmpty());
            QCOMPARE(entries(out), QStringList());
            return;
        }
        QCOMPARE(reporter.failures, QStringList());
        QVERIFY(reporter.stages.value(0).contains(QString(" %1 ").arg(job.frames)));
        QCOMPARE(reporter.stages,
                 (QStringList{reporter.stages.value(0), "Generating colour palette… @0.2",
                              "Creating GIF… @0.5", "Optimising with gifsicle… @0.8"}));
        const fs::path gif = localPathFromUrl(reporter.outputs.value(0));
        QCOMPARE(entries(out), QStringList{str(gif.filename())}); // animation_<UTC time>.gif
        QCOMPARE(reporter.sizes, QStringList{sizeText(qint64(fs::file_size(gif)))});
        QCOMPARE(fs::status(gif).permissions(), fs::perms(0640));
        const QString info = gifInfo(gif);
        if (job.ranges <= 1) {
            const QString images =
                job.frames == 1 ? " 1 image\n" : QString(" %1 images\n").arg(job.frames);
            QVERIFY2(info.contains(images + "  logical screen 100x75") &&
                         (job.settings.loopCount == 3 ? info.contains("loop count 2")
                                                      : !info.contains("loop")),
                     qPrintable(info));
            return;
        }
        const fs::path alone = freshFolder("one-process");
        RecordingReporter sequential;
        r.frameRanges = 1;
        r.outputFolder = alone;
        run(r, sequential);
        const fs::path reference = localPathFromUrl(sequential.outputs.value(0));
        const bool lossy = r.settings.lossy > 0;
        QCOMPARE(decoded(gif, lossy), decoded(reference, lossy));
        QVERIFY(decoded(gif, false).startsWith("0 ")); // frames were read
    }

    // On a disk that fills up, gifsicle exits 0 with a cut file: the job says
    // so and leaves nothing on it (a small tmpfs in a private mount namespace).
    void fullDisk() {
        const fs::path folder = freshFolder("frames"), out = freshFolder("small-disk");
        makeFrames(folder, "shot_", 1, 10, 4, 320, 240);
        QProcess process;
        process.start("unshare", {"--map-root-user", "--mount", "sh", "-c",
                                  "mount -t tmpfs -o size=64k loomfin-test \"$2\" || exit 99\n"
                                  "\"$1\" convert --width 600 --output \"$2\" \"$3\"\n"
                                  "status=$?\nls -A \"$2\"\nexit $status",
                                  "sh", loomfin, str(out), str(folder)});
        QVERIFY(process.waitForFinished(120000));
        const QByteArray said = process.readAllStandardError();
        if (process.exitCode() == 99 || said.startsWith("unshare: "))
            QSKIP("this machine does not allow a small tmpfs in a private mount namespace");
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(said.endsWith("\nNot enough space to save the GIF in " + str(out).toUtf8() + '\n'));
        QCOMPARE(process.readAllStandardOutput(), QByteArray()); // nothing left on it
    }

    // The default output folder is in HOME, or in the account's home when HOME
    // is unset or relative.
    void outputFolderFollowsHome() {
        const QString account = QString::fromLocal8Bit(::getpwuid(::getuid())->pw_dir);
        const QByteArray saved = qgetenv("HOME");
        for (const auto &[home, folder] :
             {std::pair{QByteArray("/"), QString()}, {QByteArray(), account}, {"here", account}}) {
            home.isNull() ? qunsetenv("HOME") : qputenv("HOME", home);
            const QUrl url = ConverterEngine(store("home.conf")).outputFolderURL();
            qputenv("HOME", saved);
            QCOMPARE(str(localPathFromUrl(url)), folder + "/Documents/GIF_Output");
        }
    }

    // TMPDIR missing or unfit for ffmpeg's patterns: jobs use the fallback
    // (/tmp, here a folder of the test's); when that fails too, the text says
    // where it tried.
    void temporaryFolder() {
        const fs::path bases = freshFolder("bases"), fallback = bases / "fallback";
        for (const fs::path &folder : {bases / "usable", bases / "set[1]", fallback})
            fs::create_directories(folder);
        for (const auto &[tmpdir, parent] : {std::pair{bases / "usable", bases / "usable"},
                                             {bases / "missing/tmp", fallback},
                                             {bases / "set[1]", fallback},
                                             {fs::path("usable"), fallback}}) {
            QString error;
            const auto folder = PrivateFolder::make(tmpdir.string(), &error, fallback);
            QVERIFY2(folder, qPrintable(error));
            QCOMPARE(folder->path().parent_path(), parent);
            QCOMPARE(fs::status(folder->path()).permissions(), fs::perms::owner_all);
        }
        fs::remove_all(fallback);
        QString error;
        QVERIFY(!PrivateFolder::make((bases / "missing/tmp").string(), &error, fallback));
        QCOMPARE(error, "Could not make a temporary folder in " + str(fallback) +
                            ": No such file or directory");
    }

    // The job reads PATH from the environment taken when it was accepted:
    // tools missing there fail it before it looks at its frames.
    void missingToolsInTheJobsEnvironment() {
        JobRequest r = request("/nonexistent/frames", "/nonexistent/out");
        r.environment = withEnvironmentEntry(r.environment, "PATH", "/nonexistent");
        RecordingReporter reporter;
        run(r, reporter);
        QCOMPARE(reporter.failures, QStringList{missingToolsMessage()});
        QCOMPARE(reporter.stages, QStringList());
    }

    void jobsInTheSameSecondKeepTheirOwnFiles() {
        const fs::path folder = freshFolder("frames"), out = freshFolder("out");
        makeFrames(folder, "shot_", 1, 4);
        RecordingReporter a, b;
        std::thread first([&] { run(request(folder, out), a); });
        run(request(folder, out, everySecondFrame), b);
        first.join();
        QCOMPARE(a.failures + b.failures, QStringList());
        QCOMPARE(entries(out).size(), 2);
        QCOMPARE(gifFrameCount(localPathFromUrl(a.outputs.value(0))), 4);
        QCOMPARE(gifFrameCount(localPathFromUrl(b.outputs.value(0))), 2);
    }

    // A tool that ignores SIGTERM, and would never end by itself, is killed,
    // every range's; the job reports nothing and leaves nothing.
    void cancellingStopsTheToolsAndCleansUp_data() {
        QTest::addColumn<int>("ranges");
        QTest::newRow("one process") << 1;
        QTest::newRow("3 ranges") << 3;
    }

    void cancellingStopsTheToolsAndCleansUp() {
        QFETCH(int, ranges);
        const fs::path started = m_tools / "started";
        writeScript(m_tools / "Tools/ffmpeg",
                    "case \"$*\" in *paletteuse*) echo $$ >> \"" + started.string() +
                        "\"; trap '' TERM; exec sleep 1000;; esac\nexec /usr/bin/ffmpeg \"$@\"");
        const fs::path folder = freshFolder("frames"), out = freshFolder("out");
        makeFrames(folder, "shot_", 1, 12);
        JobRequest r = request(folder, out);
        r.frameRanges = ranges;
        RecordingReporter reporter;
        JobControl control;
        std::atomic<bool> ended = false;
        std::thread job([&] {
            runConversion(r, reporter, control);
            ended = true;
        });
        QStringList pids;
        // Hang guards that never return early, so the job is always joined.
        const bool running = QTest::qWaitFor(
            [&] {
                QFile file(str(started));
                pids = file.open(QIODevice::ReadOnly)
                           ? QString(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                           : QStringList();
                return pids.size() == ranges;
            },
            60000);
        control.cancel();
        const bool killed = QTest::qWaitFor([&] { return ended.load(); }, 60000);
        if (!killed) {
            for (const QString &pid : pids)
                ::kill(pid.toInt(), SIGKILL); // lets the job end
        }
        job.join();
        QVERIFY(running);
        QVERIFY(killed);
        for (const QString &pid : pids)
            QVERIFY2(!fs::exists("/proc/" + pid.toStdString()), qPrintable(pid));
        QCOMPARE(reporter.stages.size(), 3);
        QCOMPARE(reporter.failures + reporter.sizes, QStringList());
        QCOMPARE(entries(out), QStringList());
    }

    // The engine takes one job at a time, on the settings of the moment it
    // accepted it. A job started from the previous one's final report is a
    // job of its own: both end, each once, and the main thread never waits on
    // the second.
    void engineRunsOneJobAtATimeOnASnapshot() {
        const fs::path folder = freshFolder("frames"), out = freshFolder("out");
        makeFrames(folder, "shot_", 1, 5);
        ConverterEngine engine(store("engine.conf")); // its notifications reach no server
        engine.setOutputPath(urlFromLocalPath(out).toString() + '/');
        engine.setWidth(120);
        QList<fs::path> gifs;
        QList<bool> runningAtEnd;
        connect(&engine, &ConverterEngine::lastOutputURLChanged, this, [&] {
            gifs << localPathFromUrl(engine.lastOutputURL());
            if (gifs.size() == 1)
                engine.startFilesJob({urlFromLocalPath(folder / "shot_0002.png"),
                                      urlFromLocalPath(folder / "shot_0001.png")});
        });
        connect(&engine, &ConverterEngine::jobEnded, this,
                [&] { runningAtEnd << engine.isJobRunning(); });
        engine.startFolderJob(urlFromLocalPath(folder));
        QVERIFY(engine.isJobRunning());
        engine.startFolderJob(urlFromLocalPath(folder)); // ignored
        engine.setWidth(300);                            // too late for the accepted job
        QTRY_COMPARE_WITH_TIMEOUT(runningAtEnd.size(), 2, 60000);
        QCOMPARE(runningAtEnd, (QList<bool>{true, false}));
        QTRY_VERIFY_WITH_TIMEOUT(engine.notifier()->isIdle(), 10000); // no server is no error
        QCOMPARE(engine.errorMessage(), QString());
        QCOMPARE(entries(out).size(), 2);
        QVERIFY(gifInfo(gifs.value(0)).contains(" 5 images\n  logical screen 120x90"));
        QVERIFY(gifInfo(gifs.value(1)).contains(" 2 images\n  logical screen 300x225"));
    }

    // The engine's notifications reach a server on the session bus, escaped
    // only for one that reads markup.
    void notifications_data() {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain") << false << "shot \"A&B\" <1>\\x.gif · 2.1 MB";
        QTest::newRow("markup") << true << "shot \"A&amp;B\" &lt;1&gt;\\x.gif · 2.1 MB";
    }

    void notifications() {
        QFETCH(bool, markup);
        QFETCH(QString, body);
        FakeNotificationServer server(markup);
        QVERIFY(server.isRegistered());
        ConverterEngine engine(store("notify.conf"));
        std::thread([&] { // a job's last reports
            engine.postCompletion(QUrl::fromLocalFile("/o/shot \"A&B\" <1>\\x.gif"), "2.1 MB");
            engine.postFailure("FFmpeg GIF creation failed: exit 1");
        })
            .join();
        QTRY_COMPARE_WITH_TIMEOUT(server.received.size(), 2, 10000);
        QStringList received;
        for (const auto &n : server.received)
            received << QStringList{n.appName,
                                    n.appIcon,
                                    QString::number(n.timeout),
                                    n.summary,
                                    n.body,
                                    n.hints.value("desktop-entry").toString(),
                                    n.hints.value("category").toString()}
                            .join(" | ");
        const QString sender = "Loomfin | org.loomfin.Loomfin | -1 | "; // the server's timeout
        QCOMPARE(received,
                 (QStringList{sender + "Loomfin — Done ✓ | " + body +
                                  " | org.loomfin.Loomfin | transfer.complete",
                              sender + "Loomfin — Error | FFmpeg GIF creation failed: exit 1 | "
                                       "org.loomfin.Loomfin | transfer.error"}));
    }

    // A job killed outright takes its tools with it and leaves its temporary
    // folder and partial GIF (here in a folder whose name holds a newline);
    // the next job removes them, but never those of a job that is still
    // running, nor any folder Loomfin did not make, however it is named.
    void killedJobsAreCleanedUpLater() {
        const fs::path folder = freshFolder("frames"), out = freshFolder("out\nput");
        const fs::path fake = freshFolder("hanging-tools"), tmp = qgetenv("TMPDIR").toStdString();
        makeFrames(folder, "shot_", 1, 3);
        writeScript(fake / "ffmpeg", "echo $$ > \"$0.pid\"\nexec sleep 60");
        const QStringList convert{"convert", "--output", str(out), str(folder)};
        QProcess hanging; // exec'd by env: its process is the program's
        hanging.start("env",
                      QStringList{"PATH=" + str(fake) + ":/usr/bin:/bin", loomfin} + convert);
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(fake / "ffmpeg.pid"), 20000);
        const QStringList leftovers = entries(tmp) + entries(out);
        QCOMPARE(leftovers.size(), 2);                    // its private folder and its partial GIF
        QCOMPARE(QProcess::execute(loomfin, convert), 0); // alongside the live job: its files stay
        for (const QString &name : leftovers)
            QVERIFY(entries(tmp).contains(name) || entries(out).contains(name));

        ::kill(pid_t(hanging.processId()), SIGKILL);
        QVERIFY(hanging.waitForFinished(10000));
        std::string tool;
        std::ifstream(fake / "ffmpeg.pid") >> tool;
        const auto running = [&] { // and not a zombie waiting for its new parent
            QFile stat(QString("/proc/%1/stat").arg(tool.c_str()));
            return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
        };
        QTRY_VERIFY_WITH_TIMEOUT(!running(), 5000);
        // The user's own folders, old and named like Loomfin's, without its lock file.
        const QStringList lookalikes{".loomfin-job-a1B2c3", "loomfin-a1B2c3", "loomfin-frames"};
        for (const QString &name : lookalikes) {
            fs::create_directories(tmp / name.toStdString() / "keep");
            fs::last_write_time(tmp / name.toStdString(),
                                fs::file_time_type::clock::now() - std::chrono::hours(2));
        }
        QCOMPARE(QProcess::execute(loomfin, convert), 0);
        QCOMPARE(entries(tmp), lookalikes);
        QCOMPARE(entries(out).size(), 2); // the two GIFs, no partial one
        for (const QString &name : lookalikes)
            fs::remove_all(tmp / name.toStdString());
    }
};

QTEST_GUILESS_MAIN(TestConversionPipeline)
#include "tst_conversion_pipeline.moc"
