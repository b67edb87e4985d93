// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "FrameSequence.h"
#include "GifFile.h"
#include "JobRequest.h"
#include "JobSettings.h"

#include <QDateTime>
#include <QString>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

class JobReporter;
class JobControl;

// The files of one job. Temporary files live in a private folder made for
// the job; the optimiser writes beside the output and is renamed on success.
struct ConversionPaths {
    std::filesystem::path stagingFolder; // staged mode only
    std::filesystem::path paletteFile;
    std::filesystem::path unoptimisedFile;
    std::filesystem::path optimiserOutput; // where gifsicle writes
};

// Arguments (program name excluded) of the three tool runs.
struct CommandLines {
    std::vector<std::string> input;
    std::vector<std::string> palette;
    std::vector<std::string> gif;
    std::vector<std::string> optimiser;
};

// "YYYYMMDDTHHMMSS" of the given instant in UTC.
QString jobTimestamp(const QDateTime &when);

// A short size in decimal units ("2.1 MB").
QString sizeText(qint64 bytes);

// The temporary names of the job, inside `privateFolder`.
ConversionPaths temporaryPaths(const std::filesystem::path &privateFolder, const QString &ts);

// The ffmpeg input options for the sequence.
std::vector<std::string> inputArguments(const FrameSequence &sequence,
                                        const std::filesystem::path &folder,
                                        const std::filesystem::path &stagingFolder,
                                        const JobSettings &settings);

// The failure text of a job that has no output folder (no home folder to
// put the default in).
QString noOutputFolderMessage();

// Pure: the three command lines of a job, nothing run or written.
CommandLines buildCommandLines(const FrameSequence &sequence, const std::filesystem::path &folder,
                               const JobSettings &settings, const ConversionPaths &paths);

// The GIF's final name in `folder`: animation_<ts>.gif, or animation_<ts>-N.gif
// when that is taken. Never replaces an existing file. Returns the name it
// took, or an empty path if the move failed.
std::filesystem::path publishOutput(const std::filesystem::path &written,
                                    const std::filesystem::path &folder, const QString &ts);

// What is wrong with the optimiser's GIF against the one it was given: no
// image, or another total display time (gifsicle may merge identical
// neighbours into one longer image; the time stays). Empty when nothing is.
QString optimisedGifProblem(const GifFile &given, const GifFile &written);

// Makes the staging folder and in it one link per frame, frame_0000.<ext>
// onwards, in playback order. Returns the first error, if any.
std::error_code stageFrames(const FrameSequence &sequence,
                            const std::filesystem::path &stagingFolder);

// Runs one job from start to end on the calling thread; every outcome is
// reported through `reporter`. A cancelled job cleans up and reports nothing.
void runConversion(const JobRequest &request, JobReporter &reporter, JobControl &control);
