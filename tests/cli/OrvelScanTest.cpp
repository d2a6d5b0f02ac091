// orvel-scan end to end: the demo replay, the folder name rules, JSON lines,
// load errors and exit statuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/VekPictureLoader.h"
#include "foundation/VekPngEncoder.h"
#include "support/PictureTools.h"
#include "support/ScanTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using test::emptyFolderScanLog;
using test::placeBlankPicture;
using test::placeJunkFile;
using test::readLines;

struct TRun {
    int status = -1;
    std::vector<std::string> out;
    std::vector<std::string> err;
};

// Runs orvel-scan in folder with the arguments (already quoted where needed).
TRun runScan(const fs::path& folder, const std::string& arguments) {
    const fs::path out = folder / "stdout.txt";
    const fs::path err = folder / "stderr.txt";
    TRun run;
    run.status = test::runCommand("cd " + test::shellQuote(folder.string()) + " && " +
                                  test::shellQuote(ORVEL_SCAN_PATH) + " " + arguments + " > " +
                                  test::shellQuote(out.string()) + " 2> " + test::shellQuote(err.string()));
    run.out = readLines(out);
    run.err = readLines(err);
    return run;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(OrvelScanDemo, PrintsTheLogOfTheFiveButtonsInOrder) {
    const fs::path dir = test::testDirectory("cli-demo");
    placeBlankPicture("blank.bmp", dir / "samples" / "images" / "a.bmp");
    placeBlankPicture("blank.jpg", dir / "samples" / "images" / "b.jpg");
    placeBlankPicture("blank.jpg", dir / "samples" / "QRCodeImages" / "q.jpg");
    fs::create_directories(dir / "samples" / "AztecImages");

    const TRun run = runScan(dir, "--demo samples");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, concat({emptyFolderScanLog({"a.bmp", "b.jpg"}), emptyFolderScanLog({}),
                               emptyFolderScanLog({}), emptyFolderScanLog({"q.jpg"}), emptyFolderScanLog({})}));
    // The log stays that of empty folders; stderr names the missing ones.
    EXPECT_EQ(run.err, (std::vector<std::string>{"orvel-scan: samples/PDF417Images: no such folder",
                                                  "orvel-scan: samples/DatamatrixImages: no such folder"}));
}

// A full disk or a closed output is a failure, said on stderr, whatever was read.
TEST(OrvelScanOutput, AWriteErrorOnStandardOutputFails) {
    const fs::path dir = test::testDirectory("cli-full");
    placeBlankPicture("blank.bmp", dir / "a.bmp");
    for (const std::string arguments : {"a.bmp", "--json a.bmp", "--classic a.bmp", "--demo .", "--help"}) {
        const int status = test::runCommand("cd " + test::shellQuote(dir.string()) + " && " +
                                            test::shellQuote(ORVEL_SCAN_PATH) + " " + arguments +
                                            " > /dev/full 2> err.txt");
        EXPECT_EQ(status, 1) << arguments;
        const std::vector<std::string> err = readLines(dir / "err.txt");
        ASSERT_FALSE(err.empty()) << arguments;
        EXPECT_EQ(err.back().rfind("orvel-scan: cannot write to standard output", 0), 0u) << arguments;
    }
}

TEST(OrvelScanDemo, TakesOnlyBmpAndJpgNamesLongerThanFourCharacters) {
    const fs::path dir = test::testDirectory("cli-names");
    const fs::path images = dir / "images";
    placeBlankPicture("blank.bmp", images / "x.bmp");
    placeBlankPicture("blank.bmp", images / "scan.BMP");
    placeBlankPicture("blank.jpg", images / "A.JPG");
    // Anything of these that were loaded would end the scan with an error.
    placeJunkFile(images / ".bmp");
    placeJunkFile(images / ".JPG");
    placeJunkFile(images / "scan.png");
    placeJunkFile(images / "a.jpeg");
    placeJunkFile(images / "bmp");
    fs::create_directories(images / "folder.bmp");

    const TRun run = runScan(dir, "--demo .");
    EXPECT_EQ(run.status, 0);
    const std::vector<std::string> firstClick(run.out.begin(), run.out.begin() + std::min<size_t>(11, run.out.size()));
    EXPECT_EQ(firstClick, emptyFolderScanLog({"A.JPG", "scan.BMP", "x.bmp"}));
}

