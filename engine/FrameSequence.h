#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
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
    std::string numberPrefix; // Numbered only
    int numberDigits = 0;     // Numbered only
    qint64 startNumber = 0;   // Numbered only
};

// The failure text when no frame survives the filter.
QString noImagesMessage();

// "^(.*[^0-9])([0-9]{4,5})$" on a base name (bytes).
std::optional<FrameNumber> detectFrameNumber(const std::string &baseName);

// Orders file names as the frame sort does: NFC-normalised UTF-8 bytes
// (code-point order, case-sensitive, not numeric). Names that are not valid
// UTF-8 compare by their raw bytes.
bool fileNameLess(const std::string &a, const std::string &b);

// Last component as bytes, ignoring trailing slashes (a listed "clips.png/"
// is still named clips.png).
std::string fileNameOf(const std::filesystem::path &path);

// Stable sort of paths by their last component, with fileNameLess.
void sortByFileName(std::vector<std::filesystem::path> &paths);

// Lists (or takes the given files), filters, sorts, applies frame skip and
// picks the input mode. nullopt means "no images" (see noImagesMessage).
// Numbered and Glob are kept only where ffmpeg (run with LC_ALL=C, so its glob
// sorts by bytes) provably reads exactly the
// selected frames in order; otherwise Staged.
std::optional<FrameSequence>
discoverFrameSequence(const std::filesystem::path &folder,
                      const std::optional<std::vector<std::filesystem::path>> &files,
                      qint64 frameSkip);

// First stage text of a job.
QString selectionSummary(const FrameSequence &sequence, qint64 frameSkip, bool hasFileList);
