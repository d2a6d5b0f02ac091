// The Aztec reader end to end: zint renders symbols, the tests turn, scale and
// compress the pictures and read them back through `read`.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <cstdio>
#include <memory>
#include <random>

#include "aztec/VekAztecCodeReader.h"
#include "foundation/VekPictureLoader.h"
#include "support/PictureTools.h"
#include "scan/VekScanStep.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

// zint draws two pixels per module at scale 1.
std::string zintScale(int modulePixels) {
    return std::to_string(modulePixels / 2) + (modulePixels % 2 ? ".5" : "");
}

class AztecReaderZint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
        dir = test::testDirectory("aztec_reader");
    }

    // A symbol with a white margin of four modules around it.
    TVekImage render(const std::string& options, const std::string& text, int modulePixels) {
        const auto path = dir / ("symbol" + std::to_string(counter++) + ".bmp");
        const bool rendered = test::zintRender("-b AZTEC --whitesp=4 --vwhitesp=4 --scale=" + zintScale(modulePixels) +
                                                   " " + options + " -d " + test::shellQuote(text),
                                               path);
        EXPECT_TRUE(rendered) << options;
        if (!rendered) return TVekImage(1, 1);
        return loadPictureFile(path);
    }

    std::filesystem::path dir;
    int counter = 0;
};

std::vector<std::string> texts(const TVekAztecDataArray& records) {
    std::vector<std::string> result;
    for (const auto& record : records) result.push_back(record.getValueAsString());
    return result;
}

std::vector<std::string> readTexts(TVekImage& picture) {
    TVekAztecCodeReader reader;
    return texts(reader.read(picture));
}

// zint's --vers for Aztec: 1 ... 4 compact with that many layers, 5 ... 36
// full-range with 1 ... 32 layers.
struct SymbolCase {
    int version;
    int modulePixels;
};

TEST_F(AztecReaderZint, CompactAndFullRangeSizesAtThreeToEightPixels) {
    const SymbolCase cases[] = {{1, 3}, {2, 4}, {3, 5}, {4, 6}, {1, 8},  {5, 3},  {6, 4},
                                {7, 5}, {8, 6}, {9, 7}, {12, 8}, {14, 3}, {20, 3}, {27, 3}};
    for (const auto& c : cases) {
        const std::string text = "Aztec " + std::to_string(c.version) + "/" + std::to_string(c.modulePixels) + "px";
        SCOPED_TRACE(text);
        TVekImage picture = render("--vers=" + std::to_string(c.version), text, c.modulePixels);
        EXPECT_EQ(readTexts(picture), std::vector<std::string>{text});
    }
}

TEST_F(AztecReaderZint, QuarterTurns) {
    for (const int version : {2, 7}) {
        TVekImage upright = render("--vers=" + std::to_string(version), "Turned by quarters", 4);
        for (int quarters = 0; quarters < 4; ++quarters) {
            SCOPED_TRACE("version " + std::to_string(version) + ", quarters " + std::to_string(quarters));
            TVekImage picture = test::rotateQuarters(upright, quarters);
            EXPECT_EQ(readTexts(picture), std::vector<std::string>{"Turned by quarters"});
        }
    }
}

// The turns the bull's-eye's extreme pixels describe worst: a few degrees, in
// both directions and near each quarter.
TEST_F(AztecReaderZint, SmallAndLargeAngles) {
    for (const int version : {1, 3, 6}) {
        TVekImage upright = render("--vers=" + std::to_string(version), "Turned a little", 6);
        for (const double degrees : {2.0, -3.0, 7.5, -10.0, 17.0, 30.0, -38.0, 95.0, 186.0, 263.0, 280.0}) {
            SCOPED_TRACE("version " + std::to_string(version) + ", " + std::to_string(degrees) + " degrees");
            TVekImage picture = test::rotateByDegrees(upright, degrees);
            EXPECT_EQ(readTexts(picture), std::vector<std::string>{"Turned a little"});
        }
    }
}