TEST(OrvelScanDemo, APictureThatCannotBeLoadedEndsThatButtonOnly) {
    const fs::path dir = test::testDirectory("cli-demo-error");
    placeBlankPicture("blank.bmp", dir / "images" / "a.bmp");
    placeJunkFile(dir / "images" / "c.bmp");
    placeBlankPicture("blank.jpg", dir / "images" / "d.jpg");

    const TRun run = runScan(dir, "--demo .");
    EXPECT_EQ(run.status, 1);
    // The click stops at c.bmp: no line for it, d.jpg not scanned, no "Done.";
    // the four other buttons still run.
    EXPECT_EQ(run.out, concat({{"Scanning a.bmp", "No barcode found ", ""}, emptyFolderScanLog({}),
                               emptyFolderScanLog({}), emptyFolderScanLog({}), emptyFolderScanLog({})}));
    ASSERT_EQ(run.err.size(), 5u);  // the file, then the four missing folders
    EXPECT_NE(run.err[0].find("c.bmp: "), std::string::npos) << run.err[0];
}

// Each JSON line reduced by Python's own parser to "file|error|results",
// error being "null" or "message".
std::vector<std::string> summarizeJson(const fs::path& dir, const fs::path& jsonLines) {
    const fs::path summary = dir / "summary.txt";
    const std::string script =
        "import json,sys\n"
        "for line in open(sys.argv[1], encoding='utf-8'):\n"
        "    o = json.loads(line)\n"
        "    assert list(o) == ['file', 'ms', 'error', 'results'], list(o)\n"
        "    assert isinstance(o['ms'], float) and o['ms'] >= 0\n"
        "    assert isinstance(o['results'], list)\n"
        "    print('%s|%s|%d' % (o['file'], 'null' if o['error'] is None else 'message', len(o['results'])))\n";
    const int status = test::runCommand("python3 -c " + test::shellQuote(script) + " " +
                                        test::shellQuote(jsonLines.string()) + " > " +
                                        test::shellQuote(summary.string()));
    EXPECT_EQ(status, 0) << "python3 could not parse the JSON lines";
    return readLines(summary);
}

TEST(OrvelScanClassic, JsonLinesParseAndALoadErrorKeepsTheScanGoing) {
    if (test::runCommand("command -v python3 > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not installed";
    const fs::path dir = test::testDirectory("cli-json");
    placeBlankPicture("blank.bmp", dir / "pics" / "a.bmp");
    placeJunkFile(dir / "pics" / "bad.jpg");
    placeBlankPicture("blank.jpg", dir / "pics" / "b.jpg");
    placeJunkFile(dir / "pics" / "notes.txt");
    placeBlankPicture("blank.jpg", dir / "single \"quoted\".jpg");

    const TRun run = runScan(dir, "--classic --json pics missing.bmp 'single \"quoted\".jpg'");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.empty()) << "no progress counter when stderr is not a terminal";
    EXPECT_EQ(summarizeJson(dir, dir / "stdout.txt"),
              (std::vector<std::string>{"pics/a.bmp|null|0", "pics/b.jpg|null|0", "pics/bad.jpg|message|0",
                                        "missing.bmp|message|0", "single \"quoted\".jpg|null|0"}));
    ASSERT_EQ(run.out.size(), 5u);
    EXPECT_NE(run.out[2].find("\"error\": \"pics/bad.jpg: "), std::string::npos) << run.out[2];
}

TEST(OrvelScanClassic, ExitsWithZeroWhenEveryFileLoadedAndPrintsEachFile) {
    const fs::path dir = test::testDirectory("cli-plain");
    placeBlankPicture("blank.bmp", dir / "a.bmp");
    placeBlankPicture("blank.jpg", dir / "b.jpg");

    const TRun all = runScan(dir, "--classic a.bmp b.jpg");
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, (std::vector<std::string>{"a.bmp", "  No barcode found ", "b.jpg", "  No barcode found "}));

    const TRun one = runScan(dir, "--classic --family=qr --json b.jpg");
    EXPECT_EQ(one.status, 0);
    ASSERT_EQ(one.out.size(), 1u);
    EXPECT_NE(one.out[0].find("\"error\": null, \"results\": []}"), std::string::npos) << one.out[0];
}

