#include "ConversionPipeline.h"

#include "FileUrls.h"
#include "JobControl.h"
#include "JobReporter.h"
#include "NumberFormat.h"
#include "ToolRunner.h"

#include <QTimeZone>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string number(qint64 value) {
    return std::to_string(value);
}

std::string text(const QString &s) {
    return s.toStdString();
}

} // namespace

fs::path temporaryFolderBase() {
    const char *tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    if (base.find_first_of("%*?[]{}\\") != std::string::npos)
        base = "/tmp";
    return base;
}

namespace {

fs::path makePrivateFolder() {
    std::string templ = (temporaryFolderBase() / "loomfin-XXXXXX").native();
    if (!::mkdtemp(templ.data()))
        return {};
    return templ; // mkdtemp creates it 0700 with an unpredictable name
}

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

// The optimiser's own file, hidden beside the output until it is complete.
fs::path makeOptimiserOutput(const fs::path &folder, const QString &ts) {
    std::string templ = (folder / (".animation_" + text(ts) + ".gif.part-XXXXXX")).native();
    const int fd = ::mkstemp(templ.data());
    if (fd < 0)
        return folder / (".animation_" + text(ts) + ".gif.part");
    ::fchmod(fd, 0666 & ~currentUmask());
    ::close(fd);
    return templ;
}

} // namespace