// Large full-range symbols need the direction and module size to a fraction
// of a degree and percent at their corners: the reference grid gives them.
TEST_F(AztecReaderZint, LargeSymbolsTurnedALittle) {
    for (const int version : {20, 36}) {
        TVekImage upright = render("--vers=" + std::to_string(version), "A large symbol", 6);
        for (const double degrees : {0.0, -2.0, 3.0, 5.0, -8.0, 20.0}) {
            SCOPED_TRACE("version " + std::to_string(version) + ", " + std::to_string(degrees) + " degrees");
            TVekImage picture = degrees == 0 ? upright.getCopy() : test::rotateByDegrees(upright, degrees);
            EXPECT_EQ(readTexts(picture), std::vector<std::string>{"A large symbol"});
        }
    }
}

TEST_F(AztecReaderZint, JpegPictures) {
    for (const auto& c : {SymbolCase{2, 4}, SymbolCase{5, 5}, SymbolCase{10, 6}}) {
        TVekImage original = render("--vers=" + std::to_string(c.version), "Through JPEG 2026", c.modulePixels);
        for (const int quality : {90, 75}) {
            SCOPED_TRACE("version " + std::to_string(c.version) + ", quality " + std::to_string(quality));
            TVekImage picture = test::jpegRoundTrip(original, quality);
            EXPECT_EQ(readTexts(picture), std::vector<std::string>{"Through JPEG 2026"});
        }
    }
}

// Content through every character mode, the punctuation pairs (". ", ", ",
// ": ", CR LF) and a binary run: the whole value list must come back.
TEST_F(AztecReaderZint, ContentOfEveryMode) {
    const std::string texts[] = {"Done. one, two: three\r\nEND", "MiXeD cAsE 42 @\\\\^_`|~ {x} [y] <z>",
                                 "0123456789012345678901234567890123456789"};
    for (const std::string& escapedText : texts) {
        SCOPED_TRACE(escapedText);
        TVekImage picture = render("--esc", escapedText, 5);
        TVekAztecCodeReader reader;
        const TVekAztecDataArray records = reader.read(picture);
        ASSERT_EQ(records.size(), 1u);
        std::string expected;
        for (size_t i = 0; i < escapedText.size(); ++i) {
            if (escapedText[i] == '\\' && i + 1 < escapedText.size()) {
                const char next = escapedText[++i];
                expected += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
            } else {
                expected += escapedText[i];
            }
        }
        EXPECT_EQ(records[0].getValueAsString(), expected);
    }
    TVekImage binary = render("--binary --esc", "\\x00\\x80\\xFF\\xC3\\xA9 bytes", 4);
    EXPECT_EQ(readTexts(binary), std::vector<std::string>{std::string("\x00\x80\xFF\xC3\xA9 bytes", 11)});
}

// The record: bull's-eye centre (Floor), codeword size, success; the reader
// keeps what the last mode message said.
TEST_F(AztecReaderZint, RecordAndModeMessage) {
    TVekImage compactPicture = render("--vers=1", "AB", 4);
    TVekAztecCodeReader compactReader;
    const TVekAztecDataArray compactRecords = compactReader.read(compactPicture);
    ASSERT_EQ(compactRecords.size(), 1u);
    // 15 modules of 4 pixels after a 4-module margin: the centre module spans
    // pixels 44 ... 47, whose mean is 45.5.
    EXPECT_EQ(compactRecords[0].x, 45);
    EXPECT_EQ(compactRecords[0].y, 45);
    EXPECT_EQ(compactRecords[0].codewordSize, 6);
    EXPECT_TRUE(compactRecords[0].success);
    EXPECT_EQ(compactRecords[0].getValue(), (TVectorInteger{65, 66}));
    EXPECT_TRUE(compactReader.compact);
    EXPECT_EQ(compactReader.layers, 1);
    EXPECT_EQ(compactReader.configuration, 0);

    TVekImage fullPicture = render("--vers=13", "Nine layers", 3);
    TVekAztecCodeReader fullReader;
    const TVekAztecDataArray fullRecords = fullReader.read(fullPicture);
    ASSERT_EQ(fullRecords.size(), 1u);
    EXPECT_EQ(fullRecords[0].codewordSize, 10);
    EXPECT_FALSE(fullReader.compact);
    EXPECT_EQ(fullReader.layers, 9);
    EXPECT_EQ(fullRecords[0].toString().find("   Value:  78 105 110 101"), 0u);
}

