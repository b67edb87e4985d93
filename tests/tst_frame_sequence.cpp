// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FrameSequence.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QtTest>

#include <fstream>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

// "<first stage text> <input mode> <frames>", or nothing for "no images".
QString describe(const fs::path &folder, qint64 frameSkip,
                 const std::optional<std::vector<fs::path>> &files = std::nullopt) {
    const auto sequence = discoverFrameSequence(folder, files, frameSkip);
    if (!sequence)
        return {};
    QString text = selectionSummary(*sequence, frameSkip, files.has_value()) + u' ' +
                   frameInputModeName(sequence->inputMode);
    for (const fs::path &frame : sequence->frames) // relative to the folder, as bytes
        text += u' ' + QString::fromLatin1(frame.lexically_relative(folder).native());
    return text;
}

// Per-frame checksums of what ffmpeg decodes from `input`, in read order, run
// as the conversion runs it (bytes for paths, LC_ALL=C); empty when it fails.
QStringList ffmpegRead(std::vector<std::string> args, const fs::path &input) {
    const fs::path crc = TestEnvironment::freshFolder(u"crc"_s) / "read.crc";
    args.insert(args.end(), {"-framerate", "10", "-i", input.native(), "-map", "0:v", "-f",
                             "framecrc", crc.native()});
    const auto environment = withEnvironmentEntry(environmentSnapshot(), "LC_ALL", "C");
    const auto ffmpeg = locateTool("ffmpeg", environmentValue(environment, "PATH"));
    if (runTool(ffmpeg.value_or("ffmpeg"), args, {environment}).exitStatus != 0)
        return {};
    QStringList checksums;
    std::ifstream file(crc);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line[0] != '#')
            checksums << QString::fromStdString(line.substr(line.rfind(',') + 1)).trimmed();
    }
    return checksums;
}

// What ffmpeg reads in place as the first frame's name suggests: its numbered
// pattern, or else the wildcard for its extension.
QStringList ffmpegReadInPlace(const fs::path &folder, const fs::path &first) {
    const std::string extension =
        QByteArray::fromStdString(first.extension()).toLower().toStdString();
    if (const auto number = detectFrameNumber(first.stem()))
        return ffmpegRead(
            {"-start_number", std::to_string(number->startNumber)},
            folder / (number->prefix + "%0" + std::to_string(number->digits) + "d" + extension));
    return ffmpegRead({"-pattern_type", "glob"}, folder / ("*" + extension));
}

} // namespace

class TestFrameSequence : public QObject {
    Q_OBJECT
    fs::path m_sources;    // src_0001.png to src_0004.png, four different pictures
    QStringList m_decoded; // what ffmpeg decodes from each

    // Creates each name under folder: a folder for a name ending in "/",
    // otherwise a copy of the next source picture. Returns what ffmpeg decodes
    // from each.
    QStringList create(const fs::path &folder, const QByteArrayList &names) {
        QStringList decoded;
        for (const QByteArray &name : names) {
            const fs::path path = folder / name.toStdString();
            fs::create_directories(name.endsWith('/') ? path : path.parent_path());
            const auto source = decoded.size() % 4;
            if (!name.endsWith('/'))
                fs::copy_file(m_sources / ("src_000" + std::to_string(source + 1) + ".png"), path);
            decoded << m_decoded[source];
        }
        return decoded;
    }

private slots:
    void initTestCase() {
        m_sources = TestEnvironment::freshFolder(u"sources"_s);
        TestEnvironment::makeFrames(m_sources, u"src_"_s, 1, 4);
        m_decoded = ffmpegRead({"-start_number", "1"}, m_sources / "src_%04d.png");
        QCOMPARE(QSet<QString>(m_decoded.begin(), m_decoded.end()).size(), 4);
    }

    // Which files are frames, their order, and how ffmpeg is handed them: in
    // place (numbered or glob) only where it reads exactly the frames in order.
    void discoversFolder_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArrayList>("frames"); // expected, in order
        QTest::addColumn<QByteArrayList>("others"); // also created, not frames
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("readsInPlace"); // ffmpeg reading in place gets exactly the frames
        const auto add = [](const char *tag, const QByteArrayList &frames, const char *mode,
                            bool readsInPlace, const QByteArrayList &others = {},
                            const QByteArray &folder = "frames") {
            QTest::newRow(tag) << folder << frames << others << QString::fromLatin1(mode)
                               << readsInPlace;
        };
        const QByteArrayList shots = {"shot_0001.png", "shot_0002.png", "shot_0003.png"};
        add("numbered", shots, "numbered", true, {"notes.txt", "shot_0004.gif", "Thumbs.db"});
        add("four digits running into five", {"f_9999.png", "f_10000.png"}, "numbered", true);
        add("spaces and non-ASCII in folder", shots, "numbered", true, {}, "my shots \xc3\xbc");
        add("case-sensitive", {"Z.png", "a.png", "f_10.png", "f_11.png"}, "glob", true);
        add("composed name", {"f.png", "\xc3\xa9.png"}, "glob", true);