// What orvel-scan shows when stdout and stderr are a terminal: script runs
// it on a pseudo-terminal and writes the screen's bytes.
std::string runOnTerminal(const fs::path& dir, const std::string& arguments) {
    const std::string command = test::shellQuote(ORVEL_SCAN_PATH) + " " + arguments;
    const int status = test::runCommand("cd " + test::shellQuote(dir.string()) + " && script -qec " +
                                        test::shellQuote(command) + " /dev/null > terminal.txt 2>&1");
    EXPECT_EQ(status, 0);
    std::string screen;
    for (const std::string& line : readLines(dir / "terminal.txt")) screen += line + "\n";
    return screen;
}

TEST(OrvelScanFiles, ShowsProgressOnATerminalAndClearsItBeforeEachReport) {
    if (test::runCommand("command -v script > /dev/null 2>&1") != 0) GTEST_SKIP() << "script not installed";
    const fs::path dir = test::testDirectory("cli-progress");
    placeBlankPicture("blank.bmp", dir / "a.bmp");
    placeBlankPicture("blank.jpg", dir / "b.jpg");

    const std::string screen = runOnTerminal(dir, "--json a.bmp b.jpg");
    const size_t first = screen.find("[1/2] a.bmp");
    const size_t firstReport = screen.find("{\"file\": \"a.bmp\"");
    const size_t second = screen.find("[2/2] b.jpg");
    ASSERT_NE(first, std::string::npos) << screen;
    ASSERT_NE(firstReport, std::string::npos) << screen;
    ASSERT_NE(second, std::string::npos) << screen;
    EXPECT_LT(first, firstReport);
    EXPECT_EQ(screen.substr(firstReport - 4, 4), "\r\033[K");  // the counter erased
    EXPECT_LT(firstReport, second);

    EXPECT_EQ(runOnTerminal(dir, "a.bmp").find("[1/1]"), std::string::npos) << "no counter for one file";
}

TEST(OrvelScanFiles, UsageErrorsExitWithTwo) {
    const fs::path dir = test::testDirectory("cli-usage");
    for (const char* arguments : {"", "--family", "--family code93 a.bmp", "--frobnicate a.bmp", "--demo . a.bmp",
                                  "--demo . --json", "--demo", "--classic --formats qrcode a.bmp", "--classic -j 2 a.bmp",
                                  "--demo . --try-harder", "--formats nonsense a.bmp", "-j 0 a.bmp", "-j", "--annotate", "- -"}) {
        const TRun run = runScan(dir, arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(run.out.empty()) << arguments;
        ASSERT_FALSE(run.err.empty()) << arguments;
        EXPECT_EQ(run.err[0].rfind("orvel-scan: ", 0), 0u) << run.err[0];
    }
    const TRun help = runScan(dir, "--help");
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.out.empty());
    EXPECT_EQ(help.out[0].rfind("Usage: orvel-scan", 0), 0u);
}

// ---- The default path: readBarcodes.

fs::path sample(const std::string& path) { return fs::path(ORVEL_SOURCE_DIR) / "samples" / path; }

void copySample(const std::string& path, const fs::path& target) {
    fs::create_directories(target.parent_path());
    fs::copy_file(sample(path), target, fs::copy_options::overwrite_existing);
}

// The sample saved as a PNG file.
std::vector<uint8_t> samplePng(const std::string& path) {
    const TVekImage image = loadPicture(sample(path));
    return encodePng(TVekPngRaster::fromBitmap(*image.bitmap()));
}

