#include "FrameSequence.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QtTest>

#include <fstream>
#include <map>

namespace fs = std::filesystem;

Q_DECLARE_METATYPE(FrameInputMode)
Q_DECLARE_METATYPE(std::optional<FrameNumber>)

namespace {

QByteArrayList numberedNames(const QByteArray &prefix, int first, int count, int digits,
                             const QByteArray &extension) {
    QByteArrayList names;
    for (int i = first; i < first + count; ++i)
        names << prefix + QByteArray::number(i).rightJustified(digits, '0') + '.' + extension;
    return names;
}

fs::path pathOf(const QByteArray &bytes) {
    return fs::path(bytes.toStdString());
}

QByteArray nameOf(const fs::path &path) {
    return QByteArray::fromStdString(path.filename().native());
}

QByteArrayList pathsOf(const std::vector<fs::path> &paths) {
    QByteArrayList bytes;
    for (const auto &path : paths)
        bytes << QByteArray::fromStdString(path.native());
    return bytes;
}

QByteArrayList namesOf(const std::vector<fs::path> &paths) {
    QByteArrayList names;
    for (const auto &path : paths)
        names << nameOf(path);
    return names;
}

// Empty files, or folders for names ending in "/".
void createEntries(const fs::path &folder, const QByteArrayList &names) {
    fs::create_directories(folder);
    for (const QByteArray &name : names) {
        if (name.endsWith('/'))
            fs::create_directories(folder / pathOf(name.chopped(1)));
        else
            std::ofstream(folder / pathOf(name));
    }
}

// Per-frame checksums of what ffmpeg reads from `input` (decoded pixels, in
// read order); empty when ffmpeg reads nothing or fails.
QStringList ffmpegRead(const QStringList &inputOptions, const fs::path &input) {
    QProcess ffmpeg;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    ffmpeg.setProcessEnvironment(env);
    QStringList args = {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error")};
    args << inputOptions << QStringLiteral("-framerate") << QStringLiteral("10")
         << QStringLiteral("-i") << QString::fromStdString(input.native()) << QStringLiteral("-map")
         << QStringLiteral("0:v") << QStringLiteral("-f") << QStringLiteral("framecrc")
         << QStringLiteral("-");
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return {};
    QStringList checksums;
    const auto lines = QString::fromUtf8(ffmpeg.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        checksums << line.section(QLatin1Char(','), -1).trimmed();
    }
    return checksums;
}

// What ffmpeg reads in place: the sequence's own numbered pattern or
// wildcard, or for a staged sequence the one that reading in place would use
// (numbered when the first frame carries a number, else the wildcard).
QStringList ffmpegReadInPlace(const fs::path &folder, const FrameSequence &sequence) {
    std::optional<FrameNumber> number;
    if (sequence.inputMode == FrameInputMode::Numbered)
        number = FrameNumber{sequence.numberPrefix, sequence.numberDigits, sequence.startNumber};
    else if (sequence.inputMode == FrameInputMode::Staged)
        number = detectFrameNumber(sequence.frames.front().stem().native());
    if (number) {
        const std::string pattern =
            number->prefix + "%0" + std::to_string(number->digits) + "d." + sequence.frameExtension;
        return ffmpegRead({QStringLiteral("-start_number"), QString::number(number->startNumber)},
                          folder / pattern);
    }
    return ffmpegRead({QStringLiteral("-pattern_type"), QStringLiteral("glob")},
                      folder / ("*." + sequence.frameExtension));
}

} // namespace

class TestFrameSequence : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void supportedExtensionsAndTexts();
    void detectsFrameNumber_data();
    void detectsFrameNumber();
    void ordersNames_data();
    void ordersNames();
    void treatsCanonicalEquivalentsAsEqual();
    void keepsEqualNamesInGivenOrder();
    void discoversFolder_data();
    void discoversFolder();
    void selectsOnFrameSkipGrid_data();
    void selectsOnFrameSkipGrid();
    void findsNoImages_data();
    void findsNoImages();
    void takesFileListOnly();
    void keepsNonUtf8NamesAsBytes();
    void summarisesSelection_data();
    void summarisesSelection();
    void inPlaceReadMatchesSelection_data();
    void inPlaceReadMatchesSelection();

private:
    std::vector<fs::path> m_sources; // distinct small PNG frames
    std::vector<QString> m_sourceChecksums;
};

