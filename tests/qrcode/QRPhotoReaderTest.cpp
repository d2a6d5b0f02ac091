// Round trips of zint QR symbols through camera-like pictures into the photo
// front end, and what it must not find.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRPhotoReader.h"
#include "qrcode/VekQRVersionReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// The symbol's rows, trimmed to its width (zint pads rows to hex digits).
TModuleMatrix qrModules(const std::string& arguments) {
    TModuleMatrix rows = zintDump("-b QRCODE " + arguments);
    for (auto& row : rows) row.resize(rows.size());
    return rows;
}

TVekBarcodes readPhoto(const TVekGreyImage& grey, TVekReaderOptions options = {}) {
    options.returnErrors = true;
    TVekBinaryCache cache(grey);
    return TVekQRPhotoReader(options).read(cache);
}

// The decoded contents, failures as "!".
std::vector<std::string> contents(const TVekBarcodes& found) {
    std::vector<std::string> texts;
    for (const auto& b : found) texts.push_back(b.isValid ? b.bytes : "!" + b.error);
    return texts;
}

// Two symbols side by side with a light gap, as one module matrix.
TModuleMatrix sideBySide(const TModuleMatrix& a, const TModuleMatrix& b, size_t gap) {
    const size_t widthA = a[0].size();
    TModuleMatrix rows(std::max(a.size(), b.size()), std::vector<int>(widthA + gap + b[0].size(), 0));
    for (size_t r = 0; r < a.size(); ++r) std::copy(a[r].begin(), a[r].end(), rows[r].begin());
    for (size_t r = 0; r < b.size(); ++r) std::copy(b[r].begin(), b[r].end(), rows[r].begin() + widthA + gap);
    return rows;
}

class QRPhotoReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveZint()) GTEST_SKIP() << "zint not installed";
    }
};

}  // namespace

TEST_F(QRPhotoReaderTest, WarpedSymbolsDecodeExactly) {
    struct TCase {
        std::string data;
        std::string arguments;
    };
    const TCase cases[] = {
        {"HELLO 123", "--vers=1 --secure=2"},
        {"https://example.com/photo?reader=qr&tilt=40", "--vers=4 --secure=1"},
        {std::string(100, 'x') + "version seven and up say their version", "--vers=10 --secure=3"},
        {std::string(400, '7'), "--vers=16 --secure=2"},
    };
    std::mt19937 random(1616);
    std::uniform_real_distribution<double> moduleSize(1.5, 10);
    for (const TCase& c : cases) {
        const TModuleMatrix modules = qrModules(c.arguments + " -d " + shellQuote(c.data));
        ASSERT_FALSE(modules.empty());
        for (int trial = 0; trial < 6; ++trial) {
            // Small modules only with little tilt: at 1.5 pixels a foreshortened
            // module is below one pixel.
            const double size = trial < 2 ? 1.5 + trial * 0.5 : moduleSize(random);
            // Large symbols are held to less tilt: their grid bends only
            // through the one alignment pattern next to the bottom-right
            // corner, and at 40 degrees the finder distance misjudges their
            // version by more than the version blocks can correct.
            const double tilt = size < 3 ? 10 : modules.size() > 45 ? 20 : 40;
            int32_t width = 0, height = 0;
            const auto corners = tiltedCorners(random, (modules.size() + 8) * size, tilt, width, height);
            const TVekGreyImage picture = renderWarped(modules, corners, width, height, 4);
            const TVekBarcodes found = readPhoto(picture);
            EXPECT_EQ(contents(found), std::vector<std::string>{c.data})
                << c.arguments << " at " << size << " px per module, trial " << trial;
            if (found.empty() || !found.front().isValid) continue;
            const TVekBarcode& b = found.front();
            EXPECT_FALSE(b.isMirrored);
            EXPECT_FALSE(b.isInverted);
            EXPECT_EQ(b.symbologyIdentifier, "]Q1");
            // The symbol's own top-left corner is 4 quiet modules inside the
            // picture's top-left corner of the drawing.
            const double quiet = 4.0 / (modules.size() + 8);
            const TVekPointF expected = corners[0] + quiet * (corners[2] - corners[0]);
            EXPECT_LT(distance(b.position[0], expected), 1.5 * size + 2);
        }
    }
}