TEST(OrvelScanPictures, FoldersTakePngAndJpegAndTheFirstBytesChooseTheDecoder) {
    const fs::path dir = test::testDirectory("cli-pictures");
    copySample("QRCodeImages/qrcode-text.jpg", dir / "pics" / "qr.jpeg");
    test::writeFile(dir / "pics" / "code128.PNG", samplePng("images/code128.bmp"));
    copySample("QRCodeImages/qrcode.bmp", dir / "pics" / "bitmap.jpg");  // a bitmap by another name
    placeJunkFile(dir / "pics" / "notes.txt");
    copySample("images/ean8.bmp", dir / "pics" / "sub" / "ean8.bmp");

    const std::vector<std::string> top = {"pics/bitmap.jpg", "  QRCODE: https://orvel.vekbarcode.example",
                                          "pics/code128.PNG", "  CODE128: Orvel-128",
                                          "pics/qr.jpeg",     "  QRCODE: VekBarcode Orvel QR sample 2026"};
    const TRun run = runScan(dir, "pics");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, top);
    EXPECT_TRUE(run.err.empty());

    const TRun recursive = runScan(dir, "-r pics");
    EXPECT_EQ(recursive.out, concat({top, {"pics/sub/ean8.bmp", "  EAN8: 96385074"}}));
    // The family still chooses what is read.
    EXPECT_EQ(runScan(dir, "--family 1d pics/bitmap.jpg").out,
              (std::vector<std::string>{"pics/bitmap.jpg", "  No barcode found "}));
}

TEST(OrvelScanPictures, PathsWithoutPicturesAndFilesThatDoNotLoadAreSaidOnStderr) {
    const fs::path dir = test::testDirectory("cli-nothing");
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "tree" / "a" / "b");
    fs::create_directories(dir / "tree" / "c");
    placeJunkFile(dir / "other" / "notes.txt");
    const std::vector<uint8_t> png = samplePng("images/code128.bmp");
    test::writeFile(dir / "cut.png", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2));
    std::vector<uint8_t> damaged = png;
    damaged[60] ^= 0xFF;  // the first data chunk no longer matches its CRC
    test::writeFile(dir / "crc.png", damaged);
    test::writeFile(dir / "good.png", png);

    const TRun run = runScan(dir, "empty tree other cut.png crc.png good.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, (std::vector<std::string>{"good.png", "  CODE128: Orvel-128"}));
    ASSERT_EQ(run.err.size(), 5u);
    EXPECT_EQ(run.err[0], "orvel-scan: empty: no picture in this folder: it is empty");
    EXPECT_EQ(run.err[1], "orvel-scan: tree: no picture in this folder; give -r to read its 2 sub-folders");
    EXPECT_EQ(run.err[2], "orvel-scan: other: no picture in this folder (.bmp, .jpg, .jpeg and .png files are read)");
    EXPECT_EQ(run.err[3].rfind("orvel-scan: cut.png: cannot decode PNG: ", 0), 0u) << run.err[3];
    EXPECT_EQ(run.err[4].rfind("orvel-scan: crc.png: cannot decode PNG: ", 0), 0u) << run.err[4];

    const TRun recursive = runScan(dir, "-r tree");
    EXPECT_EQ(recursive.status, 1);
    EXPECT_TRUE(recursive.out.empty());
    EXPECT_EQ(recursive.err, std::vector<std::string>{"orvel-scan: tree: no picture in this folder or its sub-folders"});

    const TRun json = runScan(dir, "--json cut.png");
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(json.err.empty());
    ASSERT_EQ(json.out.size(), 1u);
    EXPECT_NE(json.out[0].find("\"error\": \"cut.png: cannot decode PNG: "), std::string::npos) << json.out[0];
}

// The lines without their "ms" values, which differ from run to run.
std::vector<std::string> withoutTimes(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        const size_t at = line.find("\"ms\": ");
        if (at != std::string::npos) line.erase(at, line.find(',', at) - at);
    }
    return lines;
}