void TestFrameSequence::initTestCase() {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("sources"));
    TestEnvironment::makeFrames(folder, QStringLiteral("src_"), 1, 8);
    for (int i = 1; i <= 8; ++i)
        m_sources.push_back(folder / numberedNames("src_", i, 1, 4, "png").front().toStdString());
    const QStringList checksums =
        ffmpegRead({QStringLiteral("-start_number"), QStringLiteral("1")}, folder / "src_%04d.png");
    QCOMPARE(checksums.size(), 8);
    QCOMPARE(QSet<QString>(checksums.begin(), checksums.end()).size(), 8);
    m_sourceChecksums.assign(checksums.begin(), checksums.end());
}

void TestFrameSequence::supportedExtensionsAndTexts() {
    QCOMPARE(supportedImageExtensions(),
             QStringList({QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                          QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("tga"),
                          QStringLiteral("bmp")}));
    QCOMPARE(
        noImagesMessage(),
        QStringLiteral(
            "No image files found in the dropped folder. Supported: PNG, JPG, TIFF, TGA, BMP."));
    QCOMPARE(frameInputModeName(FrameInputMode::Numbered), QStringLiteral("numbered"));
    QCOMPARE(frameInputModeName(FrameInputMode::Glob), QStringLiteral("glob"));
    QCOMPARE(frameInputModeName(FrameInputMode::Staged), QStringLiteral("staged"));
}

void TestFrameSequence::detectsFrameNumber_data() {
    QTest::addColumn<QByteArray>("baseName");
    QTest::addColumn<std::optional<FrameNumber>>("expected");

    const auto number = [](const char *prefix, int digits, qint64 start) {
        return std::optional<FrameNumber>(FrameNumber{prefix, digits, start});
    };
    const std::optional<FrameNumber> none;
    QTest::newRow("four digits") << QByteArray("shot_0001") << number("shot_", 4, 1);
    QTest::newRow("five digits, full stop kept")
        << QByteArray("render.10000") << number("render.", 5, 10000);
    QTest::newRow("leading zeros dropped") << QByteArray("x0010") << number("x", 4, 10);
    QTest::newRow("spaces in prefix") << QByteArray("my shot 0042") << number("my shot ", 4, 42);
    QTest::newRow("digits inside prefix")
        << QByteArray("v2_take3-99999") << number("v2_take3-", 5, 99999);
    QTest::newRow("hidden prefix") << QByteArray("._shot_0001") << number("._shot_", 4, 1);
    QTest::newRow("non-UTF-8 prefix")
        << QByteArray("\xff\x01") + "1234" << number("\xff\x01", 4, 1234);
    QTest::newRow("digits only") << QByteArray("0001") << none;
    QTest::newRow("five digits only") << QByteArray("10000") << none;
    QTest::newRow("three digits") << QByteArray("frame_123") << none;
    QTest::newRow("six digits") << QByteArray("frame_000123") << none;
    QTest::newRow("digits not at end") << QByteArray("frame_0001a") << none;
    QTest::newRow("no digits") << QByteArray("frame_") << none;
    QTest::newRow("empty") << QByteArray() << none;
}

void TestFrameSequence::detectsFrameNumber() {
    QFETCH(QByteArray, baseName);
    QFETCH(std::optional<FrameNumber>, expected);
    const auto actual = detectFrameNumber(baseName.toStdString());
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(QByteArray::fromStdString(actual->prefix),
                 QByteArray::fromStdString(expected->prefix));
        QCOMPARE(actual->digits, expected->digits);
        QCOMPARE(actual->startNumber, expected->startNumber);
    }
}

