#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ReaderPictureTools.h"
#include "foundation/VekROrvelConfiguration.h"
#include "oned/VekBarcode1DReader.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using test::haveZint;

// A symbol rendered by zint and what the reader with all nine symbologies
// enabled reports for it.
struct TLinearSample {
    std::string name;
    std::string zintArguments;
    int32_t symbology;
    std::string text;
};

const std::vector<TLinearSample>& linearSamples() {
    static const std::vector<TLinearSample> samples = {
        {"Code128", "-b 20 -d \"Orvel-128\"", SYMBOLOGY_CODE128, "Orvel-128"},
        {"EAN13", "-b 13 -d 590123412345", SYMBOLOGY_EAN13, "5901234123457"},
        {"EAN8", "-b 13 -d 9638507", SYMBOLOGY_EAN8, "96385074"},
        // EAN-13 is tried before UPC-A and reads a UPC-A symbol as its EAN-13 form.
        {"UPCA", "-b 34 -d 01234567890", SYMBOLOGY_EAN13, "0012345678905"},
        {"UPCE", "-b 37 -d 0123456", SYMBOLOGY_UPCE, "12345000065"},
        {"Code39", "-b 8 -d \"CODE39 TEST\"", SYMBOLOGY_CODE39, "CODE39 TEST"},
        {"Interleaved25", "-b 3 -d 12345678", SYMBOLOGY_INTERLEAVED25, "12345678"},
        // Interleaved 2 of 5 is tried first and reads the same digits.
        {"Identcode", "-b 22 -d 12345678901", SYMBOLOGY_INTERLEAVED25, "123456789016"},
        {"Codabar", "-b 18 -d A123456B", SYMBOLOGY_CODABAR, "123456"},
    };
    return samples;
}

// The settings the demonstration program writes before each 1D picture.
class LinearReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = orvelConfiguration;
        orvelConfiguration.maxObjectSize = 10000;
        orvelConfiguration.minObjectSize = 15;
        orvelConfiguration.minBarLength = 10;
        orvelConfiguration.maxBarLength = 500;
        orvelConfiguration.maxAngleDifference = 10;
    }
    void TearDown() override { orvelConfiguration = saved; }

    static TVekBarcodeDataArray read(TVekImage& image, int32_t symbologies = 511, bool returnCandidates = false) {
        TVekBarcode1DReader reader;
        reader.setSymbologies(symbologies);
        return reader.scan(image, returnCandidates);
    }

    std::optional<TVekImage> render(const TLinearSample& sample, int modulePixels) {
        return test::renderLinearSymbol(sample.zintArguments, modulePixels,
                                        test::testDirectory("oned_reader") / (sample.name + ".bmp"));
    }

    TVekROrvelConfiguration saved;
};

// The decoded records of a picture as "SYMBOLOGY text" lines. Outside Code
// 128 (whose function characters the text writes as markers) the content
// carried as data is the text itself.
std::vector<std::string> decoded(const TVekBarcodeDataArray& records) {
    std::vector<std::string> lines;
    for (const TVekBarcodeData& record : records) {
        if (!record.getCandidate() && record.getSymbology() != SYMBOLOGY_CODE128) {
            EXPECT_EQ(record.getContent().bytes, record.getValue());
            EXPECT_TRUE(record.getContent().functions.empty());
        }
        lines.push_back((record.getCandidate() ? std::string("candidate") : symbologyName(record.getSymbology())) +
                        " " + record.getValue());
    }
    return lines;
}

std::string expectedLine(const TLinearSample& sample) { return symbologyName(sample.symbology) + " " + sample.text; }