TEST(OrvelScanPictures, ParallelReadingGivesTheSameOutputInTheFilesOrder) {
    if (test::runCommand("command -v python3 > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not installed";
    const fs::path dir = test::testDirectory("cli-parallel");
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(sample(""))) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().parent_path().filename().string() + "-" + entry.path().filename().string();
        fs::copy_file(entry.path(), dir / name);
        names.push_back(name);
    }
    test::writeFile(dir / "qr.png", samplePng("QRCodeImages/qrcode.bmp"));
    placeJunkFile(dir / "junk.png");
    names.insert(names.end(), {"qr.png", "junk.png"});
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 15u);

    const TRun one = runScan(dir, "--json -j 1 .");
    const TRun two = runScan(dir, "--json -j 2 .");
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(withoutTimes(one.out), withoutTimes(two.out));
    fs::copy_file(dir / "stdout.txt", dir / "lines.json");

    // Every line is JSON with the result fields in order, files in name order.
    const std::string script =
        "import json,sys\n"
        "keys = ['family', 'symbology', 'text', 'success', 'x', 'y', 'bytes', 'identifier', 'position',\n"
        "        'orientation', 'eci', 'ecLevel', 'error']\n"
        "for line in open(sys.argv[1], encoding='utf-8'):\n"
        "    o = json.loads(line)\n"
        "    for r in o['results']:\n"
        "        assert list(r) == keys, list(r)\n"
        "        assert len(r['position']) == 4 and all(len(p) == 2 for p in r['position'])\n"
        "        assert bytes.fromhex(r['bytes']).decode('utf-8') == r['text'] or r['eci'], r\n"
        "    print('%s %d' % (o['file'], len(o['results'])))\n";
    const std::string summary = test::commandOutput("python3 -c " + test::shellQuote(script) + " " +
                                                    test::shellQuote((dir / "lines.json").string()));
    std::string expected;
    for (const std::string& name : names) expected += "./" + name + (name == "junk.png" ? " 0\n" : " 1\n");
    EXPECT_EQ(summary, expected);
}

TEST(OrvelScanPictures, ReadsAPictureFromStandardInput) {
    const fs::path dir = test::testDirectory("cli-stdin");
    test::writeFile(dir / "qr.png", samplePng("QRCodeImages/qrcode.bmp"));
    placeJunkFile(dir / "junk");
    const TRun fromFile = runScan(dir, "--json qr.png");
    const TRun fromInput = runScan(dir, "--json - < qr.png");
    EXPECT_EQ(fromInput.status, 0);
    ASSERT_EQ(fromInput.out.size(), 1u);
    ASSERT_EQ(fromFile.out.size(), 1u);
    const auto results = [](const std::string& line) { return line.substr(line.find("\"results\"")); };
    EXPECT_EQ(results(fromInput.out[0]), results(fromFile.out[0]));
    EXPECT_EQ(fromInput.out[0].rfind("{\"file\": \"-\"", 0), 0u) << fromInput.out[0];

    const TRun junk = runScan(dir, "- < junk");
    EXPECT_EQ(junk.status, 1);
    EXPECT_EQ(junk.err, std::vector<std::string>{"orvel-scan: -: unknown picture format (not PNG, JPEG or BMP)"});
}

TEST(OrvelScanPictures, AnnotateWritesThePictureWithTheSymbolDrawn) {
    const fs::path dir = test::testDirectory("cli-annotate");
    copySample("QRCodeImages/qrcode.bmp", dir / "qr.bmp");
    const TRun run = runScan(dir, "--annotate drawn.png qr.bmp");
    EXPECT_EQ(run.status, 0);
    const TVekImage source = loadPicture(dir / "qr.bmp");
    const TVekImage drawn = loadPicture(dir / "drawn.png");
    ASSERT_EQ(drawn.width, source.width);
    ASSERT_EQ(drawn.height, source.height);
    EXPECT_NE(std::count(drawn.pixelData().begin(), drawn.pixelData().end(), 0x00B000u), 0);

    EXPECT_EQ(runScan(dir, "--annotate drawn.png qr.bmp qr.bmp").status, 2);
}

