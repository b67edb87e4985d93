// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Frame file extensions, lower case, in this order.
const QStringList &supportedImageExtensions();

// How ffmpeg is handed the frames.
enum class FrameInputMode {
    Numbered, // in place, through a numbered name pattern
    Glob,     // in place, through "*.<ext>" over the folder
    Staged,   // renumbered links in a private staging folder
};

// Name of a mode as printed by the command line ("numbered", "glob", "staged").
QString frameInputModeName(FrameInputMode mode);

// A frame number at the end of a base name.
struct FrameNumber {
    std::string prefix; // bytes before the digits, ends in a non-digit
    int digits = 0;     // 4 or 5
    qint64 startNumber = 0;
    bool operator==(const FrameNumber &) const = default;
};

// The selected frames of one job. Paths are kept as bytes: a name that is
// not valid UTF-8 still reaches ffmpeg as the same file.
struct FrameSequence {
    std::vector<std::filesystem::path> frames; // selected, playback order, never empty
    qint64 foundCount = 0;                     // image files before frame skipping
    std::string frameExtension;                // first frame's extension, lower case, no dot
    FrameInputMode inputMode = FrameInputMode::Staged;
    FrameNumber number; // Numbered only: the first frame's number
};

// Characters that ffmpeg's image reader takes as pattern syntax in a path:
// printf-style numbering, and glob wildcards and escapes.
bool hasPatternCharacter(std::string_view path);

// ffmpeg's image reader cannot take longer patterns (about 1,000 bytes).
inline constexpr std::size_t maxPatternBytes = 1000;

// The failure text when no frame survives the filter. A job from the window
// has no `given` and speaks of the dropped folder; the command line names the
// folder as typed, or (given empty) the frame files given.
QString noImagesMessage(const std::optional<QString> &given = std::nullopt);

// "^(.*[^0-9])([0-9]{4,5})$" on a base name (bytes).
std::optional<FrameNumber> detectFrameNumber(const std::string &baseName);

// The bytes a file name sorts by: its NFC form in UTF-8 (code-point order,
// case-sensitive, not numeric), or the raw bytes of a name that is not UTF-8.
std::string fileNameSortKey(const std::string &name);

// Last component as bytes, ignoring trailing slashes (a listed "clips.png/"
// is still named clips.png).
std::string fileNameOf(const std::filesystem::path &path);

enum class NameOrder {
    ByFileName, // plain file-name order (fileNameSortKey)
    // By what comes before the trailing number of the name (before the
    // extension), then by that number: f_9 before f_10, shot_9999 before
    // shot_10000. Ties fall back to file-name order.
    ByFrameNumber,
};
// The stable order (indices into names) that sorts the file names; each
// name's key is computed once.
std::vector<std::size_t> nameOrder(const std::vector<std::string> &names, NameOrder order);
// Stable sort of paths by their last component.
void sortByName(std::vector<std::filesystem::path> &paths, NameOrder order);

// Lists (or takes the given files), keeps the regular files (after following
// links) with a frame extension, sorts them by frame number, applies frame
// skip and picks the input mode. nullopt means "no images" (see
// noImagesMessage). Numbered and Glob are kept only where ffmpeg (run with
// LC_ALL=C, so its glob sorts by bytes) provably reads exactly the selected
// frames in order; otherwise Staged.
std::optional<FrameSequence>
discoverFrameSequence(const std::filesystem::path &folder,
                      const std::optional<std::vector<std::filesystem::path>> &files,
                      qint64 frameSkip);

// First stage text of a job.
QString selectionSummary(const FrameSequence &sequence, qint64 frameSkip, bool hasFileList);

// The first selected frame that is empty (ffmpeg would take it as the end of
// the sequence), if any.
std::optional<std::filesystem::path> firstEmptyFrame(const FrameSequence &sequence);
// The failure text for it.
QString emptyFrameMessage(const std::filesystem::path &frame);