        // Staged where reading in place would go wrong.
        add("upper-case first frame", {"A_0001.PNG", "a_0002.png"}, "staged", false);
        // A numbered read of ._shot_%04d.png would find only the hidden frame.
        add("hidden file first", {"._shot_0001.png", "shot_0001.png", "shot_0002.png"}, "staged",
            false);
        add("every supported extension, any case",
            {"a.png", "b.JPG", "c.jpeg", "d.Tiff", "e.tif", "f.TGA", "g.bmp"}, "staged", false,
            {"h.gif", "i.webp", "j.exr", "k", "l.png.txt", ".png"});
        // The wildcard reads f_1, f_10, f_2.
        add("unpadded numbers", {"f_1.png", "f_2.png", "f_10.png"}, "staged", false);
        // Unnumbered first, leading zeros ignored, ties by name, the number before the last dot.
        add("number order",
            {"f_.png", "f_01.png", "f_1.png", "f_009.png", "f_10.png", "v.2.9.png", "v.2.10.png"},
            "staged", false);
        add("percent in prefix", {"a%d_0001.png", "a%d_0002.png"}, "staged", false);
        // "set[x]/*.png" matches setx/*.png instead.
        add("brackets in folder", {"a.png", "b.png"}, "staged", false,
            {"../setx/p.png", "../setx/q.png", "../setx/r.png"}, "set[x]");
        // The wildcard is case-sensitive and orders by bytes.
        add("glob, upper-case extension", {"C.PNG", "a.png", "b.png"}, "staged", false);
        add("glob, decomposed name", {"f.png", "e\xcc\x81.png"}, "staged", false);

        // Staged to be safe, though this ffmpeg would cope: a FIFO or an empty
        // file in the same places would hang or cut the read.
        add("subfolder named like a frame", {"b.png"}, "staged", true, {"clips.png/"});
        add("subfolder with the next number", shots, "staged", true, {"shot_0004.png/"});
        add("non-UTF-8 names", {"a.png", "shot_\xff.png", "\xc0\xaf.png"}, "staged", true);
        add("non-UTF-8 prefix", {"take_\xff_0001.png", "take_\xff_0002.png"}, "staged", true);
    }
    void discoversFolder() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArrayList, frames);
        QFETCH(QByteArrayList, others);
        QFETCH(QString, mode);
        QFETCH(bool, readsInPlace);
        const auto dir = TestEnvironment::freshFolder(u"discover"_s) / folder.toStdString();
        const QStringList decoded = create(dir, frames + others).mid(0, frames.size());
        QCOMPARE(describe(dir, 1), u"Found %1 frames… "_s.arg(frames.size()) + mode + u' ' +
                                       QString::fromLatin1(frames.join(' ')));
        QCOMPARE(ffmpegReadInPlace(dir, frames[0].toStdString()) == decoded, readsInPlace);
    }

    void takesTheListedFramesOnly() {
        const fs::path folder = TestEnvironment::freshFolder(u"list"_s);
        create(folder, {"shot_0001.png", "c.png", "a.png", "x/b.PNG", "x/d.pdf"});
        const std::vector<fs::path> list = {folder / "c.png", folder / "x/d.pdf", folder / "a.png",
                                            folder / "x/b.PNG", folder / "gone.png"};
        QCOMPARE(describe(folder, 1, list),
                 u"Using 3 selected frames… staged a.png x/b.PNG c.png"_s);
        // Without an image in the list nothing is taken from the folder either.
        QCOMPARE(describe(folder, 1, std::vector<fs::path>{folder / "c.pdf"}), QString());
    }

    // Every Nth frame from the first, staged; only 2 and 3 take "nd" and "rd".
    void frameSkipGrid() {
        const fs::path folder = TestEnvironment::freshFolder(u"skip"_s);
        create(folder, {"0.png", "1.png", "2.png", "3.png", "4.png", "5.png", "6.png"});
        QCOMPARE((QStringList{describe(folder, 0), describe(folder, 2), describe(folder, 3),
                              describe(folder, 22)}),
                 (QStringList{u"Found 7 frames… glob 0.png 1.png 2.png 3.png 4.png 5.png 6.png"_s,
                              u"Using 4 of 7 frames (every 2nd)… staged 0.png 2.png 4.png 6.png"_s,
                              u"Using 3 of 7 frames (every 3rd)… staged 0.png 3.png 6.png"_s,
                              u"Using 1 of 7 frames (every 22nd)… staged 0.png"_s}));
    }

    void findsNoImages() {
        const fs::path parent = TestEnvironment::freshFolder(u"none"_s);
        create(parent, {"empty.png/", "others/a.gif", "others/png", "others/.png",
                        "others/c.png.txt", "others/sub/", "file.png"});
        for (const char *folder : {"empty.png", "others", "missing", "file.png"})
            QCOMPARE(describe(parent / folder, 1), QString());
        QCOMPARE(noImagesMessage(), u"No image files found in the dropped folder. "
                                    u"Supported: PNG, JPG, TIFF, TGA, BMP."_s);
    }
};

QTEST_GUILESS_MAIN(TestFrameSequence)
#include "tst_frame_sequence.moc"