QString jobTimestamp(const QDateTime &when) {
    return when.toTimeZone(QTimeZone::utc()).toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

QString sizeText(qint64 bytes) {
    if (bytes < 0)
        return QStringLiteral("unknown size");
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    if (bytes == 1)
        return QStringLiteral("1 byte");
    if (bytes < 1000)
        return QString::number(bytes) + QStringLiteral(" bytes");
    const double b = double(bytes);
    if (bytes < 1000 * 1000)
        return QString::number(qRound(b / 1e3)) + QStringLiteral(" KB");
    if (bytes < 1000LL * 1000 * 1000)
        return QString::number(b / 1e6, 'f', 1) + QStringLiteral(" MB");
    return QString::number(b / 1e9, 'f', 2) + QStringLiteral(" GB");
}

ConversionPaths temporaryPaths(const fs::path &privateFolder, const QString &ts) {
    ConversionPaths paths;
    paths.stagingFolder = privateFolder / ("loomfin_frames_" + text(ts));
    paths.paletteFile = privateFolder / ("palette_" + text(ts) + ".png");
    paths.unoptimisedFile = privateFolder / ("unopt_" + text(ts) + ".gif");
    return paths;
}

std::vector<std::string> inputArguments(const FrameSequence &sequence, const fs::path &folder,
                                        const fs::path &stagingFolder,
                                        const JobSettings &settings) {
    const std::string fps = number(truncatedInteger(settings.fps));
    const std::string ext = sequence.frameExtension;
    switch (sequence.inputMode) {
    case FrameInputMode::Numbered:
        return {"-start_number",
                number(sequence.startNumber),
                "-framerate",
                fps,
                "-i",
                folder.native() + "/" + sequence.numberPrefix + "%0" +
                    number(sequence.numberDigits) + "d." + ext};
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
    const std::string colors = number(truncatedInteger(settings.maxColors));
    const std::string scale =
        "scale=" + number(truncatedInteger(settings.width)) + ":-1:flags=lanczos";

    // -xerror: ffmpeg otherwise skips a frame it cannot decode and still
    // exits 0, and the GIF silently loses it.
    lines.palette = {"-xerror"};
    lines.palette.insert(lines.palette.end(), lines.input.begin(), lines.input.end());
    lines.palette.insert(lines.palette.end(), {"-vf",
                                               scale + ",palettegen=max_colors=" + colors +
                                                   ":stats_mode=full:reserve_transparent=0",
                                               "-y", paths.paletteFile.native()});

    lines.gif = {"-xerror"};
    lines.gif.insert(lines.gif.end(), lines.input.begin(), lines.input.end());
    lines.gif.insert(lines.gif.end(), {"-i", paths.paletteFile.native(), "-lavfi",
                                       scale + " [x]; [x][1:v] paletteuse=dither=floyd_steinberg",
                                       "-y", paths.unoptimisedFile.native()});

    lines.optimiser = {"-O3"};
    if (settings.lossy > 0)
        lines.optimiser.push_back("--lossy=" + number(truncatedInteger(settings.lossy)));
    if (settings.loopCount == 0)
        lines.optimiser.push_back("--loopcount");
    else if (settings.loopCount == 1)
        lines.optimiser.push_back("--no-loopcount"); // no loop extension: plays once
    else
        lines.optimiser.push_back("--loopcount=" + number(settings.loopCount - 1));
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
        const fs::path target = folder / ("animation_" + text(ts) + suffix + ".gif");
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

void stageFrames(const FrameSequence &sequence, const fs::path &stagingFolder) {
    std::error_code ignored;
    fs::create_directories(stagingFolder, ignored);
    char name[32];
    for (size_t i = 0; i < sequence.frames.size(); ++i) {
        std::snprintf(name, sizeof name, "frame_%04zu.", i);
        fs::path target = sequence.frames[i];
        if (target.is_relative())
            target = fs::absolute(target, ignored);
        fs::create_symlink(target, stagingFolder / (name + sequence.frameExtension), ignored);
    }
}

void runConversion(const JobRequest &request, JobReporter &reporter, JobControl &control) {
    // Read on the job thread for now; the copy belongs in the job request,
    // taken on the main thread.
    const std::vector<std::string> environment = environmentSnapshot();
    const std::optional<std::string> path = environmentValue(environment, "PATH");
    const std::optional<std::string> ffmpeg = locateTool("ffmpeg", path);
    const std::optional<std::string> gifsicle =
        ffmpeg ? locateTool("gifsicle", path) : std::nullopt;
    if (!ffmpeg || !gifsicle) {
        reporter.postFailure(missingToolsMessage());
        return;
    }

    const JobSettings &settings = request.settings;
    const bool hasFileList = request.files.has_value();
    const std::optional<FrameSequence> found =
        discoverFrameSequence(request.folder, request.files, settings.frameSkip);
    if (!found) {
        reporter.postFailure(noImagesMessage());
        return;
    }
    const FrameSequence &sequence = *found;
    reporter.postStatus(selectionSummary(sequence, settings.frameSkip, hasFileList), 0.05);

    const QString ts = jobTimestamp(QDateTime::currentDateTimeUtc());
    // Each job has its own private folder, so jobs started in the same
    // second never share a temporary file.
    const fs::path privateFolder = makePrivateFolder();
    ConversionPaths paths = temporaryPaths(privateFolder, ts);
    if (sequence.inputMode == FrameInputMode::Staged)
        stageFrames(sequence, paths.stagingFolder);
    else
        paths.stagingFolder.clear();

    std::error_code ignored;
    fs::create_directories(request.outputFolder, ignored);
    paths.optimiserOutput = makeOptimiserOutput(request.outputFolder, ts);
    const CommandLines lines = buildCommandLines(sequence, request.folder, settings, paths);

    const auto cleanUp = [&] {
        removeQuietly(paths.paletteFile);
        removeQuietly(paths.unoptimisedFile);
        removeQuietly(paths.stagingFolder);
        removeQuietly(privateFolder);
        removeQuietly(paths.optimiserOutput);
    };
    // C collation: ffmpeg's glob then orders names by bytes, as discovery does.
    RunOptions options;
    options.control = &control;
    options.environment = withEnvironmentEntry(environment, "LC_ALL", "C");
    const auto failed = [&](const ProcessResult &result, const QString &prefix) {
        if (control.isCancelled()) {
            cleanUp();
            return true;
        }
        if (result.exitStatus == 0)
            return false;
        reporter.postFailure(prefix + condenseToolOutput(result.exitStatus, result.outputText));
        cleanUp();
        return true;
    };

    reporter.postStatus(QStringLiteral("Generating colour palette…"), 0.2);
    if (failed(runTool(*ffmpeg, lines.palette, options),
               QStringLiteral("FFmpeg palette generation failed: ")))
        return;

    reporter.postStatus(QStringLiteral("Creating GIF…"), 0.5);
    if (failed(runTool(*ffmpeg, lines.gif, options),
               QStringLiteral("FFmpeg GIF creation failed: ")))
        return;

    reporter.postStatus(QStringLiteral("Optimising with gifsicle…"), 0.8);
    RunOptions optimiserOptions;
    optimiserOptions.environment = environment;
    optimiserOptions.control = &control;
    if (failed(runTool(*gifsicle, lines.optimiser, optimiserOptions),
               QStringLiteral("gifsicle optimisation failed: ")))
        return;

    const fs::path outputFile = publishOutput(paths.optimiserOutput, request.outputFolder, ts);
    if (outputFile.empty()) {
        reporter.postFailure(QStringLiteral("Could not save the GIF in ") +
                             displayPath(request.outputFolder));
        cleanUp();
        return;
    }
    paths.optimiserOutput.clear();
    cleanUp();

    std::error_code sizeError;
    const auto bytes = fs::file_size(outputFile, sizeError);
    const QString size = sizeError ? QStringLiteral("unknown size") : sizeText(qint64(bytes));
    reporter.postCompletion(urlFromLocalPath(outputFile), size);
}
