#include "FrameSequence.h"
#include "TestEnvironment.h"
#include "ToolRunner.h"

#include <QFile>
#include <QtTest>

#include <fstream>
#include <map>
#include <numeric>

namespace fs = std::filesystem;

namespace {

QByteArrayList numberedNames(const QByteArray &prefix, int first, int count, int digits = 4,
                             const QByteArray &extension = "png") {
    QByteArrayList names;
    for (int i = first; i < first + count; ++i)
        names << prefix + QByteArray::number(i).rightJustified(digits, '0') + '.' + extension;
    return names;
}

QByteArrayList pathsOf(const std::vector<fs::path> &paths) {
    QByteArrayList bytes;
    for (const auto &path : paths)
        bytes << QByteArray::fromStdString(path.native());
    return bytes;
}

QByteArrayList pathsIn(const fs::path &folder, const QByteArrayList &names) {
    QByteArrayList paths;
    for (const QByteArray &name : names)
        paths << QByteArray::fromStdString((folder / name.toStdString()).native())
                     .chopped(name.endsWith('/'));
    return paths;
}

// Empty files, or folders for names ending in "/".
void createEntries(const fs::path &folder, const QByteArrayList &names) {
    fs::create_directories(folder);
    for (const QByteArray &name : names) {
        if (name.endsWith('/'))
            fs::create_directories(folder / name.chopped(1).toStdString());
        else
            std::ofstream(folder / name.toStdString());
    }
}

// How ffmpeg is handed the frames, in one line.
QByteArray inputOf(const FrameSequence &sequence) {
    const QByteArray mode = frameInputModeName(sequence.inputMode).toUtf8();
    const QByteArray extension = QByteArray::fromStdString(sequence.frameExtension);
    if (sequence.inputMode != FrameInputMode::Numbered)
        return mode + " ." + extension;
    return mode + ' ' + QByteArray::fromStdString(sequence.number.prefix) + "%0" +
           QByteArray::number(sequence.number.digits) + "d." + extension + " from " +
           QByteArray::number(sequence.number.startNumber);
}

// Per-frame checksums of what ffmpeg reads from `input` (decoded pixels, in
// read order); empty when it reads nothing. The path goes over as bytes.
QStringList ffmpegRead(std::vector<std::string> args, const fs::path &input) {
    const fs::path crc = TestEnvironment::freshFolder(QStringLiteral("crc")) / "read.crc";
    args.insert(args.end(), {"-framerate", "10", "-i", input.native(), "-map", "0:v", "-f",
                             "framecrc", crc.native()});
    QFile file(QString::fromStdString(crc.native()));
    const std::vector<std::string> environment = environmentSnapshot();
    const std::string ffmpeg =
        locateTool("ffmpeg", environmentValue(environment, "PATH")).value_or("ffmpeg");
    if (runTool(ffmpeg, args, {withEnvironmentEntry(environment, "LC_ALL", "C"), nullptr})
                .exitStatus != 0 ||
        !file.open(QIODevice::ReadOnly))
        return {};
    QStringList checksums;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            checksums << QString::fromLatin1(line.mid(line.lastIndexOf(',') + 1).trimmed());
    }
    return checksums;
}

// What ffmpeg reads in place: the sequence's own numbered pattern or
// wildcard, or for a staged sequence the one that reading in place would use.
QStringList ffmpegReadInPlace(const fs::path &folder, const FrameSequence &sequence) {
    std::optional<FrameNumber> number;
    if (sequence.inputMode == FrameInputMode::Numbered)
        number = sequence.number;
    else if (sequence.inputMode == FrameInputMode::Staged)
        number = detectFrameNumber(sequence.frames.front().stem().native());
    if (number)
        return ffmpegRead({"-start_number", std::to_string(number->startNumber)},
                          folder / (number->prefix + "%0" + std::to_string(number->digits) + "d." +
                                    sequence.frameExtension));
    return ffmpegRead({"-pattern_type", "glob"}, folder / ("*." + sequence.frameExtension));
}

} // namespace

class TestFrameSequence : public QObject {
    Q_OBJECT