TEST_F(QRPhotoReaderTest, SmallSymbolsSeenAtASlantDecodeExactly) {
    // A keystone: one side of the symbol much nearer the camera than the
    // opposite one, each side in turn, so that the fourth corner lies far
    // from where the three finders' parallelogram puts it; small versions
    // have no alignment pattern to tell, and few pixels per module.
    const std::pair<std::string, std::string> cases[] = {{"SLANT", "--vers=1"}, {"SLANTED A LOT", "--vers=2"}};
    for (const auto& [data, arguments] : cases) {
        const TModuleMatrix modules = qrModules(arguments + " -d " + shellQuote(data));
        const double side = (modules.size() + 8) * 3.0;
        for (int turn = 0; turn < 4; ++turn) {
            // Far side 60 % of the near one, the depth foreshortened too.
            std::array<TVekPointF, 4> corners = {TVekPointF{0.2 * side, 0}, TVekPointF{0.8 * side, 0},
                                                 TVekPointF{side, 0.8 * side}, TVekPointF{0, 0.8 * side}};
            for (auto& p : corners) {
                p = p - TVekPointF{side / 2, side / 2};
                for (int t = 0; t < turn; ++t) p = {-p.y, p.x};
                p = p + TVekPointF{side / 2 + 10, side / 2 + 10};
            }
            const auto size = static_cast<int32_t>(side + 20);
            EXPECT_EQ(contents(readPhoto(renderWarped(modules, corners, size, size, 4))), std::vector<std::string>{data})
                << arguments << " turned " << turn;
        }
    }
}

TEST_F(QRPhotoReaderTest, SymbolsSeenSteeplySidewaysDecodeExactly) {
    // Seen from low and to the side: the near top-left finder is large, the
    // far ones small and sheared, and the corner at the top-left finder
    // opens to about 135 degrees; each quarter turn in turn.
    const std::string data = "MECARD:N:STEEP;;";
    const TModuleMatrix modules = qrModules("--vers=2 -d " + shellQuote(data));
    const int32_t size = 350;
    for (int turn = 0; turn < 4; ++turn) {
        std::array<TVekPointF, 4> corners = {TVekPointF{97, 150}, TVekPointF{300, 48}, TVekPointF{205, 215},
                                             TVekPointF{50, 298}};
        for (auto& p : corners) {
            p = p - TVekPointF{size / 2.0, size / 2.0};
            for (int t = 0; t < turn; ++t) p = {-p.y, p.x};
            p = p + TVekPointF{size / 2.0, size / 2.0};
        }
        EXPECT_EQ(contents(readPhoto(renderWarped(modules, corners, size, size, 1))), std::vector<std::string>{data})
            << "turned " << turn;
    }
}

TEST_F(QRPhotoReaderTest, MirroredInvertedAndShadedSymbols) {
    const std::string data = "Mirror, mirror on the wall";
    const TModuleMatrix modules = qrModules("--vers=3 --secure=2 -d " + shellQuote(data));
    std::mt19937 random(7);

    int32_t width = 0, height = 0;
    auto corners = tiltedCorners(random, (modules.size() + 8) * 4.0, 25, width, height);
    TVekBarcodes found = readPhoto(renderWarped(mirroredModules(modules), corners, width, height, 4));
    ASSERT_EQ(contents(found), std::vector<std::string>{data});
    EXPECT_TRUE(found[0].isMirrored);

    corners = tiltedCorners(random, (modules.size() + 8) * 3.0, 25, width, height);
    const TVekGreyImage inverted = renderWarped(modules, corners, width, height, 4, 235, 20);
    found = readPhoto(inverted);
    ASSERT_EQ(contents(found), std::vector<std::string>{data});
    EXPECT_TRUE(found[0].isInverted);
    TVekReaderOptions noInversion;
    noInversion.tryInvert = false;
    EXPECT_TRUE(readPhoto(inverted, noInversion).empty());

    corners = tiltedCorners(random, (modules.size() + 8) * 5.0, 30, width, height);
    const TVekGreyImage shaded = withGradient(renderWarped(modules, corners, width, height, 4), 1.0, 0.3);
    EXPECT_EQ(contents(readPhoto(shaded)), std::vector<std::string>{data});
}

