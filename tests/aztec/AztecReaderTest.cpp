// The Aztec reader end to end: zint renders symbols, the tests turn, scale and
// compress the pictures and read them back through `read`.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "aztec/VekAztecCodeReader.h"
#include "foundation/VekPictureLoader.h"
#include "qrcode/QRPictureTools.h"
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

}  // namespace
}  // namespace orvel
