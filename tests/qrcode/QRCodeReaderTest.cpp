#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "QRPictureTools.h"
#include "QRSymbolBuilder.h"
#include "qrcode/VekQRCodeReader.h"
#include "foundation/VekPictureLoader.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

class QRCodeReaderZint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
        dir = test::testDirectory("qrcode_reader");
    }

    TVekImage render(const std::string& options, const std::string& text, int modulePixels) {
        const auto path = dir / ("symbol" + std::to_string(counter++) + ".bmp");
        auto image = test::renderQRPicture(options + " -d " + test::shellQuote(text), modulePixels, path);
        EXPECT_TRUE(image.has_value()) << options;
        return image ? std::move(*image) : TVekImage(1, 1);
    }

    std::filesystem::path dir;
    int counter = 0;
};

// The successful records' texts.
std::vector<std::string> decodedTexts(const TVekQRCodeDataArray& records) {
    std::vector<std::string> texts;
    for (const auto& record : records)
        if (record.success) texts.push_back(record.getValueAsString());
    return texts;
}

void expectReads(TVekImage& picture, const std::string& text) {
    TVekQRCodeReader reader;
    const TVekQRCodeDataArray records = reader.read(picture);
    EXPECT_EQ(decodedTexts(records), std::vector<std::string>{text});
}

TEST_F(QRCodeReaderZint, VersionsLevelsAndModuleSizes) {
    const struct {
        int version, level, modulePixels;
    } cases[] = {{1, 1, 3}, {2, 2, 4}, {3, 4, 5}, {5, 3, 6}, {7, 1, 3}, {10, 2, 7}, {14, 4, 4},
                 {20, 3, 3}, {25, 1, 8}, {1, 3, 10}, {4, 2, 9}, {40, 1, 3}};
    for (const auto& c : cases) {
        const std::string text = "v" + std::to_string(c.version) + "/" + std::to_string(c.level) + "/" +
                                 std::to_string(c.modulePixels) + "px";
        SCOPED_TRACE(text);
        TVekImage picture = render("--vers=" + std::to_string(c.version) + " --secure=" + std::to_string(c.level),
                                   text, c.modulePixels);
        expectReads(picture, text);
    }
}

TEST_F(QRCodeReaderZint, RotatedPictures) {
    for (int version : {1, 4, 9}) {
        const std::string text = "turned version " + std::to_string(version);
        const TVekImage upright = render("--vers=" + std::to_string(version), text, 4);
        for (int quarters : {1, 2, 3}) {
            SCOPED_TRACE(text + " by " + std::to_string(90 * quarters));
            TVekImage picture = test::rotateQuarters(upright, quarters);
            expectReads(picture, text);
        }
        for (double degrees : {3.0, -5.0, 8.0}) {
            SCOPED_TRACE(text + " by " + std::to_string(degrees));
            TVekImage picture = test::rotateByDegrees(upright, degrees);
            expectReads(picture, text);
        }
    }
}

TEST_F(QRCodeReaderZint, JpegPictures) {
    for (int quality : {90, 60}) {
        const std::string text = "JPEG quality " + std::to_string(quality) + " https://example.org/qr";
        TVekImage picture = test::jpegRoundTrip(render("--vers=6 --secure=2", text, 5), quality);
        SCOPED_TRACE(text);
        expectReads(picture, text);
    }
}

TEST_F(QRCodeReaderZint, PictureWithoutSymbol) {
    TVekImage blank(300, 200);
    EXPECT_TRUE(TVekQRCodeReader().read(blank).empty());
    // Bars and squares but no finder pattern.
    TVekImage bars(300, 200);
    for (int y = 20; y < 180; ++y)
        for (int x = 20; x < 280; ++x)
            if ((x / 7) % 3 == 0 || (y / 11) % 4 == 0) bars.setPixel(x, y, BLACK);
    EXPECT_TRUE(TVekQRCodeReader().read(bars).empty());
}