TEST_F(LinearReaderTest, ReadsEverySymbologyAtTwoToSixPixelsPerModuleInEveryOrientation) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    for (const TLinearSample& sample : linearSamples()) {
        for (int modulePixels = 2; modulePixels <= 6; ++modulePixels) {
            const std::optional<TVekImage> upright = render(sample, modulePixels);
            ASSERT_TRUE(upright) << sample.name;
            const std::vector<std::string> expected = {expectedLine(sample)};
            for (int quarters = 0; quarters < 4; ++quarters) {
                TVekImage picture = test::rotateQuarters(*upright, quarters);
                EXPECT_EQ(decoded(read(picture)), expected)
                    << sample.name << " at " << modulePixels << " px/module, turned " << 90 * quarters;
            }
            for (double degrees : {-7.0, -2.5, 3.0, 6.0}) {
                TVekImage picture = test::rotateByDegrees(*upright, degrees);
                EXPECT_EQ(decoded(read(picture)), expected)
                    << sample.name << " at " << modulePixels << " px/module, turned " << degrees;
            }
            TVekImage compressed = test::jpegRoundTrip(*upright, 75);
            EXPECT_EQ(decoded(read(compressed)), expected) << sample.name << " at " << modulePixels << " px/module, JPEG";
            TVekImage turnedCompressed = test::jpegRoundTrip(test::rotateByDegrees(*upright, 4.0), 75);
            EXPECT_EQ(decoded(read(turnedCompressed)), expected)
                << sample.name << " at " << modulePixels << " px/module, turned 4 and JPEG";
        }
    }
}

TEST_F(LinearReaderTest, TwoSymbolsComeOutInReverseOrderOfTheirCandidates) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    const std::optional<TVekImage> code128 = render(linearSamples()[0], 3);
    const std::optional<TVekImage> ean13 = render(linearSamples()[1], 3);
    ASSERT_TRUE(code128 && ean13);
    // Far enough apart to form two groups: the upper symbol's regions come
    // first, so its candidate is first and its record last.
    TVekImage picture = test::placeAbove(*code128, *ean13, 150);
    EXPECT_EQ(decoded(read(picture)), (std::vector<std::string>{"EAN13 5901234123457", "CODE128 Orvel-128"}));
}

TEST_F(LinearReaderTest, ReadsOnlyTheEnabledSymbologies) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    const TLinearSample& code128 = linearSamples()[0];
    const TLinearSample& ean13 = linearSamples()[1];
    std::optional<TVekImage> picture = render(ean13, 3);
    ASSERT_TRUE(picture);
    EXPECT_EQ(decoded(read(*picture, SYMBOLOGY_EAN13)), std::vector<std::string>{expectedLine(ean13)});

    picture = render(code128, 3);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(read(*picture, SYMBOLOGY_EAN13).empty());
    // Located but not decoded: a candidate record without text or position.
    const TVekBarcodeDataArray candidates = read(*picture, SYMBOLOGY_EAN13, true);
    ASSERT_FALSE(candidates.empty());
    for (const TVekBarcodeData& record : candidates) {
        EXPECT_TRUE(record.getCandidate());
        EXPECT_EQ(record.getSymbology(), SYMBOLOGY_CODE128);
        EXPECT_EQ(record.toString(), "Type unknown   Value: ,   X: 0,   Y: 0,");
    }

    // Alone, the UPC-A and Identcode parsers report their own symbologies.
    picture = render(linearSamples()[3], 3);
    ASSERT_TRUE(picture);
    EXPECT_EQ(decoded(read(*picture, SYMBOLOGY_UPCA)), std::vector<std::string>{"UPCA 012345678905"});
    picture = render(linearSamples()[7], 3);
    ASSERT_TRUE(picture);
    EXPECT_EQ(decoded(read(*picture, SYMBOLOGY_IDENTCODE)), std::vector<std::string>{"IDENTCODE 123456789016"});
}

TEST_F(LinearReaderTest, RecordPositionIsTheFirstCornerOfItsCandidate) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    std::optional<TVekImage> picture = render(linearSamples()[0], 2);
    ASSERT_TRUE(picture);
    const TVekBarcodeDataArray records = read(*picture);
    ASSERT_EQ(records.size(), 1u);
    // The first bar's pixel nearest the origin: the symbol's top-left corner
    // inside the 20-pixel margin.
    EXPECT_EQ(records[0].getX(), 20);
    EXPECT_EQ(records[0].getY(), 20);
}