    // Distinct small frames per extension, with what ffmpeg decodes from them.
    std::map<std::string, std::vector<std::pair<fs::path, QString>>> m_sources;

private slots:
    void initTestCase() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("sources"));
        for (const char *extension : {"png", "tif", "jpg"}) {
            TestEnvironment::makeFrames(folder, QStringLiteral("src_"), 1, 4, 4, 64, 48,
                                        QString::fromLatin1(extension));
            const QStringList checksums =
                ffmpegRead({"-start_number", "1"}, folder / (std::string("src_%04d.") + extension));
            QCOMPARE(QSet<QString>(checksums.begin(), checksums.end()).size(), 4);
            const QByteArrayList names = numberedNames("src_", 1, 4, 4, extension);
            for (int i = 0; i < 4; ++i)
                m_sources[extension].emplace_back(folder / names[i].toStdString(), checksums[i]);
        }
    }

    void detectsFrameNumber_data() {
        QTest::addColumn<QByteArray>("baseName");
        QTest::addColumn<QByteArray>("expected"); // prefix|digits|start

        QTest::newRow("four digits") << QByteArray("shot_0001") << QByteArray("shot_|4|1");
        QTest::newRow("five digits") << QByteArray("render.10000") << QByteArray("render.|5|10000");
        QTest::newRow("leading zeros dropped") << QByteArray("x0010") << QByteArray("x|4|10");
        QTest::newRow("spaces in prefix")
            << QByteArray("my shot 0042") << QByteArray("my shot |4|42");
        QTest::newRow("digits in prefix")
            << QByteArray("v2_take3-99999") << QByteArray("v2_take3-|5|99999");
        QTest::newRow("hidden prefix") << QByteArray("._shot_0001") << QByteArray("._shot_|4|1");
        QTest::newRow("non-UTF-8 prefix")
            << QByteArray("\xff\x01") + "1234" << QByteArray("\xff\x01|4|1234");
        for (const char *none :
             {"0001", "10000", "frame_123", "frame_000123", "frame_0001a", "frame_", ""})
            QTest::newRow(*none ? none : "empty") << QByteArray(none) << QByteArray();
    }

    void detectsFrameNumber() {
        QFETCH(QByteArray, baseName);
        QFETCH(QByteArray, expected);
        const auto number = detectFrameNumber(baseName.toStdString());
        QCOMPARE(number ? QByteArray::fromStdString(number->prefix) + '|' +
                              QByteArray::number(number->digits) + '|' +
                              QByteArray::number(number->startNumber)
                        : QByteArray(),
                 expected);
    }

    void ordersNames_data() {
        QTest::addColumn<QByteArray>("lower");
        QTest::addColumn<QByteArray>("higher");

        QTest::newRow("case-sensitive") << QByteArray("Z.png") << QByteArray("a.png");
        QTest::newRow("by frame number") << QByteArray("f_9.png") << QByteArray("f_10.png");
        QTest::newRow("past 9999") << QByteArray("shot_9999.png") << QByteArray("shot_10000.png");
        QTest::newRow("same number, by name") << QByteArray("f_01.png") << QByteArray("f_1.png");
        QTest::newRow("no number first") << QByteArray("f_.png") << QByteArray("f_0.png");
        QTest::newRow("prefix before number")
            << QByteArray("a_0002.png") << QByteArray("b_0001.png");
        QTest::newRow("full stop first")
            << QByteArray("._shot_0001.png") << QByteArray("shot_0001.png");
        // Decomposed e + U+0301 composes to U+00E9, which sorts after f and è.
        QTest::newRow("NFD after f") << QByteArray("f.png") << QByteArray("e\xcc\x81.png");
        QTest::newRow("NFD after è") << QByteArray("\xc3\xa8.png") << QByteArray("e\xcc\x81.png");
        // UTF-16 would put the surrogate pair (D83D) before U+FF5E.
        QTest::newRow("above U+FFFF")
            << QByteArray("\xef\xbd\x9e.png") << QByteArray("\xf0\x9f\x98\x80.png");
        QTest::newRow("invalid UTF-8 by bytes")
            << QByteArray("\xc3\xa9.png") << QByteArray("\xff.png");
        QTest::newRow("invalid UTF-8 after ASCII")
            << QByteArray("a.png") << QByteArray("\xc0\xaf.png");
    }

    void ordersNames() {
        QFETCH(QByteArray, lower);
        QFETCH(QByteArray, higher);
        for (const auto &names :
             {std::vector<std::string>{lower.toStdString(), higher.toStdString()},
              std::vector<std::string>{higher.toStdString(), lower.toStdString()}})
            QCOMPARE(names[nameOrder(names, NameOrder::ByFrameNumber).front()],
                     lower.toStdString());

        // The same order through a real listing.
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("order"));
        createEntries(folder, {higher, lower});
        const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
        QVERIFY(sequence);
        QCOMPARE(pathsOf(sequence->frames), pathsIn(folder, {lower, higher}));
    }

    void keepsEqualNamesInGivenOrder() {
        // Composed and decomposed é are equal, so neither may move past the other.
        const std::vector<fs::path> list = {"/b/x.png",        "/a/x.png", "/c/e\xcc\x81.png",
                                            "/d/\xc3\xa9.png", "/c/w.png", "/a/e\xcc\x81.png"};
        const QByteArrayList expected = {"/c/w.png",         "/b/x.png",        "/a/x.png",
                                         "/c/e\xcc\x81.png", "/d/\xc3\xa9.png", "/a/e\xcc\x81.png"};
        auto sorted = list;
        sortByName(sorted, NameOrder::ByFileName);
        QCOMPARE(pathsOf(sorted), expected);
    }

    void discoversFolder_data() {
        QTest::addColumn<QByteArray>("folderName");
        QTest::addColumn<QByteArrayList>("frames"); // expected, in order
        QTest::addColumn<QByteArrayList>("others"); // also created, not frames
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("readsInPlace"); // ffmpeg reading in place gets exactly the frames

        const auto add = [](const char *tag, const QByteArrayList &frames, const char *input,
                            bool readsInPlace, const QByteArrayList &others = {},
                            const QByteArray &folder = "frames") {
            QTest::newRow(tag) << folder << frames << others << QByteArray(input) << readsInPlace;
        };
        const QByteArrayList threeShots = numberedNames("shot_", 1, 3);

        // In place: ffmpeg must read exactly the frames.
        add("numbered", numberedNames("shot_", 1, 120), "numbered shot_%04d.png from 1", true,
            {"notes.txt", "Thumbs.db"});
        add("five digits", {"render.10000.tif", "render.10001.tif"},
            "numbered render.%05d.tif from 10000", true, {"render.10000.exr"});
        add("past a power of ten", numberedNames("f_", 9998, 3, 5, "png"),
            "numbered f_%05d.png from 9998", true);
        add("spaces and non-ASCII in folder", numberedNames("s ", 1, 3),
            "numbered s %04d.png from 1", true, {}, "my shots \xc3\xbc");
        add("digits only", {"0001.png", "0002.png"}, "glob .png", true);
        add("three digits", {"frame_123.png", "frame_124.png"}, "glob .png", true);
        add("six digits", {"frame_000123.jpg"}, "glob .jpg", true);
        add("case-sensitive", {"Z.png", "a.png", "f_10.png", "f_11.png"}, "glob .png", true);
        add("composed name", {"f.png", "\xc3\xa9.png"}, "glob .png", true);

        // Staged where reading in place would go wrong.
        add("upper-case first frame", {"A_0001.PNG", "a_0002.png"}, "staged .png", false);
        // A numbered read of ._shot_%04d.png would find only the hidden frame.
        add("hidden file first", {"._shot_0001.png", "shot_0001.png", "shot_0002.png"},
            "staged .png", false);
        add("every supported extension, any case",
            {"a.png", "b.JPG", "c.jpeg", "d.Tiff", "e.tif", "f.TGA", "g.bmp"}, "staged .png", false,
            {"h.gif", "i.webp", "j.exr", "k", "l.png.txt", ".png"});
        add("numbered with a gap", {"shot_0001.png", "shot_0002.png", "shot_0004.png"},
            "staged .png", false);
        add("numbered plus another image", {"shot_0001.png", "shot_0002.png", "zeta.png"},
            "staged .png", false);
        add("mixed extensions", {"shot_0001.png", "shot_0002.jpg"}, "staged .png", false);
        add("four digits running into five", {"f_9999.png", "f_10000.png"},
            "numbered f_%04d.png from 9999", true);
        // The wildcard reads f_1, f_10, f_2.
        add("unpadded numbers", {"f_1.png", "f_2.png", "f_10.png"}, "staged .png", false);

        add("percent in prefix", numberedNames("a%d_", 1, 2), "staged .png", false);
        // "set[x]/*.png" matches setx/*.png instead.
        add("brackets in folder, glob", {"a.png", "b.png"}, "staged .png", false,
            {"../setx/p.png", "../setx/q.png", "../setx/r.png"}, "set[x]");
        // The wildcard is case-sensitive, skips hidden files and orders by bytes.
        add("glob with upper-case extension", {"C.PNG", "a.png", "b.png"}, "staged .png", false);
        add("glob with hidden file", {".a.png", "b.png"}, "staged .png", false);
        add("glob with decomposed name", {"f.png", "e\xcc\x81.png"}, "staged .png", false);

        // Staged to be safe, though this ffmpeg would cope: a FIFO or an empty
        // file in the same places would hang or cut the read.
        add("subfolder named like a frame", {"b.png"}, "staged .png", true, {"clips.png/"});
        add("subfolder with the next number", threeShots, "staged .png", true, {"shot_0004.png/"});
        add("brackets in folder, numbered", threeShots, "staged .png", true, {}, "set[x]");
        add("braces in folder", {"a.png"}, "staged .png", true, {}, "set{1}");
        add("backslash in folder", threeShots, "staged .png", true, {}, "set\\1");
        add("non-UTF-8 names", {"a.png", "shot_\xff.png", "\xc0\xaf.png"}, "staged .png", true);
        add("non-UTF-8 prefix", numberedNames("take_\xff_", 1, 2), "staged .png", true);
    }

    void discoversFolder() {
        QFETCH(QByteArray, folderName);
        QFETCH(QByteArrayList, frames);
        QFETCH(QByteArrayList, others);
        QFETCH(QByteArray, input);
        QFETCH(bool, readsInPlace);

        // Real frames where ffmpeg can decode them, so its reads can be compared.
        const fs::path folder =
            TestEnvironment::freshFolder(QStringLiteral("discover")) / folderName.toStdString();
        QStringList expected; // what ffmpeg decodes from the frames, in order
        int next = 0;
        for (const QByteArray &name : frames + others) {
            const fs::path path = folder / name.toStdString();
            fs::create_directories(name.endsWith('/') ? path : path.parent_path());
            const auto sources = m_sources.find(
                QByteArray::fromStdString(path.extension()).toLower().mid(1).toStdString());
            const auto *source =
                sources == m_sources.end() ? nullptr : &sources->second[next++ % 4];
            if (source)
                fs::copy_file(source->first, path);
            else
                std::ofstream{path};
            if (frames.contains(name))
                expected << (source ? source->second : QString());
        }

        const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
        QVERIFY(sequence);
        QCOMPARE(pathsOf(sequence->frames), pathsIn(folder, frames));
        QCOMPARE(sequence->foundCount, qint64(frames.size()));
        QCOMPARE(inputOf(*sequence), input);
        QCOMPARE(ffmpegReadInPlace(folder, *sequence) == expected, readsInPlace);
    }

    void takesFileListOnly() {
        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("list"));
        createEntries(folder, numberedNames("shot_", 1, 5));
        const fs::path elsewhere = folder / "elsewhere";
        createEntries(folder, {"c.png", "a.png", "elsewhere/", "elsewhere/b.PNG"});
        const std::vector<fs::path> list = {folder / "c.png",          elsewhere / "doc.pdf",
                                            folder / "a.png",          elsewhere / "b.PNG",
                                            elsewhere / "missing.png", elsewhere};
        const auto sequence = discoverFrameSequence(folder, list, 1);
        QVERIFY(sequence);
        QCOMPARE(pathsOf(sequence->frames),
                 pathsOf({folder / "a.png", elsewhere / "b.PNG", folder / "c.png"}));
        QCOMPARE(inputOf(*sequence), QByteArray("staged .png"));
        QCOMPARE(selectionSummary(*sequence, 1, true), QStringLiteral("Using 3 selected frames…"));

        const auto skipped = discoverFrameSequence(folder, list, 2);
        QVERIFY(skipped);
        QCOMPARE(pathsOf(skipped->frames), pathsOf({folder / "a.png", folder / "c.png"}));
        QCOMPARE(selectionSummary(*skipped, 2, true),
                 QStringLiteral("Using 2 of 3 frames (every 2nd)…"));

        // Without an image in the list nothing is taken from the folder either.
        QVERIFY(!discoverFrameSequence(folder, std::vector<fs::path>{folder / "doc.pdf"}, 1));
        QVERIFY(!discoverFrameSequence(folder, std::vector<fs::path>{}, 1));
    }

    void selectsOnFrameSkipGrid_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("frameSkip");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("summary");

        const auto all = [](int count) {
            QList<int> positions(count);
            std::iota(positions.begin(), positions.end(), 0);
            return positions;
        };
        const QByteArray staged("staged .png"), numbered("numbered shot_%04d.png from 1");
        QTest::newRow("3") << 10 << qint64(3) << QList<int>{0, 3, 6, 9} << staged
                           << QStringLiteral("Using 4 of 10 frames (every 3rd)…");
        QTest::newRow("4 drops the last") << 10 << qint64(4) << QList<int>{0, 4, 8} << staged
                                          << QStringLiteral("Using 3 of 10 frames (every 4th)…");
        QTest::newRow("50 keeps the first") << 10 << qint64(50) << QList<int>{0} << staged
                                            << QStringLiteral("Using 1 of 10 frames (every 50th)…");
        // Only 2 and 3 themselves take "nd" and "rd", as in the settings' choices.
        QTest::newRow("11") << 12 << qint64(11) << QList<int>{0, 11} << staged
                            << QStringLiteral("Using 2 of 12 frames (every 11th)…");
        QTest::newRow("22") << 50 << qint64(22) << QList<int>{0, 22, 44} << staged
                            << QStringLiteral("Using 3 of 50 frames (every 22th)…");
        QTest::newRow("23") << 50 << qint64(23) << QList<int>{0, 23, 46} << staged
                            << QStringLiteral("Using 3 of 50 frames (every 23th)…");
        QTest::newRow("0") << 10 << qint64(0) << all(10) << numbered
                           << QStringLiteral("Found 10 frames…");
        QTest::newRow("1, no grouping")
            << 1000 << qint64(1) << all(1000) << numbered << QStringLiteral("Found 1000 frames…");
    }

    void selectsOnFrameSkipGrid() {
        QFETCH(int, count);
        QFETCH(qint64, frameSkip);
        QFETCH(QList<int>, positions);
        QFETCH(QByteArray, input);
        QFETCH(QString, summary);

        const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("skip"));
        const QByteArrayList names = numberedNames("shot_", 1, count);
        createEntries(folder, names);
        const auto sequence = discoverFrameSequence(folder, std::nullopt, frameSkip);
        QVERIFY(sequence);
        QByteArrayList expected;
        for (int p : positions)
            expected << names[p];
        QCOMPARE(pathsOf(sequence->frames), pathsIn(folder, expected));
        QCOMPARE(sequence->foundCount, qint64(count));
        QCOMPARE(inputOf(*sequence), input);
        QCOMPARE(selectionSummary(*sequence, frameSkip, false), summary);
    }

    void findsNoImages_data() {
        QTest::addColumn<QByteArrayList>("entries"); // in a fresh folder
        QTest::addColumn<QByteArray>("folder");

        QTest::newRow("empty folder") << QByteArrayList{"f.png/"} << QByteArray("f.png");
        QTest::newRow("text files only")
            << QByteArrayList{"f/a.txt", "f/b.md", "f/png", "f/.png", "f/c.png.txt"}
            << QByteArray("f");
        QTest::newRow("unsupported images")
            << QByteArrayList{"f/a.gif", "f/b.webp", "f/c.exr", "f/sub/"} << QByteArray("f");
        QTest::newRow("missing folder") << QByteArrayList{} << QByteArray("f");
        QTest::newRow("folder is a file") << QByteArrayList{"f.png"} << QByteArray("f.png");
    }

    void findsNoImages() {
        QFETCH(QByteArrayList, entries);
        QFETCH(QByteArray, folder);
        const fs::path parent = TestEnvironment::freshFolder(QStringLiteral("none"));
        createEntries(parent, entries);
        QVERIFY(!discoverFrameSequence(parent / folder.toStdString(), std::nullopt, 1));
        QCOMPARE(noImagesMessage(), QStringLiteral("No image files found in the dropped folder. "
                                                   "Supported: PNG, JPG, TIFF, TGA, BMP."));
    }
};

QTEST_GUILESS_MAIN(TestFrameSequence)
#include "tst_frame_sequence.moc"