void TestFrameSequence::ordersNames_data() {
    QTest::addColumn<QByteArray>("lower");
    QTest::addColumn<QByteArray>("higher");

    QTest::newRow("case-sensitive") << QByteArray("Z.png") << QByteArray("a.png");
    QTest::newRow("not numeric") << QByteArray("f_10.png") << QByteArray("f_9.png");
    QTest::newRow("full stop before letters")
        << QByteArray("._shot_0001.png") << QByteArray("shot_0001.png");
    // Decomposed e + U+0301 composes to U+00E9, which sorts after f and è.
    QTest::newRow("decomposed after f") << QByteArray("f.png") << QByteArray("e\xcc\x81.png");
    QTest::newRow("decomposed after composed è")
        << QByteArray("\xc3\xa8.png") << QByteArray("e\xcc\x81.png");
    // UTF-16 would put the surrogate pair (D83D) before U+FF5E.
    QTest::newRow("code points above U+FFFF")
        << QByteArray("\xef\xbd\x9e.png") << QByteArray("\xf0\x9f\x98\x80.png");
    QTest::newRow("invalid UTF-8 by raw bytes")
        << QByteArray("\xc3\xa9.png") << QByteArray("\xff.png");
    QTest::newRow("invalid UTF-8 after ASCII") << QByteArray("a.png") << QByteArray("\xc0\xaf.png");
}

void TestFrameSequence::ordersNames() {
    QFETCH(QByteArray, lower);
    QFETCH(QByteArray, higher);
    QVERIFY(fileNameLess(lower.toStdString(), higher.toStdString()));
    QVERIFY(!fileNameLess(higher.toStdString(), lower.toStdString()));

    // The same order through a real listing.
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("order"));
    createEntries(folder, {higher, lower});
    const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
    QVERIFY(sequence);
    QCOMPARE(namesOf(sequence->frames), QByteArrayList({lower, higher}));
}

void TestFrameSequence::treatsCanonicalEquivalentsAsEqual() {
    const std::string composed = "\xc3\xa9.png";
    const std::string decomposed = "e\xcc\x81.png";
    QVERIFY(!fileNameLess(composed, decomposed));
    QVERIFY(!fileNameLess(decomposed, composed));
}

void TestFrameSequence::keepsEqualNamesInGivenOrder() {
    const std::vector<fs::path> list = {"/b/x.png",        "/a/x.png", "/c/e\xcc\x81.png",
                                        "/d/\xc3\xa9.png", "/c/w.png", "/a/e\xcc\x81.png"};
    const std::vector<fs::path> expected = {"/c/w.png",        "/b/x.png",
                                            "/a/x.png",        "/c/e\xcc\x81.png",
                                            "/d/\xc3\xa9.png", "/a/e\xcc\x81.png"};
    auto sorted = list;
    sortByFileName(sorted);
    QCOMPARE(pathsOf(sorted), pathsOf(expected));

    const auto sequence = discoverFrameSequence("/nonexistent", list, 1);
    QVERIFY(sequence);
    QCOMPARE(pathsOf(sequence->frames), pathsOf(expected));
}

