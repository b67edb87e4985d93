// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FrameSequence.h"

#include "NumberFormat.h"

#include <QCoreApplication>

#include <QUtf8StringView>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
    return QUtf8StringView(s.data(), qsizetype(s.size())).isValidUtf8();
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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
    return supportedImageExtensions().contains(
        QLatin1String(lowerExtension.data(), qsizetype(lowerExtension.size())));
}

// The literal part of a pattern (folder and prefix) reaches ffmpeg as a
// command-line argument built from a QString, so it must survive UTF-8
// unchanged; and the whole pattern must fit ffmpeg's pattern buffer.
bool safeInPattern(const std::string &literal, const std::string &wildPart) {
    return !hasPatternCharacter(literal) && isValidUtf8(literal) &&
           literal.size() + wildPart.size() < maxPatternBytes;
}

std::string numberedName(const FrameNumber &number, qint64 value, const std::string &extension) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*lld", number.digits, static_cast<long long>(value));
    return number.prefix + digits + "." + extension;
}

// A numbered read starts at startNumber and stops at the first missing
// number. It reads exactly our frames only if they are that run and the next
// name is not an entry we passed over (a FIFO, a folder): a further regular
// file with the next number would be among the frames.
bool numberedReadsExactly(const fs::path &folder, const std::vector<fs::path> &frames,
                          const std::vector<std::string> &passedOver, const std::string &extension,
                          const FrameNumber &number) {
    if (!safeInPattern(folder.native() + "/" + number.prefix, "%05d." + extension))
        return false;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (fileNameOf(frames[i]) !=
            numberedName(number, number.startNumber + qint64(i), extension))
            return false;
    }
    const std::string next =
        numberedName(number, number.startNumber + qint64(frames.size()), extension);
    return std::find(passedOver.begin(), passedOver.end(), next) == passedOver.end();
}

// "*.<ext>" under LC_ALL=C matches every non-hidden name ending in exactly
// that extension (case-sensitive) and orders by bytes; our order agrees only
// for NFC UTF-8 names already in byte order (not f_9, f_10).
bool globReadsExactly(const fs::path &folder, const std::vector<fs::path> &frames,
                      const std::vector<std::string> &passedOver, const std::string &extension) {
    if (!safeInPattern(folder.native() + "/", "*." + extension))
        return false;
    const bool othersMatch =
        std::any_of(passedOver.begin(), passedOver.end(), [&](const std::string &name) {
            return name.front() != '.' && extensionOf(name) == extension;
        });
    if (othersMatch)
        return false;
    const bool namesMatch = std::all_of(frames.begin(), frames.end(), [&](const fs::path &frame) {
        const std::string name = fileNameOf(frame);
        return !name.empty() && name.front() != '.' && isValidUtf8(name) &&
               fileNameSortKey(name) == name && extensionOf(name) == extension;
    });
    return namesMatch &&
           std::is_sorted(frames.begin(), frames.end(), [](const fs::path &a, const fs::path &b) {
               return fileNameOf(a) < fileNameOf(b);
           });
}

// Regular files only, after following links: ffmpeg takes a FIFO as a frame
// that never ends, and /dev/zero or an empty file as the end of the sequence.
bool isRegularFile(const fs::directory_entry &entry) {
    std::error_code error;
    return entry.is_regular_file(error);
}

} // namespace