TEST_F(QRPhotoReaderTest, SeveralSymbolsInOnePicture) {
    const TModuleMatrix a = qrModules("--vers=2 -d first");
    const TModuleMatrix b = qrModules("--vers=5 -d " + shellQuote("second, a little longer"));
    const TModuleMatrix c = qrModules("--vers=1 -d third");
    const TModuleMatrix row = sideBySide(sideBySide(a, b, 6), c, 6);
    std::mt19937 random(3);
    int32_t width = 0, height = 0;
    const auto corners = tiltedCorners(random, (row[0].size() + 8) * 4.0, 20, width, height);
    // tiltedCorners draws a square; stretch it to the row's proportions.
    std::array<TVekPointF, 4> wide = corners;
    const double ratio = static_cast<double>(row.size() + 8) / (row[0].size() + 8);
    wide[3] = corners[0] + ratio * (corners[3] - corners[0]);
    wide[2] = corners[1] + ratio * (corners[2] - corners[1]);
    std::vector<std::string> texts = contents(readPhoto(renderWarped(row, wide, width, height, 4)));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"first", "second, a little longer", "third"}));
}

TEST_F(QRPhotoReaderTest, EciDesignatorsSwitchTheCharacterSetWhereTheyStand) {
    // zint converts the UTF-8 input into Latin-1 "Grüße " and ISO 8859-5 "Мир".
    const TModuleMatrix modules = qrModules("--eci=3 -d " + shellQuote("Grüße ") + " --seg1=7," + shellQuote("Мир"));
    ASSERT_FALSE(modules.empty());
    const TVekBarcodes found = readPhoto(renderUpright(modules, 4));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].bytes, "Gr\xFC\xDF" "e \xBC\xD8\xE0");
    EXPECT_EQ(found[0].text(), "Grüße Мир");
    EXPECT_EQ(found[0].eciMarks, (std::vector<TVekEciMark>{{0, 3}, {6, 7}}));
    EXPECT_EQ(found[0].symbologyIdentifier, "]Q2");

    const TVekBarcodes gs1 = readPhoto(renderUpright(qrModules("--gs1 -d [01]09501101530003[10]AB1"), 4));
    ASSERT_EQ(gs1.size(), 1u);
    EXPECT_EQ(gs1[0].symbologyIdentifier, "]Q3");
    EXPECT_EQ(gs1[0].bytes, "0109501101530003" "10AB1");
}

TEST_F(QRPhotoReaderTest, StructuredAppendAndLevel) {
    const TVekBarcodes found = readPhoto(renderUpright(qrModules("--structapp=2,3,17 --secure=4 -d part"), 3));
    ASSERT_EQ(contents(found), std::vector<std::string>{"part"});
    EXPECT_EQ(found[0].ecLevel, "H");
    EXPECT_EQ(found[0].structuredAppend, (TVekStructuredAppend{1, 3, "17"}));
}

TEST(QRPhotoReaderNoise, FinderLikeSquaresGiveNothing) {
    // Finder patterns at random places, sizes and turns (upright), and random
    // modules between them: many triplets, no symbol.
    std::mt19937 random(99);
    TModuleMatrix field(120, std::vector<int>(160, 0));
    std::uniform_int_distribution<int> coin(0, 3);
    for (auto& row : field)
        for (auto& m : row) m = coin(random) == 0;
    std::uniform_int_distribution<int> place(0, 150);
    for (int i = 0; i < 30; ++i) {
        const int x0 = place(random) % 152, y0 = place(random) % 112;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) {
                const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
                field[y0 + y][x0 + x] = ring != 2;
            }
    }
    EXPECT_TRUE(readPhoto(renderUpright(field, 3)).empty());
    EXPECT_TRUE(readPhoto(renderUpright(field, 2)).empty());
}