void TestFrameSequence::discoversFolder_data() {
    QTest::addColumn<QByteArray>("folderName");
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<FrameInputMode>("mode");
    QTest::addColumn<QByteArray>("extension");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("digits");
    QTest::addColumn<qint64>("start");

    const auto numbered = FrameInputMode::Numbered;
    const auto glob = FrameInputMode::Glob;
    const auto staged = FrameInputMode::Staged;
    const QByteArray none;
    const QByteArray plain("frames");

    const QByteArrayList shots = numberedNames("shot_", 1, 120, 4, "png");
    QTest::newRow("numbered, non-images ignored")
        << plain << shots + QByteArrayList{"notes.txt", "Thumbs.db"} << shots << numbered
        << QByteArray("png") << QByteArray("shot_") << 4 << qint64(1);
    QTest::newRow("five digits, exr ignored")
        << plain << QByteArrayList{"render.10001.tif", "render.10000.exr", "render.10000.tif"}
        << QByteArrayList{"render.10000.tif", "render.10001.tif"} << numbered << QByteArray("tif")
        << QByteArray("render.") << 5 << qint64(10000);
    QTest::newRow("numbered from 10")
        << plain << numberedNames("x_", 10, 3, 4, "png") << numberedNames("x_", 10, 3, 4, "png")
        << numbered << QByteArray("png") << QByteArray("x_") << 4 << qint64(10);
    QTest::newRow("five digits past a power of ten")
        << plain << numberedNames("f_", 9998, 3, 5, "png") << numberedNames("f_", 9998, 3, 5, "png")
        << numbered << QByteArray("png") << QByteArray("f_") << 5 << qint64(9998);
    QTest::newRow("spaces and non-ASCII in folder")
        << QByteArray("my shots \xc3\xbc") << numberedNames("s ", 1, 3, 4, "png")
        << numberedNames("s ", 1, 3, 4, "png") << numbered << QByteArray("png") << QByteArray("s ")
        << 4 << qint64(1);

    QTest::newRow("digits only") << plain << QByteArrayList{"0002.png", "0001.png"}
                                 << QByteArrayList{"0001.png", "0002.png"} << glob
                                 << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("three digits") << plain << QByteArrayList{"frame_123.png", "frame_124.png"}
                                  << QByteArrayList{"frame_123.png", "frame_124.png"} << glob
                                  << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("six digits") << plain << QByteArrayList{"frame_000123.jpg"}
                                << QByteArrayList{"frame_000123.jpg"} << glob << QByteArray("jpg")
                                << none << 0 << qint64(0);
    QTest::newRow("case-sensitive, not numeric")
        << plain << QByteArrayList{"f_9.png", "a.png", "f_10.png", "Z.png"}
        << QByteArrayList{"Z.png", "a.png", "f_10.png", "f_9.png"} << glob << QByteArray("png")
        << none << 0 << qint64(0);
    QTest::newRow("composed name") << plain << QByteArrayList{"\xc3\xa9.png", "f.png"}
                                   << QByteArrayList{"f.png", "\xc3\xa9.png"} << glob
                                   << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("subfolder with an image extension")
        << plain << QByteArrayList{"clips.png/", "b.png"} << QByteArrayList{"b.png", "clips.png"}
        << glob << QByteArray("png") << none << 0 << qint64(0);

    // The numbered pattern is spelled with the lower-case extension, so it
    // would look for A_0001.png, which does not exist.
    QTest::newRow("upper-case first frame") << plain << QByteArrayList{"a_0002.png", "A_0001.PNG"}
                                            << QByteArrayList{"A_0001.PNG", "a_0002.png"} << staged
                                            << QByteArray("png") << none << 0 << qint64(0);
    // A numbered read of ._shot_%04d.png would find only the hidden frame.
    QTest::newRow("hidden file first")
        << plain << QByteArrayList{"shot_0001.png", "._shot_0001.png", "shot_0002.png"}
        << QByteArrayList{"._shot_0001.png", "shot_0001.png", "shot_0002.png"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("every supported extension, any case")
        << plain
        << QByteArrayList{"g.bmp", "f.TGA",  "e.tif", "d.Tiff", "c.jpeg",    "b.JPG", "a.png",
                          "h.gif", "i.webp", "j.exr", "k",      "l.png.txt", ".png"}
        << QByteArrayList{"a.png", "b.JPG", "c.jpeg", "d.Tiff", "e.tif", "f.TGA", "g.bmp"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    // A numbered read stops at the first gap.
    QTest::newRow("numbered with a gap")
        << plain << QByteArrayList{"shot_0001.png", "shot_0002.png", "shot_0004.png"}
        << QByteArrayList{"shot_0001.png", "shot_0002.png", "shot_0004.png"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("numbered plus another image")
        << plain << QByteArrayList{"zeta.png", "shot_0001.png", "shot_0002.png"}
        << QByteArrayList{"shot_0001.png", "shot_0002.png", "zeta.png"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("numbered with mixed extensions")
        << plain << QByteArrayList{"shot_0001.png", "shot_0002.jpg"}
        << QByteArrayList{"shot_0001.png", "shot_0002.jpg"} << staged << QByteArray("png") << none
        << 0 << qint64(0);
    // 10000 sorts before 9999 and the run does not continue from it.
    QTest::newRow("four digits running into five")
        << plain << QByteArrayList{"f_9999.png", "f_10000.png"}
        << QByteArrayList{"f_10000.png", "f_9999.png"} << staged << QByteArray("png") << none << 0
        << qint64(0);
    QTest::newRow("percent in prefix")
        << plain << numberedNames("a%d_", 1, 2, 4, "png") << numberedNames("a%d_", 1, 2, 4, "png")
        << staged << QByteArray("png") << none << 0 << qint64(0);
    // ffmpeg 5.1's default reader copes with brackets in a numbered pattern,
    // but other pattern types take them as a glob; staging is safe for all.
    QTest::newRow("brackets in folder, numbered")
        << QByteArray("set[x]") << numberedNames("shot_", 1, 3, 4, "png")
        << numberedNames("shot_", 1, 3, 4, "png") << staged << QByteArray("png") << none << 0
        << qint64(0);
    QTest::newRow("brackets in folder, glob")
        << QByteArray("set[x]") << QByteArrayList{"a.png", "b.png"}
        << QByteArrayList{"a.png", "b.png"} << staged << QByteArray("png") << none << 0
        << qint64(0);
    QTest::newRow("braces in folder")
        << QByteArray("set{1}") << QByteArrayList{"a.png"} << QByteArrayList{"a.png"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    QTest::newRow("backslash in folder")
        << QByteArray("set\\1") << numberedNames("shot_", 1, 2, 4, "png")
        << numberedNames("shot_", 1, 2, 4, "png") << staged << QByteArray("png") << none << 0
        << qint64(0);
    // The wildcard is case-sensitive and skips hidden files.
    QTest::newRow("glob with upper-case extension")
        << plain << QByteArrayList{"a.png", "b.png", "C.PNG"}
        << QByteArrayList{"C.PNG", "a.png", "b.png"} << staged << QByteArray("png") << none << 0
        << qint64(0);
    QTest::newRow("glob with hidden file")
        << plain << QByteArrayList{"b.png", ".a.png"} << QByteArrayList{".a.png", "b.png"} << staged
        << QByteArray("png") << none << 0 << qint64(0);
    // The wildcard orders the decomposed bytes before f.
    QTest::newRow("glob with decomposed name") << plain << QByteArrayList{"e\xcc\x81.png", "f.png"}
                                               << QByteArrayList{"f.png", "e\xcc\x81.png"} << staged
                                               << QByteArray("png") << none << 0 << qint64(0);
}

void TestFrameSequence::discoversFolder() {
    QFETCH(QByteArray, folderName);
    QFETCH(QByteArrayList, entries);
    QFETCH(QByteArrayList, expected);
    QFETCH(FrameInputMode, mode);
    QFETCH(QByteArray, extension);
    QFETCH(QByteArray, prefix);
    QFETCH(int, digits);
    QFETCH(qint64, start);

    const fs::path folder =
        TestEnvironment::freshFolder(QStringLiteral("discover")) / pathOf(folderName);
    createEntries(folder, entries);

    const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
    QVERIFY(sequence);
    QCOMPARE(namesOf(sequence->frames), expected);
    for (const auto &frame : sequence->frames)
        QCOMPARE(frame.parent_path(), folder);
    QCOMPARE(sequence->foundCount, qint64(expected.size()));
    QCOMPARE(frameInputModeName(sequence->inputMode), frameInputModeName(mode));
    QCOMPARE(QByteArray::fromStdString(sequence->frameExtension), extension);
    QCOMPARE(QByteArray::fromStdString(sequence->numberPrefix), prefix);
    QCOMPARE(sequence->numberDigits, digits);
    QCOMPARE(sequence->startNumber, start);
    QCOMPARE(selectionSummary(*sequence, 1, false),
             QStringLiteral("Found %1 frames…").arg(expected.size()));
}

void TestFrameSequence::selectsOnFrameSkipGrid_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("frameSkip");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<FrameInputMode>("mode");
    QTest::addColumn<QString>("summary");

    const QList<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("skip 3") << 10 << qint64(3) << QList<int>{0, 3, 6, 9} << FrameInputMode::Staged
                            << QStringLiteral("Using 4 of 10 frames (every 3rd)…");
    QTest::newRow("skip 4 drops the last")
        << 10 << qint64(4) << QList<int>{0, 4, 8} << FrameInputMode::Staged
        << QStringLiteral("Using 3 of 10 frames (every 4th)…");
    QTest::newRow("skip 2") << 10 << qint64(2) << QList<int>{0, 2, 4, 6, 8}
                            << FrameInputMode::Staged
                            << QStringLiteral("Using 5 of 10 frames (every 2nd)…");
    QTest::newRow("skip 9") << 10 << qint64(9) << QList<int>{0, 9} << FrameInputMode::Staged
                            << QStringLiteral("Using 2 of 10 frames (every 9th)…");
    QTest::newRow("skip 50 keeps the first")
        << 10 << qint64(50) << QList<int>{0} << FrameInputMode::Staged
        << QStringLiteral("Using 1 of 10 frames (every 50th)…");
    QTest::newRow("skip 1") << 10 << qint64(1) << all << FrameInputMode::Numbered
                            << QStringLiteral("Found 10 frames…");
    QTest::newRow("skip 0") << 10 << qint64(0) << all << FrameInputMode::Numbered
                            << QStringLiteral("Found 10 frames…");
    QTest::newRow("negative skip") << 10 << qint64(-3) << all << FrameInputMode::Numbered
                                   << QStringLiteral("Found 10 frames…");
}

void TestFrameSequence::selectsOnFrameSkipGrid() {
    QFETCH(int, count);
    QFETCH(qint64, frameSkip);
    QFETCH(QList<int>, positions);
    QFETCH(FrameInputMode, mode);
    QFETCH(QString, summary);

    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("skip"));
    const QByteArrayList names = numberedNames("shot_", 1, count, 4, "png");
    createEntries(folder, names);

    const auto sequence = discoverFrameSequence(folder, std::nullopt, frameSkip);
    QVERIFY(sequence);
    QByteArrayList expected;
    for (int p : positions)
        expected << names[p];
    QCOMPARE(namesOf(sequence->frames), expected);
    QCOMPARE(sequence->foundCount, qint64(count));
    QCOMPARE(frameInputModeName(sequence->inputMode), frameInputModeName(mode));
    QCOMPARE(selectionSummary(*sequence, frameSkip, false), summary);
}

void TestFrameSequence::findsNoImages_data() {
    QTest::addColumn<QByteArray>("folderKind"); // "folder", "missing" or "file"
    QTest::addColumn<QByteArrayList>("entries");
    QTest::addColumn<bool>("hasList");
    QTest::addColumn<QByteArrayList>("list");

    QTest::newRow("empty folder") << QByteArray("folder") << QByteArrayList{} << false
                                  << QByteArrayList{};
    QTest::newRow("text files only")
        << QByteArray("folder") << QByteArrayList{"a.txt", "b.md", "png", ".png", "c.png.txt"}
        << false << QByteArrayList{};
    QTest::newRow("unsupported images")
        << QByteArray("folder") << QByteArrayList{"a.gif", "b.webp", "c.exr", "sub/"} << false
        << QByteArrayList{};
    QTest::newRow("missing folder")
        << QByteArray("missing") << QByteArrayList{} << false << QByteArrayList{};
    QTest::newRow("folder is a file")
        << QByteArray("file") << QByteArrayList{} << false << QByteArrayList{};
    // The list is taken alone, even beside a folder full of frames.
    QTest::newRow("file list with only a PDF")
        << QByteArray("folder") << QByteArrayList{"shot_0001.png"} << true
        << QByteArrayList{"doc.pdf"};
    QTest::newRow("empty file list")
        << QByteArray("folder") << QByteArrayList{"shot_0001.png"} << true << QByteArrayList{};
}

void TestFrameSequence::findsNoImages() {
    QFETCH(QByteArray, folderKind);
    QFETCH(QByteArrayList, entries);
    QFETCH(bool, hasList);
    QFETCH(QByteArrayList, list);

    const fs::path parent = TestEnvironment::freshFolder(QStringLiteral("none"));
    const fs::path folder = parent / "frames.png";
    if (folderKind == "folder")
        createEntries(folder, entries);
    else if (folderKind == "file")
        std::ofstream(folder) << "not a folder";

    std::optional<std::vector<fs::path>> files;
    if (hasList) {
        files.emplace();
        for (const QByteArray &name : list)
            files->push_back(folder / pathOf(name));
    }
    QVERIFY(!discoverFrameSequence(folder, files, 1));
}

void TestFrameSequence::takesFileListOnly() {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("list"));
    createEntries(folder, numberedNames("shot_", 1, 5, 4, "png"));
    const std::vector<fs::path> list = {folder / "c.png", "/elsewhere/doc.pdf", folder / "a.png",
                                        "/elsewhere/b.PNG"};

    const auto sequence = discoverFrameSequence(folder, list, 1);
    QVERIFY(sequence);
    const std::vector<fs::path> expected = {folder / "a.png", "/elsewhere/b.PNG", folder / "c.png"};
    QCOMPARE(pathsOf(sequence->frames), pathsOf(expected));
    QCOMPARE(sequence->foundCount, qint64(3));
    QCOMPARE(frameInputModeName(sequence->inputMode), QStringLiteral("staged"));
    QCOMPARE(QByteArray::fromStdString(sequence->frameExtension), QByteArray("png"));
    QCOMPARE(selectionSummary(*sequence, 1, true), QStringLiteral("Using 3 selected frames…"));

    const auto skipped = discoverFrameSequence(folder, list, 2);
    QVERIFY(skipped);
    QCOMPARE(pathsOf(skipped->frames), pathsOf({folder / "a.png", folder / "c.png"}));
    QCOMPARE(selectionSummary(*skipped, 2, true),
             QStringLiteral("Using 2 of 3 frames (every 2nd)…"));
}

void TestFrameSequence::keepsNonUtf8NamesAsBytes() {
    const fs::path folder = TestEnvironment::freshFolder(QStringLiteral("bytes"));
    const std::string odd = "shot_\xff.png";
    const std::string overlong = "\xc0\xaf.png";
    createEntries(folder, {QByteArray::fromStdString(odd), QByteArray::fromStdString(overlong),
                           QByteArray("a.png")});

    const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
    QVERIFY(sequence);
    QCOMPARE(pathsOf(sequence->frames),
             pathsOf({folder / "a.png", folder / odd, folder / overlong}));
    for (const auto &frame : sequence->frames)
        QVERIFY(fs::exists(frame));
    QCOMPARE(frameInputModeName(sequence->inputMode), QStringLiteral("staged"));

    // The numbered pattern travels to ffmpeg as text, which cannot carry
    // these bytes.
    const fs::path numbered = TestEnvironment::freshFolder(QStringLiteral("bytes-numbered"));
    createEntries(numbered, numberedNames("take_\xff_", 1, 2, 4, "png"));
    const auto fromNumbered = discoverFrameSequence(numbered, std::nullopt, 1);
    QVERIFY(fromNumbered);
    QCOMPARE(namesOf(fromNumbered->frames), numberedNames("take_\xff_", 1, 2, 4, "png"));
    QCOMPARE(frameInputModeName(fromNumbered->inputMode), QStringLiteral("staged"));
}

void TestFrameSequence::summarisesSelection_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<qint64>("found");
    QTest::addColumn<qint64>("frameSkip");
    QTest::addColumn<bool>("hasFileList");
    QTest::addColumn<QString>("expected");

    QTest::newRow("folder") << 120 << qint64(120) << qint64(1) << false
                            << QStringLiteral("Found 120 frames…");
    QTest::newRow("no grouping") << 12345 << qint64(12345) << qint64(0) << false
                                 << QStringLiteral("Found 12345 frames…");
    QTest::newRow("file list") << 3 << qint64(3) << qint64(1) << true
                               << QStringLiteral("Using 3 selected frames…");
    QTest::newRow("skip wins over file list")
        << 5 << qint64(10) << qint64(2) << true
        << QStringLiteral("Using 5 of 10 frames (every 2nd)…");
    QTest::newRow("3rd") << 4 << qint64(10) << qint64(3) << false
                         << QStringLiteral("Using 4 of 10 frames (every 3rd)…");
    QTest::newRow("4th") << 3 << qint64(10) << qint64(4) << false
                         << QStringLiteral("Using 3 of 10 frames (every 4th)…");
    QTest::newRow("5th") << 2 << qint64(10) << qint64(5) << false
                         << QStringLiteral("Using 2 of 10 frames (every 5th)…");
    QTest::newRow("11th") << 1 << qint64(10) << qint64(11) << false
                          << QStringLiteral("Using 1 of 10 frames (every 11th)…");
    QTest::newRow("12th") << 9 << qint64(100) << qint64(12) << false
                          << QStringLiteral("Using 9 of 100 frames (every 12th)…");
    // Only 2 and 3 themselves take "nd" and "rd", as in the settings' choices.
    QTest::newRow("22th") << 5 << qint64(100) << qint64(22) << false
                          << QStringLiteral("Using 5 of 100 frames (every 22th)…");
    QTest::newRow("23th") << 5 << qint64(100) << qint64(23) << false
                          << QStringLiteral("Using 5 of 100 frames (every 23th)…");
}

void TestFrameSequence::summarisesSelection() {
    QFETCH(int, selected);
    QFETCH(qint64, found);
    QFETCH(qint64, frameSkip);
    QFETCH(bool, hasFileList);
    QFETCH(QString, expected);

    FrameSequence sequence;
    sequence.frames.assign(size_t(selected), fs::path("/f/x.png"));
    sequence.foundCount = found;
    QCOMPARE(selectionSummary(sequence, frameSkip, hasFileList), expected);
}

void TestFrameSequence::inPlaceReadMatchesSelection_data() {
    QTest::addColumn<QByteArray>("folderName");
    QTest::addColumn<QByteArrayList>("names");
    QTest::addColumn<QByteArrayList>("siblings"); // files beside the folder
    QTest::addColumn<FrameInputMode>("mode");
    QTest::addColumn<int>("readInPlace"); // frames ffmpeg reads in place; -1: all, in order

    const QByteArray plain("frames");
    QTest::newRow("contiguous numbered") << plain << numberedNames("shot_", 100, 4, 4, "png")
                                         << QByteArrayList{} << FrameInputMode::Numbered << -1;
    QTest::newRow("glob in byte order")
        << plain << QByteArrayList{"c.png", "a.png", "b.png", "Z.png"} << QByteArrayList{}
        << FrameInputMode::Glob << -1;
    // From here on the in-place read would not match the summary's count.
    QTest::newRow("numbered with a gap")
        << plain
        << QByteArrayList{"shot_0001.png", "shot_0002.png", "shot_0004.png", "shot_0005.png"}
        << QByteArrayList{} << FrameInputMode::Staged << 2;
    QTest::newRow("upper-case first frame") << plain << QByteArrayList{"A_0001.PNG", "a_0002.png"}
                                            << QByteArrayList{} << FrameInputMode::Staged << 0;
    QTest::newRow("glob with upper-case extension")
        << plain << QByteArrayList{"a.png", "b.png", "D.PNG"} << QByteArrayList{}
        << FrameInputMode::Staged << 2;
    QTest::newRow("glob with hidden file") << plain << QByteArrayList{".h.png", "a.png", "b.png"}
                                           << QByteArrayList{} << FrameInputMode::Staged << 2;
    // "set[x]/*.png" matches setx/*.png instead.
    QTest::newRow("brackets in folder path")
        << QByteArray("set[x]") << QByteArrayList{"a.png", "b.png"}
        << QByteArrayList{"setx/p.png", "setx/q.png", "setx/r.png"} << FrameInputMode::Staged << 3;
    QTest::newRow("percent in prefix") << plain << numberedNames("a%d_", 1, 2, 4, "png")
                                       << QByteArrayList{} << FrameInputMode::Staged << 0;
}

void TestFrameSequence::inPlaceReadMatchesSelection() {
    QFETCH(QByteArray, folderName);
    QFETCH(QByteArrayList, names);
    QFETCH(QByteArrayList, siblings);
    QFETCH(FrameInputMode, mode);
    QFETCH(int, readInPlace);

    QVERIFY(size_t(names.size() + siblings.size()) <= m_sources.size());
    const fs::path parent = TestEnvironment::freshFolder(QStringLiteral("inplace"));
    const fs::path folder = parent / pathOf(folderName);
    std::map<fs::path, QString> checksumOf;
    size_t source = 0;
    for (const QByteArray &name : names + siblings) {
        const fs::path target = (names.contains(name) ? folder : parent) / pathOf(name);
        fs::create_directories(target.parent_path());
        fs::copy_file(m_sources[source], target);
        checksumOf[target] = m_sourceChecksums[source++];
    }

    const auto sequence = discoverFrameSequence(folder, std::nullopt, 1);
    QVERIFY(sequence);
    QCOMPARE(sequence->frames.size(), size_t(names.size()));
    QCOMPARE(frameInputModeName(sequence->inputMode), frameInputModeName(mode));

    QStringList expected;
    for (const auto &frame : sequence->frames)
        expected << checksumOf.at(frame);
    const QStringList read = ffmpegReadInPlace(folder, *sequence);
    if (mode == FrameInputMode::Staged) {
        QCOMPARE(read.size(), readInPlace);
        QVERIFY(read.size() != expected.size());
    } else {
        QCOMPARE(read, expected);
    }
}

QTEST_GUILESS_MAIN(TestFrameSequence)
#include "tst_frame_sequence.moc"