TEST_F(LinearReaderTest, PictureWithoutBarsGivesNothing) {
    TVekImage blank(200, 100);
    EXPECT_TRUE(read(blank, 511, true).empty());
    TVekImage speckled(200, 100);
    for (int y = 0; y < 100; y += 7)
        for (int x = (y / 7) % 5; x < 200; x += 5) speckled.setPixel(x, y, 0x101010);
    EXPECT_TRUE(read(speckled, 511, true).empty());
    TVekImage empty(0, 0);
    EXPECT_TRUE(read(empty, 511, true).empty());
}

TEST_F(LinearReaderTest, RetriesOnAContrastSwitchedCopyOfThePicture) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    std::optional<TVekImage> picture = render(linearSamples()[0], 3);
    ASSERT_TRUE(picture);
    // Grey print, which a contrast stretch would change.
    for (uint32_t& pixel : picture->pixelData()) pixel = pixel == WHITE ? 0xD0D0D0 : 0x404040;
    const std::vector<uint32_t> before = picture->pixelData();
    TVekBarcode1DReader reader;
    reader.setSymbologies(SYMBOLOGY_EAN13);  // cannot read Code 128: both passes run
    const TVekBarcodeDataArray records = reader.scan(*picture, true);
    EXPECT_FALSE(records.empty());
    EXPECT_TRUE(reader.enhanceContrast);           // flipped by the retry, and kept
    EXPECT_EQ(picture->pixelData(), before);       // the stretch worked on a copy
    reader.setSymbologies(511);
    EXPECT_EQ(decoded(reader.scan(*picture, false)), std::vector<std::string>{"CODE128 Orvel-128"});
}

TEST_F(LinearReaderTest, OrvelScanLogsTheLinearSymbols) {
    if (!haveZint()) GTEST_SKIP() << "zint is not installed";
    const std::filesystem::path folder = test::testDirectory("oned_orvel_scan");
    ASSERT_TRUE(test::zintRender("-b 13 -d 590123412345 --scale=1.5", folder / "ean13.bmp"));
    ASSERT_TRUE(test::zintRender("-b 18 -d A123456B --scale=1", folder / "codabar.bmp"));
    const std::filesystem::path output = folder / "out.txt";
    ASSERT_EQ(test::runCommand(test::shellQuote(ORVEL_SCAN_PATH) + " --classic --family 1d " +
                               test::shellQuote(folder.string()) + " > " + test::shellQuote(output.string())),
              0);
    std::ifstream in(output);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("1d: Barcode  found Type: CODABAR   Value: 123456,"), std::string::npos) << log;
    EXPECT_NE(log.find("1d: Barcode  found Type: EAN13   Value: 5901234123457,"), std::string::npos) << log;
}

// Random bars, blots and noise: whatever the reader makes of them, it must
// neither crash nor read outside the picture (the sanitizer build checks).
TEST_F(LinearReaderTest, RandomPicturesAreReadWithoutFaults) {
    std::mt19937 random(2026);
    for (int picture = 0; picture < 12; ++picture) {
        TVekImage image(120 + random() % 300, 60 + random() % 200);
        for (uint32_t& pixel : image.pixelData()) pixel = (random() % 4 == 0) ? 0x202020 : 0xE0E0E0;
        for (int bar = 0; bar < 40; ++bar) {
            const int x = random() % image.width, width = 1 + random() % 6, top = random() % image.height;
            const int length = 10 + random() % 120;
            for (int y = top; y < top + length; ++y)
                for (int dx = 0; dx < width; ++dx) image.setPixel(x + dx + (y - top) * (picture % 3) / 7, y, 0x101010);
        }
        TVekImage turned = test::rotateByDegrees(image, static_cast<double>(random() % 360));
        for (TVekImage* candidate : {&image, &turned}) {
            const TVekBarcodeDataArray records = read(*candidate, 511, true);
            for (const TVekBarcodeData& record : records) EXPECT_FALSE(record.toString().empty());
        }
    }
}

}  // namespace
}  // namespace orvel