TEST_F(QRPhotoReaderTest, PatternedGroundsGiveNothingAndSymbolsOnThemReadOnce) {
    // Grounds whose rows are all equal runs (a checkerboard, diagonal stripes,
    // a grid of squares) or random (noise) look like finder rows everywhere;
    // alone they give nothing, and a symbol laid on them (with its quiet
    // zone) still reads, once and with no failure beside it.
    std::mt19937 random(7);
    const std::vector<std::function<bool(int, int)>> grounds = {
        [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; },
        [](int x, int y) { return (x + y) % 6 < 3; },
        [](int x, int y) { return x % 10 < 5 && y % 10 < 5; },
        [&](int, int) { return (random() & 1) != 0; },
    };
    const TVekGreyImage symbol = renderUpright(qrModules("-d ground --vers=3"), 3);
    for (size_t g = 0; g < grounds.size(); ++g) {
        const int32_t width = 420, height = 360;
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = grounds[g](x, y) ? 30 : 220;
        EXPECT_TRUE(readPhoto(TVekGreyImage::fromPixels(pixels, width, height)).empty()) << "ground " << g;
        const int32_t left = 150, top = 40;
        for (int32_t y = 0; y < symbol.height(); ++y)
            for (int32_t x = 0; x < symbol.width(); ++x)
                pixels[static_cast<size_t>(top + y) * width + left + x] = symbol.get(x, y);
        EXPECT_EQ(contents(readPhoto(TVekGreyImage::fromPixels(pixels, width, height))),
                  std::vector<std::string>{"ground"})
            << "ground " << g;
    }
}

TEST(QRPhotoReaderParts, VersionInformationWords) {
    // Version 7's word as the symbology tables print it.
    EXPECT_EQ(TVekQRVersionReader::encode(7), 0x07C94u);
    EXPECT_EQ(TVekQRVersionReader::encode(40), 0x28C69u);
    for (int version = 7; version <= 40; ++version) {
        const uint32_t word = TVekQRVersionReader::encode(version);
        EXPECT_EQ(TVekQRVersionReader::decode(word ^ 0b100000001000000001u), version);
    }
    // Four wrong bits are as far from the version's word as from any other.
    EXPECT_EQ(TVekQRVersionReader::decode(0b1111 ^ TVekQRVersionReader::encode(20)), 0);
}

TEST(QRPhotoReaderParts, EciBetweenSegmentsOnlyWhenAsked) {
    // Byte "A", ECI 7, byte "B", terminator.
    auto stream = [] {
        TVekQRBitString bits;
        for (const uint32_t byte : {0x41u, 0x42u}) {
            bits.appendBits(4, 4);
            bits.appendBits(1, 8);
            bits.appendBits(byte, 8);
            if (byte == 0x41) {
                bits.appendBits(7, 4);
                bits.appendBits(7, 8);
            }
        }
        bits.appendBits(0, 4);
        return bits;
    };
    TVectorInteger values;
    TVekQRBitString documented = stream();
    EXPECT_THROW(TVekQRCWDecoder().decode(documented, 1, values), EVekQRCodeCWException);

    TVekQRCWDecoder photo;
    photo.setEciAnywhere(true);
    TVekQRBitString bits = stream();
    values.clear();
    photo.decode(bits, 1, values);
    EXPECT_EQ(values, (TVectorInteger{0x41, 0x42}));
    ASSERT_EQ(photo.eciSwitches().size(), 1u);
    EXPECT_EQ(photo.eciSwitches()[0].valueIndex, 1u);
    EXPECT_EQ(photo.eciSwitches()[0].eci, 7);
}