TEST_F(QRCodeReaderZint, TwoSymbolsGiveTwoRecords) {
    const TVekImage first = render("--vers=3", "first symbol", 4);
    const TVekImage second = render("--vers=2 --secure=3", "second symbol", 6);
    TVekImage picture = test::sideBySide(first, second, 30);
    const TVekQRCodeDataArray records = TVekQRCodeReader().read(picture);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(decodedTexts(records), (std::vector<std::string>{"first symbol", "second symbol"}));
    // The records carry the finder centres: the second symbol lies to the right.
    EXPECT_LT(records[0].x1, records[1].x1);
    EXPECT_LT(records[0].x1, records[0].x2);
    EXPECT_LT(records[0].y1, records[0].y3);
}

TEST_F(QRCodeReaderZint, AFailedSymbolKeepsTheOthersRecords) {
    // The first symbol's data area is painted over: it yields a failed record,
    // the second still decodes.
    TVekImage first = render("--vers=2 --secure=1", "spoiled", 4);
    for (int y = 16 + 9 * 4; y < 16 + 21 * 4; ++y)
        for (int x = 16 + 9 * 4; x < 16 + 21 * 4; ++x) first.setPixel(x, y, BLACK);
    const TVekImage second = render("--vers=2 --secure=4", "intact", 6);
    TVekImage picture = test::sideBySide(first, second, 24);
    const TVekQRCodeDataArray records = TVekQRCodeReader().read(picture);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[0].success);
    EXPECT_TRUE(records[0].getValue().empty());
    EXPECT_EQ(decodedTexts(records), std::vector<std::string>{"intact"});
}

TEST_F(QRCodeReaderZint, ModuleSizeLimitsAndTheRightEdge) {
    // 2 pixels per module is at the lower limit and is not searched.
    TVekImage tiny = render("--vers=2", "two pixels", 2);
    EXPECT_TRUE(TVekQRCodeReader().read(tiny).empty());
    // 30 pixels per module is at the upper limit.
    TVekImage huge = render("--vers=1", "thirty pixels", 30);
    EXPECT_TRUE(TVekQRCodeReader().read(huge).empty());
    TVekImage large = render("--vers=1", "twenty-nine", 29);
    expectReads(large, "twenty-nine");

    // A finder pattern cut by the right edge is never tested.
    const auto path = dir / "noquiet.bmp";
    ASSERT_TRUE(test::zintRender("-b QRCODE --scale=2 -d edge", path));
    TVekImage cut = loadPictureFile(path);
    EXPECT_TRUE(TVekQRCodeReader().read(cut).empty());
    TVekImage padded = test::sideBySide(cut, TVekImage(1, 1), 16);
    expectReads(padded, "edge");
}

// Runs orvel-scan with the arguments, returns its standard output.
std::string runScanner(const std::string& arguments) {
    return test::commandOutput(std::string(ORVEL_SCAN_PATH) + " " + arguments + " 2>/dev/null");
}

TEST_F(QRCodeReaderZint, ThroughOrvelScan) {
    const auto bmp = dir / "scan.bmp";
    ASSERT_TRUE(test::renderQRPicture("--vers=4 -d 'orvel-scan QR'", 4, bmp).has_value());
    TVekImage rotated = test::rotateQuarters(loadPictureFile(bmp), 2);
    const auto jpg = dir / "scan.jpg";
    test::writeFile(jpg, test::encodeJpeg(rotated, 85));

    const std::string plain = runScanner("--classic --family qr " + test::shellQuote(bmp.string()));
    EXPECT_NE(plain.find("Barcode  found    Value:  111 114 118"), std::string::npos) << plain;
    EXPECT_NE(plain.find("Text=orvel-scan QR"), std::string::npos) << plain;
    EXPECT_NE(plain.find("decoding was succesfull"), std::string::npos) << plain;

    const std::string json = runScanner("--json --family qr " + test::shellQuote(jpg.string()));
    EXPECT_NE(json.find("\"family\": \"qr\", \"symbology\": \"QRCODE\", \"text\": \"orvel-scan QR\", "
                        "\"success\": true"),
              std::string::npos)
        << json;
}

}  // namespace
}  // namespace orvel
