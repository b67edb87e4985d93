#include "FrameSequence.h"

#include <QUtf8StringView>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 7> kExtensions = {"png", "jpg", "jpeg", "tiff",
                                                         "tif", "tga", "bmp"};

// Characters that ffmpeg's image2 reader treats as pattern syntax in a path:
// printf-style numbering, and glob wildcards/escapes.
constexpr std::string_view kPatternCharacters = "%*?[]{}\\";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
    return QUtf8StringView(s.data(), qsizetype(s.size())).isValidUtf8();
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The bytes a name sorts by: its NFC form in UTF-8, or the raw bytes when the
// name is not UTF-8 (nothing sensible to normalise).
std::string sortKey(const std::string &name) {
    if (isAscii(name) || !isValidUtf8(name))
        return name;
    return QString::fromUtf8(name.data(), qsizetype(name.size()))
        .normalized(QString::NormalizationForm_C)
        .toStdString();
}

// Extension without the dot, and the name without it ("shot.0001.png" gives
// "png" and "shot.0001"); a dot file such as ".png" has no extension.
std::string extensionOf(const std::string &name) {
    const std::string ext = fs::path(name).extension().native();
    return ext.empty() ? ext : ext.substr(1);
}

std::string baseNameOf(const std::string &name) {
    return fs::path(name).stem().native();
}

std::string asciiLower(std::string s) {
    for (char &c : s) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return s;
}

bool isSupportedExtension(const std::string &lowerExtension) {
    return std::find(kExtensions.begin(), kExtensions.end(), lowerExtension) != kExtensions.end();
}

bool hasPatternCharacter(std::string_view s) {
    return s.find_first_of(kPatternCharacters) != std::string_view::npos;
}

// The pattern reaches ffmpeg as a command-line argument built from a QString,
// so it must survive UTF-8 unchanged.
bool safeInPattern(const std::string &s) {
    return !hasPatternCharacter(s) && isValidUtf8(s);
}

std::string numberedName(const FrameNumber &number, qint64 value, const std::string &extension) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", number.digits, static_cast<long long>(value));
    return number.prefix + digits + "." + extension;
}

// A numbered read starts at startNumber and stops at the first missing
// number. It reads exactly our frames only if they are that run: any further
// file with the next number would have been listed too.
bool numberedReadsExactly(const fs::path &folder, const std::vector<fs::path> &frames,
                          const std::string &extension, const FrameNumber &number) {
    if (!safeInPattern(folder.native() + "/" + number.prefix))
        return false;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (fileNameOf(frames[i]) !=
            numberedName(number, number.startNumber + qint64(i), extension))
            return false;
    }
    return true;
}

// "*.<ext>" under LC_ALL=C matches every non-hidden name ending in exactly
// that extension (case-sensitive) and orders by bytes; our order agrees only
// for NFC UTF-8 names.
bool globReadsExactly(const fs::path &folder, const std::vector<fs::path> &frames,
                      const std::string &extension) {
    if (!safeInPattern(folder.native()))
        return false;
    return std::all_of(frames.begin(), frames.end(), [&](const fs::path &frame) {
        const std::string name = fileNameOf(frame);
        return !name.empty() && name.front() != '.' && isValidUtf8(name) && sortKey(name) == name &&
               extensionOf(name) == extension;
    });
}

} // namespace

const QStringList &supportedImageExtensions() {
    static const QStringList list = [] {
        QStringList l;
        for (const auto ext : kExtensions)
            l.append(QLatin1String(ext.data(), qsizetype(ext.size())));
        return l;
    }();
    return list;
}

QString frameInputModeName(FrameInputMode mode) {
    switch (mode) {
    case FrameInputMode::Numbered:
        return QStringLiteral("numbered");
    case FrameInputMode::Glob:
        return QStringLiteral("glob");
    case FrameInputMode::Staged:
        break;
    }
    return QStringLiteral("staged");
}

QString noImagesMessage() {
    return QStringLiteral(
        "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.");
}