const QStringList &supportedImageExtensions() {
    static const QStringList list = {QStringLiteral("png"),  QStringLiteral("jpg"),
                                     QStringLiteral("jpeg"), QStringLiteral("tiff"),
                                     QStringLiteral("tif"),  QStringLiteral("tga"),
                                     QStringLiteral("bmp")};
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

QString noImagesMessage(const std::optional<QString> &given) {
    if (!given)
        return QCoreApplication::translate(
            "FrameSequence",
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP.");
    if (given->isEmpty())
        return QCoreApplication::translate(
            "FrameSequence",
            "None of the files given is an image file. Supported: PNG, JPG, TIFF, TGA, BMP.");
    return QCoreApplication::translate("FrameSequence",
                                       "No image files found in %1. Supported: PNG, JPG, TIFF, "
                                       "TGA, BMP.")
        .arg(*given);
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

bool hasPatternCharacter(std::string_view path) {
    return path.find_first_of("%*?[]{}\\") != std::string_view::npos;
}

std::string fileNameSortKey(const std::string &name) {
    // Nothing to normalise in ASCII, nor in bytes that are not UTF-8.
    if (isAscii(name) || !isValidUtf8(name))
        return name;
    return QString::fromUtf8(name.data(), qsizetype(name.size()))
        .normalized(QString::NormalizationForm_C)
        .toStdString();
}

namespace {

struct NameKey {
    std::string primary; // ByFrameNumber: what comes before the trailing number
    std::string number;  // that number without leading zeros
    bool hasNumber = false;
    std::string name;
};

NameKey nameKey(const std::string &name, NameOrder order) {
    NameKey key;
    key.name = fileNameSortKey(name);
    if (order == NameOrder::ByFileName)
        return key;
    const std::size_t dot = name.rfind('.');
    const std::size_t stemEnd = dot == std::string::npos || dot == 0 ? name.size() : dot;
    std::size_t digits = stemEnd;
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    key.hasNumber = digits < stemEnd;
    std::size_t first = digits;
    while (first + 1 < stemEnd && name[first] == '0')
        ++first;
    key.number = name.substr(first, stemEnd - first);
    key.primary = fileNameSortKey(name.substr(0, digits));
    return key;
}

bool nameKeyLess(const NameKey &a, const NameKey &b) {
    if (a.primary != b.primary)
        return a.primary < b.primary;
    if (a.hasNumber != b.hasNumber)
        return !a.hasNumber;
    // Numbers of any length: fewer digits is smaller, then digit by digit.
    if (a.number.size() != b.number.size())
        return a.number.size() < b.number.size();
    if (a.number != b.number)
        return a.number < b.number;
    return a.name < b.name;
}

} // namespace

std::vector<std::size_t> nameOrder(const std::vector<std::string> &names, NameOrder order) {
    std::vector<NameKey> keys;
    keys.reserve(names.size());
    for (const std::string &name : names)
        keys.push_back(nameKey(name, order));
    std::vector<std::size_t> indices(names.size());
    std::iota(indices.begin(), indices.end(), std::size_t(0));
    std::stable_sort(indices.begin(), indices.end(),
                     [&](std::size_t x, std::size_t y) { return nameKeyLess(keys[x], keys[y]); });
    return indices;
}

void sortByName(std::vector<fs::path> &paths, NameOrder order) {
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const auto &path : paths)
        names.push_back(fileNameOf(path));
    std::vector<fs::path> sorted;
    sorted.reserve(paths.size());
    for (const std::size_t i : nameOrder(names, order))
        sorted.push_back(std::move(paths[i]));
    paths = std::move(sorted);
}

std::optional<FrameSequence>
discoverFrameSequence(const fs::path &folder, const std::optional<std::vector<fs::path>> &files,
                      qint64 frameSkip) {
    const auto isFrameName = [](const fs::path &path) {
        return isSupportedExtension(asciiLower(extensionOf(fileNameOf(path))));
    };
    std::vector<fs::path> found;
    std::vector<std::string> passedOver; // named like frames, but no regular files
    if (files) {
        for (const fs::path &file : *files) {
            std::error_code error;
            if (isFrameName(file) && fs::is_regular_file(file, error))
                found.push_back(file);
        }
    } else {
        // Any listing error means no candidates, never a partial list.
        std::error_code error;
        fs::directory_iterator it(folder, error);
        const fs::directory_iterator end;
        while (!error && it != end) {
            if (isFrameName(it->path()))
                (isRegularFile(*it) ? found.push_back(it->path())
                                    : passedOver.push_back(fileNameOf(it->path())));
            it.increment(error);
        }
        if (error)
            found.clear();
    }
    if (found.empty())
        return std::nullopt;
    sortByName(found, NameOrder::ByFrameNumber);

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
        if (numberedReadsExactly(folder, sequence.frames, passedOver, sequence.frameExtension,
                                 *number)) {
            sequence.inputMode = FrameInputMode::Numbered;
            sequence.number = *number;
        }
    } else if (globReadsExactly(folder, sequence.frames, passedOver, sequence.frameExtension)) {
        sequence.inputMode = FrameInputMode::Glob;
    }
    return sequence;
}

QString selectionSummary(const FrameSequence &sequence, qint64 frameSkip, bool hasFileList) {
    // The count a plural form follows is %n; the others are %1, %2.
    const int found = int(std::min<qint64>(sequence.foundCount, INT_MAX));
    if (frameSkip >= 2)
        return QCoreApplication::translate("FrameSequence", "Using %1 of %n frames (every %2)…",
                                           nullptr, found)
            .arg(qint64(sequence.frames.size()))
            .arg(ordinalNumber(frameSkip));
    if (hasFileList)
        return QCoreApplication::translate("FrameSequence", "Using %n selected frames…", nullptr,
                                           found);
    return QCoreApplication::translate("FrameSequence", "Found %n frames…", nullptr, found);
}

std::optional<fs::path> firstEmptyFrame(const FrameSequence &sequence) {
    for (const fs::path &frame : sequence.frames) {
        std::error_code error;
        if (fs::file_size(frame, error) == 0 && !error)
            return frame;
    }
    return std::nullopt;
}

QString emptyFrameMessage(const fs::path &frame) {
    return QCoreApplication::translate("FrameSequence",
                                       "The frame %1 is empty (0 bytes). Render it again or "
                                       "remove it.")
        .arg(QString::fromUtf8(fileNameOf(frame)));
}

std::string fileNameOf(const fs::path &path) {
    std::string s = path.native();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    const auto slash = s.rfind('/');
    return slash == std::string::npos ? s : s.substr(slash + 1);
}