TEST_F(AztecReaderZint, PicturesWithoutSymbol) {
    TVekImage blank(300, 200);
    EXPECT_TRUE(readTexts(blank).empty());

    // Grey noise: many small regions, none a bull's-eye.
    TVekImage noise(400, 300);
    std::mt19937 random(7);
    for (int y = 0; y < noise.height; ++y)
        for (int x = 0; x < noise.width; ++x) noise.setPixel(x, y, random() % 2 ? BLACK : WHITE);
    EXPECT_TRUE(readTexts(noise).empty());

    // A QR Code symbol has concentric squares, but no bull's-eye.
    const auto path = dir / "qr.bmp";
    ASSERT_TRUE(test::zintRender("-b QRCODE --scale=2 -d 'not an Aztec symbol'", path));
    TVekImage qr = loadPictureFile(path);
    EXPECT_TRUE(readTexts(qr).empty());
}

TEST_F(AztecReaderZint, TwoSymbolsAndASpoiledOne) {
    TVekImage first = render("--vers=2", "first", 4);
    TVekImage second = render("--vers=6", "second", 4);
    TVekImage both = test::sideBySide(first, second, 20);
    EXPECT_EQ(readTexts(both), (std::vector<std::string>{"first", "second"}));

    // Dark bars across the data layers of the first symbol: its mode message
    // reads, its data does not correct; the second is still read.
    TVekImage spoiled = render("--vers=2", "spoiled", 4);
    for (int y = 16; y < spoiled.height - 16; y += 6)
        for (int x = 16; x < spoiled.width - 16; ++x)
            if (y < 60 || y > 100) spoiled.setPixel(x, y, BLACK);
    TVekImage mixed = test::sideBySide(spoiled, second, 20);
    EXPECT_EQ(readTexts(mixed), std::vector<std::string>{"second"});
}

// The demo's sample folder and the scan step: log lines and results.
TEST(AztecReaderSamples, SamplePicturesAndScanStep) {
    const std::filesystem::path folder = std::filesystem::path(ORVEL_SOURCE_DIR) / "samples/AztecImages";
    const struct {
        const char* file;
        const char* text;
    } samples[] = {{"aztec.bmp", "VekBarcode Orvel"}, {"aztec-numbers.jpg", "0123456789"}};
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.file);
        TVekImage picture = loadPictureFile(folder / sample.file);
        writeStartOfClickSettings(TVekScanFamily::aztec);
        const TVekScanResults results = scanPicture(TVekScanFamily::aztec, picture);
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].symbology, "AZTEC");
        EXPECT_EQ(results[0].text, sample.text);
        EXPECT_TRUE(results[0].success);
        ASSERT_EQ(results[0].logLines.size(), 1u);
        EXPECT_EQ(results[0].logLines[0].rfind("Barcode  found    Value:  ", 0), 0u);
        EXPECT_NE(results[0].logLines[0].find(std::string("Text=") + sample.text + "   X1: "), std::string::npos);
        EXPECT_NE(results[0].logLines[0].find(",  decoding was succesfull"), std::string::npos);
    }
}

std::string runScanner(const std::string& arguments) {
    return test::commandOutput(std::string(ORVEL_SCAN_PATH) + " " + arguments + " 2>/dev/null");
}

TEST_F(AztecReaderZint, ThroughOrvelScan) {
    TVekImage turned = test::rotateQuarters(render("--vers=3", "orvel-scan Aztec", 4), 3);
    const auto jpg = dir / "scan.jpg";
    test::writeFile(jpg, test::encodeJpeg(turned, 85));
    const std::string plain = runScanner("--classic --family aztec " + test::shellQuote(jpg.string()));
    EXPECT_NE(plain.find("aztec: Barcode  found    Value:  111 114 118"), std::string::npos) << plain;
    EXPECT_NE(plain.find("Text=orvel-scan Aztec"), std::string::npos) << plain;
    const std::string json = runScanner("--json --family aztec " + test::shellQuote(jpg.string()));
    EXPECT_NE(json.find("\"family\": \"aztec\", \"symbology\": \"AZTEC\", \"text\": \"orvel-scan Aztec\", "
                        "\"success\": true"),
              std::string::npos)
        << json;
}

}  // namespace
}  // namespace orvel