std::optional<FrameNumber> detectFrameNumber(const std::string &baseName) {
    size_t run = 0;
    while (run < baseName.size() && baseName[baseName.size() - 1 - run] >= '0' &&
           baseName[baseName.size() - 1 - run] <= '9')
        ++run;
    if (run < 4 || run > 5 || run == baseName.size())
        return std::nullopt;
    FrameNumber number;
    number.prefix = baseName.substr(0, baseName.size() - run);
    number.digits = int(run);
    for (size_t i = baseName.size() - run; i < baseName.size(); ++i)
        number.startNumber = number.startNumber * 10 + (baseName[i] - '0');
    return number;
}

bool fileNameLess(const std::string &a, const std::string &b) {
    return sortKey(a) < sortKey(b);
}

void sortByFileName(std::vector<fs::path> &paths) {
    std::vector<std::string> keys;
    keys.reserve(paths.size());
    for (const auto &path : paths)
        keys.push_back(sortKey(fileNameOf(path)));
    std::vector<size_t> order(paths.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return keys[x] < keys[y]; });
    std::vector<fs::path> sorted;
    sorted.reserve(paths.size());
    for (const size_t i : order)
        sorted.push_back(std::move(paths[i]));
    paths = std::move(sorted);
}

std::optional<FrameSequence>
discoverFrameSequence(const fs::path &folder, const std::optional<std::vector<fs::path>> &files,
                      qint64 frameSkip) {
    std::vector<fs::path> candidates;
    if (files) {
        candidates = *files;
    } else {
        // Any listing error means no candidates, never a partial list.
        std::error_code error;
        fs::directory_iterator it(folder, error);
        const fs::directory_iterator end;
        while (!error && it != end) {
            candidates.push_back(it->path());
            it.increment(error);
        }
        if (error)
            candidates.clear();
    }

    std::vector<fs::path> found;
    for (auto &candidate : candidates) {
        if (isSupportedExtension(asciiLower(extensionOf(fileNameOf(candidate)))))
            found.push_back(std::move(candidate));
    }
    if (found.empty())
        return std::nullopt;
    sortByFileName(found);

    FrameSequence sequence;
    sequence.foundCount = qint64(found.size());
    if (frameSkip >= 2) {
        for (size_t i = 0; i < found.size(); i += size_t(frameSkip))
            sequence.frames.push_back(found[i]);
    } else {
        sequence.frames = std::move(found);
    }

    const std::string firstName = fileNameOf(sequence.frames.front());
    sequence.frameExtension = asciiLower(extensionOf(firstName));
    sequence.inputMode = FrameInputMode::Staged;
    if (files || frameSkip >= 2)
        return sequence;

    // In place only where ffmpeg provably reads exactly these frames in this
    // order; anything else is staged rather than risk a GIF that differs
    // from the count we report.
    if (const auto number = detectFrameNumber(baseNameOf(firstName))) {
        if (numberedReadsExactly(folder, sequence.frames, sequence.frameExtension, *number)) {
            sequence.inputMode = FrameInputMode::Numbered;
            sequence.numberPrefix = number->prefix;
            sequence.numberDigits = number->digits;
            sequence.startNumber = number->startNumber;
        }
    } else if (globReadsExactly(folder, sequence.frames, sequence.frameExtension)) {
        sequence.inputMode = FrameInputMode::Glob;
    }
    return sequence;
}

QString selectionSummary(const FrameSequence &sequence, qint64 frameSkip, bool hasFileList) {
    if (frameSkip >= 2) {
        const QString suffix = frameSkip == 2   ? QStringLiteral("nd")
                               : frameSkip == 3 ? QStringLiteral("rd")
                                                : QStringLiteral("th");
        return QStringLiteral("Using %1 of %2 frames (every %3%4)…")
            .arg(qint64(sequence.frames.size()))
            .arg(sequence.foundCount)
            .arg(frameSkip)
            .arg(suffix);
    }
    if (hasFileList)
        return QStringLiteral("Using %1 selected frames…").arg(sequence.foundCount);
    return QStringLiteral("Found %1 frames…").arg(sequence.foundCount);
}

std::string fileNameOf(const fs::path &path) {
    std::string s = path.native();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    const auto slash = s.rfind('/');
    return slash == std::string::npos ? s : s.substr(slash + 1);
}