TEST(OrvelScanPictures, DebugPngDrawsWhatThePhotoFrontEndsFound) {
    const fs::path dir = test::testDirectory("cli-debug-png");
    copySample("DatamatrixImages/datamatrix.bmp", dir / "dm.bmp");
    EXPECT_EQ(runScan(dir, "--debug-png found.png dm.bmp").status, 0);
    const TVekImage source = loadPicture(dir / "dm.bmp");
    const TVekImage drawn = loadPicture(dir / "found.png");
    ASSERT_EQ(drawn.width, source.width);
    size_t changed = 0;
    for (size_t i = 0; i < source.pixelData().size(); ++i) changed += source.pixelData()[i] != drawn.pixelData()[i];
    EXPECT_GT(changed, 0u) << "the Data Matrix front end draws its outline";
    EXPECT_EQ(runScan(dir, "--debug-png found.png dm.bmp dm.bmp").status, 2);
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(OrvelScanPictures, GS1TextModesAndStructuredAppendAcrossPictures) {
    ASSERT_TRUE(test::haveZint()) << "this test renders its symbols with zint";
    const fs::path dir = test::testDirectory("cli-gs1-merge");
    ASSERT_TRUE(test::zintRender("-b 71 --gs1 --scale=4 -d '[01]09501101530003[10]AB-123[17]140704'", dir / "gs1.png"));
    const std::vector<std::string> parts = {"Parts ", "of one ", "message"};
    for (size_t i = 0; i < parts.size(); ++i) {
        ASSERT_TRUE(test::zintRender("-b 58 --scale=3 --structapp=" + std::to_string(i + 1) + ",3,44 -d '" + parts[i] + "'",
                                     dir / ("part" + std::to_string(i + 1) + ".png")));
    }
    EXPECT_EQ(runScan(dir, "gs1.png").out,
              (std::vector<std::string>{"gs1.png", "  DATAMATRIX: 010950110153000310AB-123\\x1D17140704"}));
    EXPECT_EQ(runScan(dir, "--text-mode hri gs1.png").out,
              (std::vector<std::string>{"gs1.png", "  DATAMATRIX: (01)09501101530003(10)AB-123(17)140704"}));
    EXPECT_EQ(runScan(dir, "--text-mode=escaped gs1.png").out,
              (std::vector<std::string>{"gs1.png", "  DATAMATRIX: 010950110153000310AB-123<GS>17140704"}));
    const TRun json = runScan(dir, "--json gs1.png");
    ASSERT_EQ(json.out.size(), 1u);
    EXPECT_NE(json.out[0].find("\"gs1\": [{\"ai\": \"01\", \"value\": \"09501101530003\"}, {\"ai\": \"10\", "
                               "\"value\": \"AB-123\"}, {\"ai\": \"17\", \"value\": \"140704\"}]}"),
              std::string::npos)
        << json.out[0];

    // Without --merge-across each picture keeps its part; with it the message
    // is listed with the first picture given.
    EXPECT_EQ(runScan(dir, "--merge part3.png part1.png").out,
              (std::vector<std::string>{"part3.png", "  QRCODE: message", "part1.png", "  QRCODE: Parts "}));
    const TRun across = runScan(dir, "--merge-across -j 2 part3.png part1.png part2.png");
    EXPECT_EQ(across.status, 0);
    EXPECT_EQ(across.out, (std::vector<std::string>{
                              "part3.png", "  QRCODE: Parts of one message", "part1.png",
                              "  QRCODE part 1/3 joined into the message listed with part3.png", "part2.png",
                              "  QRCODE part 2/3 joined into the message listed with part3.png"}));
    // One part missing: the parts stay as they were.
    EXPECT_EQ(runScan(dir, "--merge-across part3.png part1.png").out,
              (std::vector<std::string>{"part3.png", "  QRCODE: message", "part1.png", "  QRCODE: Parts "}));
}

}  // namespace
}  // namespace orvel
