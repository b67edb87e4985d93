// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ConversionPipeline.h"

#include "FileUrls.h"
#include "FrameRange.h"
#include "GifFile.h"
#include "GifJoiner.h"
#include "JobControl.h"
#include "JobReporter.h"
#include "NumberFormat.h"
#include "OptimisedGifJoiner.h"
#include "ParallelRuns.h"
#include "PrivateFolder.h"
#include "RegularFile.h"
#include "ToolRunner.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Leaves no half-made files: removal errors are of no interest here.
void removeQuietly(const fs::path &path) {
    if (path.empty())
        return;
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QString describe(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The optimiser's own file, hidden beside the output until it is complete.
// Its mode is the one a new file gets, not mkstemp's 0600.
fs::path makeOptimiserOutput(const fs::path &folder, const QString &ts, int *error) {
    std::string templ = (folder / (".animation_" + ts.toStdString() + ".gif.part-XXXXXX")).native();
    const int fd = ::mkstemp(templ.data());
    if (fd < 0) {
        *error = errno;
        return {};
    }
    ::fchmod(fd, 0666 & ~currentUmask());
    ::close(fd);
    return templ;
}

// 0 when the file's data has reached the disk, else the error (a full disk
// often shows only here, or as a short file).
int syncToDisk(const fs::path &path) {
    const int fd = openRegularFile(path, O_RDONLY);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

bool isOutOfSpace(int error) {
    return error == ENOSPC || error == EDQUOT;
}

// gifsicle exits 0 when a write fails for lack of space; what it leaves
// tells, and so does the space left beside it.
bool looksOutOfSpace(const fs::path &folder, const QString &toolText) {
    if (toolText.contains(QLatin1String("No space left"), Qt::CaseInsensitive) ||
        toolText.contains(QLatin1String("quota"), Qt::CaseInsensitive))
        return true;
    struct statvfs info {};
    return ::statvfs(folder.c_str(), &info) == 0 &&
           qulonglong(info.f_bavail) * info.f_frsize < 64 * 1024;
}

// True when both files hold the same bytes.
bool sameFileContents(const fs::path &a, const fs::path &b) {
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    if (!first || !second)
        return false;
    return std::equal(std::istreambuf_iterator<char>(first), {},
                      std::istreambuf_iterator<char>(second), {});
}

QString unknownSizeText() {
    return QCoreApplication::translate("ConversionPipeline", "unknown size");
}

QString notEnoughSpaceMessage(const fs::path &folder) {
    return QCoreApplication::translate("ConversionPipeline",
                                       "Not enough space to save the GIF in %1")
        .arg(displayPath(folder));
}

QString couldNotSaveMessage(const fs::path &folder, int error) {
    return QCoreApplication::translate("ConversionPipeline", "Could not save the GIF in %1: %2")
        .arg(displayPath(folder), describe(error));
}

} // namespace

QString jobTimestamp(const QDateTime &when) {
    return when.toTimeZone(QTimeZone::utc()).toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

QString sizeText(qint64 bytes) {
    if (bytes < 0)
        return unknownSizeText();
    if (bytes == 0)
        return QCoreApplication::translate("ConversionPipeline", "Zero KB");
    if (bytes < 1000)
        return QCoreApplication::translate("ConversionPipeline", "%n bytes", nullptr, int(bytes));
    const double b = double(bytes);
    if (bytes < 1000 * 1000)
        return QCoreApplication::translate("ConversionPipeline", "%1 KB").arg(qRound(b / 1e3));
    if (bytes < 1000LL * 1000 * 1000)
        return QCoreApplication::translate("ConversionPipeline", "%1 MB").arg(b / 1e6, 0, 'f', 1);
    return QCoreApplication::translate("ConversionPipeline", "%1 GB").arg(b / 1e9, 0, 'f', 2);
}

QString noOutputFolderMessage() {
    return QCoreApplication::translate("ConversionPipeline",
                                       "No folder to save the GIF in: choose an output folder "
                                       "in Settings (the home folder is unknown)");
}

ConversionPaths temporaryPaths(const fs::path &privateFolder, const QString &ts) {
    ConversionPaths paths;
    const std::string stamp = ts.toStdString();
    paths.stagingFolder = privateFolder / ("loomfin_frames_" + stamp);
    paths.paletteFile = privateFolder / ("palette_" + stamp + ".png");
    paths.unoptimisedFile = privateFolder / ("unopt_" + stamp + ".gif");
    return paths;
}

std::vector<std::string> inputArguments(const FrameSequence &sequence, const fs::path &folder,
                                        const fs::path &stagingFolder,
                                        const JobSettings &settings) {
    const std::string fps = std::to_string(truncatedInteger(settings.fps));
    const std::string ext = sequence.frameExtension;
    switch (sequence.inputMode) {
    case FrameInputMode::Numbered:
        return {"-start_number",
                std::to_string(sequence.number.startNumber),
                "-framerate",
                fps,
                "-i",
                folder.native() + "/" + sequence.number.prefix + "%0" +
                    std::to_string(sequence.number.digits) + "d." + ext};
    case FrameInputMode::Glob:
        return {"-framerate", fps, "-pattern_type", "glob", "-i", folder.native() + "/*." + ext};
    case FrameInputMode::Staged:
        break;
    }
    return {"-start_number",
            "0",
            "-framerate",
            fps,
            "-i",
            stagingFolder.native() + "/frame_%04d." + ext};
}

CommandLines buildCommandLines(const FrameSequence &sequence, const fs::path &folder,
                               const JobSettings &settings, const ConversionPaths &paths) {
    CommandLines lines;
    lines.input = inputArguments(sequence, folder, paths.stagingFolder, settings);
    const std::string colors = std::to_string(truncatedInteger(settings.maxColors));
    const std::string scale =
        "scale=" + std::to_string(truncatedInteger(settings.width)) + ":-1:flags=lanczos";

    // -xerror: ffmpeg otherwise skips a frame it cannot decode and still
    // exits 0, and the GIF silently loses it. -reinit_filter 0 (an option of
    // the frames' input): frames whose size or pixel format changes mid-way
    // (as PNG optimisers leave them) would otherwise break the palette graph;
    // the scale filter takes them as they come.
    const std::vector<std::string> frameInputOptions = {"-xerror", "-reinit_filter", "0"};
    lines.palette = frameInputOptions;
    lines.palette.insert(lines.palette.end(), lines.input.begin(), lines.input.end());
    lines.palette.insert(lines.palette.end(), {"-vf",
                                               scale + ",palettegen=max_colors=" + colors +
                                                   ":stats_mode=full:reserve_transparent=0",
                                               "-y", paths.paletteFile.native()});

    lines.gif = frameInputOptions;
    lines.gif.insert(lines.gif.end(), lines.input.begin(), lines.input.end());
    lines.gif.insert(lines.gif.end(), {"-i", paths.paletteFile.native(), "-lavfi",
                                       scale + " [x]; [x][1:v] paletteuse=dither=floyd_steinberg",
                                       "-y", paths.unoptimisedFile.native()});

    lines.optimiser = {"-O3"};
    if (settings.lossy > 0)
        lines.optimiser.push_back("--lossy=" + std::to_string(truncatedInteger(settings.lossy)));
    if (settings.loopCount == 0)
        lines.optimiser.push_back("--loopcount");
    else if (settings.loopCount == 1)
        lines.optimiser.push_back("--no-loopcount"); // no loop extension: plays once
    else
        lines.optimiser.push_back("--loopcount=" + std::to_string(settings.loopCount - 1));
    if (settings.maxColors < 256)
        lines.optimiser.insert(lines.optimiser.end(), {"--colors", colors});
    lines.optimiser.insert(lines.optimiser.end(),
                           {"-o", paths.optimiserOutput.native(), paths.unoptimisedFile.native()});
    return lines;
}

fs::path publishOutput(const fs::path &written, const fs::path &folder, const QString &ts) {
    for (int n = 1; n < 10000; ++n) {
        // Appended rather than "-" + to_string(n): GCC 12 at -O3 reports a
        // false -Wrestrict on the latter.
        std::string suffix;
        if (n > 1)
            suffix.append("-").append(std::to_string(n));
        const fs::path target = folder / ("animation_" + ts.toStdString() + suffix + ".gif");
        if (::renameat2(AT_FDCWD, written.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return {};
        // File systems without RENAME_NOREPLACE: a hard link also refuses to replace.
        if (::link(written.c_str(), target.c_str()) == 0) {
            ::unlink(written.c_str());
            return target;
        }
        if (errno == EEXIST)
            continue;
        // No hard links either (FAT, some network shares): check, then move.
        std::error_code ec;
        if (fs::exists(target, ec))
            continue;
        if (::rename(written.c_str(), target.c_str()) == 0)
            return target;
        return {};
    }
    return {};
}

QString optimisedGifProblem(const GifFile &given, const GifFile &written) {
    if (written.imageCount < 1)
        return QCoreApplication::translate("ConversionPipeline", "it wrote a GIF without images");
    if (written.totalDelay != given.totalDelay)
        return QCoreApplication::translate("ConversionPipeline",
                                           "it wrote a GIF that plays %1 s instead of %2 s")
            .arg(QString::number(double(written.totalDelay) / 100, 'f', 2),
                 QString::number(double(given.totalDelay) / 100, 'f', 2));
    return {};
}

std::error_code stageFrames(const FrameSequence &sequence, const fs::path &stagingFolder) {
    std::error_code error;
    fs::create_directories(stagingFolder, error);
    char name[32];
    for (size_t i = 0; i < sequence.frames.size() && !error; ++i) {
        std::snprintf(name, sizeof name, "frame_%04zu.", i);
        fs::path target = sequence.frames[i];
        if (target.is_relative())
            target = fs::absolute(target, error);
        if (!error)
            fs::create_symlink(target, stagingFolder / (name + sequence.frameExtension), error);
    }
    return error;
}

namespace {

// One job, from the located tools to the report. Every failure is reported
// once and leaves nothing behind but the output folder.
class Conversion {
public:
    Conversion(const JobRequest &request, JobReporter &reporter, JobControl &control)
        : m_request(request)
        , m_reporter(reporter)
        , m_control(control) {}

    ~Conversion() {
        removeRangeParts();
        removeQuietly(m_optimiserOutput);
        if (m_private)
            m_private->remove();
    }

    void run();

private:
    // Reports the failure (unless the job was cancelled, which reports nothing).
    void fail(const QString &message) {
        if (!m_control.isCancelled())
            m_reporter.postFailure(message);
    }
    void failTool(const QString &prefix, const ProcessResult &run) {
        fail(prefix + condenseToolOutput(run.exitStatus, run.outputText));
    }
    // Runs a tool; false (after reporting) when it failed or the job was cancelled.
    bool runStep(const std::string &tool, const std::vector<std::string> &arguments,
                 const RunOptions &options, const QString &failurePrefix,
                 ProcessResult *result = nullptr);
    bool runGifPassInRanges(const std::string &ffmpeg, const std::vector<std::string> &gifLine,
                            const std::vector<FrameRange> &ranges, const fs::path &joined,
                            const RunOptions &options);
    bool runOptimiserInRanges(const std::string &gifsicle,
                              const std::vector<std::string> &optimiserLine,
                              const RunOptions &options, bool *joined, QString *toolText);
    void removeRangeParts() {
        for (const fs::path &part : m_rangeParts)
            removeQuietly(part);
        m_rangeParts.clear();
    }
    bool checkFrameCount(const fs::path &gif, qint64 expected);
    bool checkOptimisedGif(const QString &toolText);

    const JobRequest &m_request;
    JobReporter &m_reporter;
    JobControl &m_control;
    std::optional<PrivateFolder> m_private;
    fs::path m_optimiserOutput;
    std::vector<fs::path> m_rangeParts; // the GIF pass's, kept for the optimiser
    GifFile m_unoptimised;              // as checked after the GIF pass
};

bool Conversion::runStep(const std::string &tool, const std::vector<std::string> &arguments,
                         const RunOptions &options, const QString &failurePrefix,
                         ProcessResult *result) {
    const ProcessResult run = runTool(tool, arguments, options);
    if (result)
        *result = run;
    if (m_control.isCancelled())
        return false;
    if (run.exitStatus == 0)
        return true;
    failTool(failurePrefix, run);
    return false;
}

// Each range its own ffmpeg, side by side; the first range that fails fails
// the job with its own text. The parts live in the private folder.
bool Conversion::runGifPassInRanges(const std::string &ffmpeg,
                                    const std::vector<std::string> &gifLine,
                                    const std::vector<FrameRange> &ranges, const fs::path &joined,
                                    const RunOptions &options) {
    std::vector<std::vector<std::string>> runs;
    std::vector<fs::path> parts;
    for (std::size_t k = 0; k < ranges.size(); ++k) {
        parts.push_back(joined.parent_path() /
                        (joined.stem().native() + "_" + std::to_string(k) + ".gif"));
        runs.push_back(
            rangeArguments(gifLine, ranges[k], k + 1 == ranges.size(), parts.back().native()));
    }
    m_rangeParts = parts;
    const ParallelResults results = runToolsInParallel(ffmpeg, runs, options);
    if (m_control.isCancelled()) {
        removeRangeParts();
        return false;
    }
    if (results.firstFailure) {
        removeRangeParts();
        failTool(QCoreApplication::translate("ConversionPipeline", "FFmpeg GIF creation failed: "),
                 results.runs[*results.firstFailure]);
        return false;
    }
    if (!joinGifs(parts, joined)) {
        removeRangeParts();
        fail(QCoreApplication::translate(
            "ConversionPipeline", "FFmpeg GIF creation failed: the GIF it wrote is incomplete"));
        return false;
    }
    return true;
}

// gifsicle on each range of the GIF pass, side by side, joined into the
// optimiser's output under one colour table. False (after reporting) when a
// range failed or the job was cancelled; `joined` false when the ranges'
// colours do not fit one table. The range files are gone either way.
bool Conversion::runOptimiserInRanges(const std::string &gifsicle,
                                      const std::vector<std::string> &optimiserLine,
                                      const RunOptions &options, bool *joined, QString *toolText) {
    std::vector<std::vector<std::string>> runs;
    std::vector<fs::path> optimised;
    for (const fs::path &part : m_rangeParts) {
        optimised.push_back(part.parent_path() / ("opt_" + part.filename().native()));
        std::vector<std::string> line = optimiserLine;
        const auto output = std::find(line.begin(), line.end(), "-o");
        if (output != line.end() && output + 1 != line.end())
            output[1] = optimised.back().native();
        line.back() = part.native();
        runs.push_back(std::move(line));
    }
    const ParallelResults results = runToolsInParallel(gifsicle, runs, options);
    removeRangeParts();
    m_rangeParts = optimised;
    if (m_control.isCancelled())
        return false;
    if (results.firstFailure) {
        failTool(
            QCoreApplication::translate("ConversionPipeline", "gifsicle optimisation failed: "),
            results.runs[*results.firstFailure]);
        return false;
    }
    for (const ProcessResult &run : results.runs)
        *toolText += run.outputText;
    *joined = joinOptimisedGifs(optimised, m_optimiserOutput) != OptimisedJoin::TooManyColours;
    removeRangeParts();
    return true;
}

// ffmpeg ends the sequence early at an unreadable or empty frame and still
// exits 0; the GIF it wrote says how many frames it took. (Counted before
// gifsicle, which may merge identical neighbours.)
bool Conversion::checkFrameCount(const fs::path &gif, qint64 expected) {
    const std::optional<GifFile> made = GifFile::inspect(gif);
    if (!made) {
        fail(QCoreApplication::translate(
            "ConversionPipeline", "FFmpeg GIF creation failed: the GIF it wrote is incomplete"));
        return false;
    }
    if (made->imageCount != expected) {
        const int count = int(std::min(expected, qint64(INT_MAX)));
        fail(QCoreApplication::translate("ConversionPipeline",
                                         "FFmpeg GIF creation failed: it made %1 of %n frames",
                                         nullptr, count)
                 .arg(made->imageCount));
        return false;
    }
    m_unoptimised = *made;
    return true;
}

// gifsicle exits 0 even when it could not write the whole file: only a
// complete GIF of the same animation that has reached the disk is published.
bool Conversion::checkOptimisedGif(const QString &toolText) {
    const fs::path &folder = m_request.outputFolder;
    if (isSpecialFile(m_optimiserOutput)) {
        fail(QCoreApplication::translate(
            "ConversionPipeline",
            "gifsicle optimisation failed: its output is not a regular file"));
        return false;
    }
    const std::optional<GifFile> written = GifFile::inspect(m_optimiserOutput);
    if (!written) {
        if (looksOutOfSpace(folder, toolText)) {
            fail(notEnoughSpaceMessage(folder));
        } else {
            std::error_code ignored;
            const auto bytes = fs::file_size(m_optimiserOutput, ignored);
            fail(QCoreApplication::translate(
                     "ConversionPipeline",
                     "gifsicle optimisation failed: it wrote an incomplete GIF (%1)")
                     .arg(sizeText(ignored ? 0 : qint64(bytes))));
        }
        return false;
    }
    if (const QString problem = optimisedGifProblem(m_unoptimised, *written); !problem.isEmpty()) {
        fail(QCoreApplication::translate("ConversionPipeline", "gifsicle optimisation failed: ") +
             problem);
        return false;
    }
    if (const int error = syncToDisk(m_optimiserOutput)) {
        fail(isOutOfSpace(error) ? notEnoughSpaceMessage(folder)
                                 : couldNotSaveMessage(folder, error));
        return false;
    }
    return true;
}

void Conversion::run() {
    const std::optional<std::string> path = environmentValue(m_request.environment, "PATH");
    const std::optional<std::string> ffmpeg = locateTool("ffmpeg", path);
    const std::optional<std::string> gifsicle =
        ffmpeg ? locateTool("gifsicle", path) : std::nullopt;
    if (!ffmpeg || !gifsicle)
        return fail(missingToolsMessage());

    const JobSettings &settings = m_request.settings;
    std::optional<FrameSequence> found =
        discoverFrameSequence(m_request.folder, m_request.files, settings.frameSkip);
    if (!found)
        return fail(noImagesMessage(m_request.given));
    const qint64 frameCount = qint64(found->frames.size());
    int rangeCount = m_request.frameRanges;
    if (rangeCount == 0)
        rangeCount = environmentValue(m_request.environment, "LOOMFIN_SEQUENTIAL") == "1"
                         ? 1
                         : plannedRangeCount(frameCount, RangeLimits::ofThisSystem());
    const std::vector<FrameRange> ranges =
        planFrameRanges(frameCount, int(truncatedInteger(settings.fps)), rangeCount);
    // Ranges start at a frame number, which a glob has not.
    if (ranges.size() > 1 && found->inputMode == FrameInputMode::Glob)
        found->inputMode = FrameInputMode::Staged;
    const FrameSequence &sequence = *found;
    if (const auto empty = firstEmptyFrame(sequence))
        return fail(emptyFrameMessage(*empty));
    m_reporter.postStatus(
        selectionSummary(sequence, settings.frameSkip, m_request.files.has_value()), 0.05);

    const QString ts = jobTimestamp(QDateTime::currentDateTimeUtc());
    // Each job has its own private folder, so jobs started in the same
    // second never share a temporary file.
    QString error;
    m_private = PrivateFolder::make(environmentValue(m_request.environment, "TMPDIR"), &error);
    if (!m_private)
        return fail(error);
    ConversionPaths paths = temporaryPaths(m_private->path(), ts);
    if (sequence.inputMode == FrameInputMode::Staged) {
        if (const std::error_code staging = stageFrames(sequence, paths.stagingFolder))
            return fail(QCoreApplication::translate("ConversionPipeline",
                                                    "Could not prepare the frames in %1: %2")
                            .arg(displayPath(m_private->path()),
                                 QString::fromStdString(staging.message())));
    } else {
        paths.stagingFolder.clear();
    }

    // Never relative to wherever the program was started.
    const fs::path &folder = m_request.outputFolder;
    if (folder.empty() || folder.is_relative())
        return fail(noOutputFolderMessage());
    std::error_code made;
    fs::create_directories(folder, made);
    if (made && !fs::is_directory(folder))
        return fail(QCoreApplication::translate("ConversionPipeline",
                                                "Could not create the output folder %1: %2")
                        .arg(displayPath(folder), QString::fromStdString(made.message())));
    int partError = 0;
    m_optimiserOutput = makeOptimiserOutput(folder, ts, &partError);
    if (m_optimiserOutput.empty())
        return fail(couldNotSaveMessage(folder, partError));
    m_private->registerPartialOutput(m_optimiserOutput);
    paths.optimiserOutput = m_optimiserOutput;
    const CommandLines lines = buildCommandLines(sequence, m_request.folder, settings, paths);

    RunOptions options;
    options.control = &m_control;
    // C collation: ffmpeg's glob then orders names by bytes, as discovery does.
    options.environment = withEnvironmentEntry(m_request.environment, "LC_ALL", "C");

    m_reporter.postStatus(
        QCoreApplication::translate("ConversionPipeline", "Generating colour palette…"), 0.2);
    if (!runStep(*ffmpeg, lines.palette, options,
                 QCoreApplication::translate("ConversionPipeline",
                                             "FFmpeg palette generation failed: ")))
        return;

    m_reporter.postStatus(QCoreApplication::translate("ConversionPipeline", "Creating GIF…"), 0.5);
    if (ranges.size() > 1
            ? !runGifPassInRanges(*ffmpeg, lines.gif, ranges, paths.unoptimisedFile, options)
            : !runStep(*ffmpeg, lines.gif, options,
                       QCoreApplication::translate("ConversionPipeline",
                                                   "FFmpeg GIF creation failed: ")))
        return;
    if (!checkFrameCount(paths.unoptimisedFile, frameCount))
        return;
    // gifsicle merges a frame into the one before when they are the same; a
    // range cannot see its neighbour's, so a repeat at a seam takes the
    // whole-file run.
    for (std::size_t k = 1; k < ranges.size() && !m_rangeParts.empty(); ++k)
        if (sameFileContents(sequence.frames[std::size_t(ranges[k].first) - 1],
                             sequence.frames[std::size_t(ranges[k].first)]))
            removeRangeParts();

    m_reporter.postStatus(
        QCoreApplication::translate("ConversionPipeline", "Optimising with gifsicle…"), 0.8);
    RunOptions optimiserOptions;
    optimiserOptions.control = &m_control;
    optimiserOptions.environment = m_request.environment;
    // The optimiser by ranges only after a GIF pass by ranges; once over
    // the whole file when their colours do not fit one table.
    ProcessResult optimised;
    bool joined = false;
    if (!m_rangeParts.empty() && !runOptimiserInRanges(*gifsicle, lines.optimiser, optimiserOptions,
                                                       &joined, &optimised.outputText))
        return;
    if (!joined && !runStep(*gifsicle, lines.optimiser, optimiserOptions,
                            QCoreApplication::translate("ConversionPipeline",
                                                        "gifsicle optimisation failed: "),
                            &optimised))
        return;
    if (!checkOptimisedGif(optimised.outputText))
        return;

    const fs::path outputFile = publishOutput(m_optimiserOutput, folder, ts);
    if (outputFile.empty())
        return fail(
            QCoreApplication::translate("ConversionPipeline", "Could not save the GIF in %1")
                .arg(displayPath(folder)));
    m_optimiserOutput.clear();
    // The new name, too.
    if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    m_private->remove();

    std::error_code sizeError;
    const auto bytes = fs::file_size(outputFile, sizeError);
    const QString size = sizeError ? unknownSizeText() : sizeText(qint64(bytes));
    m_reporter.postCompletion(urlFromLocalPath(outputFile), size);
}

} // namespace

void runConversion(const JobRequest &request, JobReporter &reporter, JobControl &control) {
    Conversion(request, reporter, control).run();
}
