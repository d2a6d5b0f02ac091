// The MaxiCode photo front end: zint symbols at their printed size seen at
// 100 to 300 dpi, turned, tilted and blurred, read back exactly; pictures
// without a bull's-eye read nothing; orvel-scan names the family.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPictureLoader.h"
#include "maxicode/VekMaxiCodeBullsEyeFinder.h"
#include "maxicode/VekMaxiCodeGrid.h"
#include "maxicode/VekMaxiCodePhotoReader.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

// The smallest modules zint draws, in pixels.
constexpr double kZintSmallest = 5.0;

TVekBarcodes readPhoto(const TVekGreyImage& grey) {
    TVekBinaryCache picture(grey);
    return TVekMaxiCodePhotoReader(TVekReaderOptions{}).read(picture);
}

// zint's own picture of the symbol, about `pixelsPerModule` pixels a module
// (its scale gives some ten pixels a module per unit, and goes no lower
// than half).
TVekGreyImage renderByZint(const std::string& arguments, double pixelsPerModule) {
    const auto path = test::testDirectory("maxicode") / "symbol.png";
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.3f", std::max(pixelsPerModule, kZintSmallest) / 10);
    if (!test::zintRender("-b MAXICODE --scale=" + std::string(scale) + " " + arguments, path)) return {};
    return TVekGreyImage(loadPicture(path));
}

// The symbol drawn from zint's module dump with its true geometry (zint's
// own raster pictures stretch the rows by some percent): hexagons as discs
// across the module, the three rings, `pixelsPerModule` pixels a module
// width, two by two sub-samples a pixel, a margin of one module.
TVekGreyImage renderHexagons(const std::string& arguments, double pixelsPerModule) {
    const auto modules = test::zintDump("-b MAXICODE " + arguments);
    if (modules.size() != 33) return {};
    const int32_t size = static_cast<int32_t>(std::ceil(32 * pixelsPerModule));
    TVekGreyImage picture(size, size, 255);
    auto dark = [&](double u, double v) {
        const double r = std::hypot(u, v);
        if ((r > 0.577 && r < 1.361) || (r > 2.146 && r < 2.931) || (r > 3.715 && r < 4.5)) return true;
        const int32_t nearRow = static_cast<int32_t>(std::nearbyint(v / TVekMaxiCodeGrid::rowPitch + 16));
        for (int32_t row = nearRow - 1; row <= nearRow + 1; ++row) {
            if (row < 0 || row >= 33) continue;
            const int32_t column = static_cast<int32_t>(std::nearbyint(u + 14 - 0.5 * (row & 1)));
            if (column < 0 || column >= 30 || !modules[static_cast<size_t>(row)][static_cast<size_t>(column)]) continue;
            const TVekPointF centre = TVekMaxiCodeGrid::moduleCentre(row, column);
            if (std::hypot(u - centre.x, v - centre.y) < 0.52) return true;
        }
        return false;
    };
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            int darkCount = 0;
            for (int sy = 0; sy < 2; ++sy)
                for (int sx = 0; sx < 2; ++sx)
                    darkCount += dark((x + 0.25 + 0.5 * sx) / pixelsPerModule - 15.5, (y + 0.25 + 0.5 * sy) / pixelsPerModule - 16);
            const_cast<uint8_t*>(picture.row(y))[x] = static_cast<uint8_t>(255 - darkCount * 60);
        }
    return picture;
}

double bilinear(const TVekGreyImage& grey, double x, double y) {
    const double fx = x - 0.5, fy = y - 0.5;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    auto at = [&](int px, int py) { return static_cast<double>(grey.getOrWhite(px, py)); };
    return (at(ix, iy) * (1 - tx) + at(ix + 1, iy) * tx) * (1 - ty) + (at(ix, iy + 1) * (1 - tx) + at(ix + 1, iy + 1) * tx) * ty;
}

// The picture turned by `degrees`, its corners pushed in or out by up to
// `tilt` of its size (a slight perspective), on a light ground with a margin,
// then blurred over 3 x 3 pixels `blurs` times.
TVekGreyImage photograph(const TVekGreyImage& source, double degrees, double tilt, int blurs, std::mt19937& random,
                         double scale = 1) {
    const double w = source.width(), h = source.height();
    const double side = std::hypot(w, h) * scale;
    const int32_t size = static_cast<int32_t>(side * (1 + 2 * tilt)) + 20;
    const double angle = degrees * std::numbers::pi / 180, c = std::cos(angle), s = std::sin(angle);
    std::uniform_real_distribution<double> jitter(-tilt * side, tilt * side);
    TVekPerspectiveTransform::TQuad from{TVekPointF{0, 0}, TVekPointF{w, 0}, TVekPointF{w, h}, TVekPointF{0, h}};
    TVekPerspectiveTransform::TQuad to;
    for (size_t i = 0; i < 4; ++i) {
        const double x = scale * (from[i].x - w / 2), y = scale * (from[i].y - h / 2);
        to[i] = {size / 2.0 + c * x - s * y + jitter(random), size / 2.0 + s * x + c * y + jitter(random)};
    }
    const auto back = TVekPerspectiveTransform::quadToQuad(to, from);
    TVekGreyImage picture(size, size, 255);
    std::vector<uint8_t> levels(static_cast<size_t>(size) * size, 255);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const TVekPointF p = back->map({x + 0.5, y + 0.5});
            levels[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(std::nearbyint(bilinear(source, p.x, p.y)));
        }
    for (int pass = 0; pass < blurs; ++pass) {
        std::vector<uint8_t> blurred(levels.size());
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size; ++x) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int32_t px = std::clamp(x + dx, 0, size - 1), py = std::clamp(y + dy, 0, size - 1);
                        sum += levels[static_cast<size_t>(py) * size + px];
                    }
                blurred[static_cast<size_t>(y) * size + x] = static_cast<uint8_t>(sum / 9);
            }
        levels.swap(blurred);
    }
    for (int32_t y = 0; y < size; ++y)
        std::copy_n(levels.data() + static_cast<size_t>(y) * size, size, const_cast<uint8_t*>(picture.row(y)));
    return picture;
}

class MaxiCodePhoto : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::haveZint()) << "zint is needed to make the symbols"; }
};

TEST_F(MaxiCodePhoto, DistortedRenderingsReadBackAndNoneWrong) {
    std::mt19937 random(2027);
    const char gs = 0x1D, rs = 0x1E;
    struct TCase {
        std::string arguments;
        std::string expected;
    };
    const std::vector<TCase> cases{
        {"--mode=4 -d 'Photographed MaxiCode 0123456789'", "Photographed MaxiCode 0123456789"},
        {"--mode=5 -d 'Enhanced error correction, mode 5!'", "Enhanced error correction, mode 5!"},
        {"--mode=6 -d 'READER PROGRAMMING'", "READER PROGRAMMING"},
        {R"(--mode=2 --primary=152382802840001 --scmvv=96 -d '1Z00004951\GUPSN\G06X610\G159\G1234567\G1/1\G\GY\G634 ALPHA DR\GPITTSBURGH\GPA\R\E')",
         std::string("[)>") + rs + "01" + gs + "96152382802" + gs + "840" + gs + "001" + gs + "1Z00004951" + gs + "UPSN" +
             gs + "06X610" + gs + "159" + gs + "1234567" + gs + "1/1" + gs + gs + "Y" + gs + "634 ALPHA DR" + gs +
             "PITTSBURGH" + gs + "PA" + rs + "\x04"},
        {"--mode=3 --primary=B1050056999 -d 'Canadian postal code'",
         std::string("B1050 ") + gs + "056" + gs + "999" + gs + "Canadian postal code"},
        {"--mode=4 --eci=7 -d 'ECI seven'", "ECI seven"},
        {"--mode=4 --structapp=2,3 -d 'second of three'", "second of three"},
    };
    int total = 0, read = 0, wrong = 0;
    auto tryPicture = [&](const TVekGreyImage& picture, const TCase& c, const char* how, double pixelsPerModule, double degrees) {
        ++total;
        const TVekBarcodes found = readPhoto(picture);
        if (found.empty()) {
            std::printf("not read (%s): %s at %.1f px, %.0f degrees\n", how, c.arguments.c_str(), pixelsPerModule, degrees);
        } else if (found.size() == 1 && found[0].bytes == c.expected) {
            ++read;
        } else {
            ++wrong;
            ADD_FAILURE() << "wrong: " << found[0].bytes << " for " << c.arguments;
        }
    };
    // Modules of 0.88 mm at 100 to 300 dpi: 3.5 to 10.4 pixels; the hexagons
    // drawn true, and zint's own pictures (whose rows it stretches or
    // squeezes by some percent, as an uneven printer would).
    for (const double pixelsPerModule : {3.5, 4.2, 5.0, 7.0, 10.4}) {
        for (const TCase& c : cases) {
            const TVekGreyImage upright = renderHexagons("--esc " + c.arguments, pixelsPerModule);
            ASSERT_FALSE(upright.empty()) << c.arguments;
            for (int turn = 0; turn < 2; ++turn) {
                const double degrees = std::uniform_real_distribution<double>(0, 360)(random);
                tryPicture(photograph(upright, degrees, 0.03, pixelsPerModule < 5 ? 1 : 2, random), c, "drawn", pixelsPerModule, degrees);
            }
            const TVekGreyImage zint = renderByZint("--esc " + c.arguments, pixelsPerModule);
            ASSERT_FALSE(zint.empty()) << c.arguments;
            const double degrees = std::uniform_real_distribution<double>(0, 360)(random);
            const double shrink = pixelsPerModule / std::max(pixelsPerModule, kZintSmallest);
            tryPicture(photograph(zint, degrees, 0.02, 1, random, shrink), c, "zint", pixelsPerModule, degrees);
        }
    }
    std::printf("%d of %d read\n", read, total);
    EXPECT_EQ(wrong, 0);
    EXPECT_GE(read * 100, total * 95) << read << " of " << total;
}

// The default read looks at every fourth row only: among the candidates it
// tries (eight) must be the bull's-eye every row finds best, down to the
// smallest modules, blurred and turned.
TEST_F(MaxiCodePhoto, SampledRowsFindTheBullsEyeEveryRowFinds) {
    std::mt19937 random(11);
    int compared = 0;
    for (const double pixelsPerModule : {3.5, 4.2, 7.0, 10.4}) {
        const TVekGreyImage upright = renderHexagons("--mode=4 -d 'Sampled rows'", pixelsPerModule);
        ASSERT_FALSE(upright.empty());
        for (int turn = 0; turn < 4; ++turn) {
            const double degrees = std::uniform_real_distribution<double>(0, 360)(random);
            TVekBinaryCache picture(photograph(upright, degrees, 0.03, 1 + turn % 2, random));
            const TVekBitMatrix& bits = picture.binary(TVekBinarizerKind::local);
            const auto everyRow = TVekMaxiCodeBullsEyeFinder::find(bits, 1);
            const auto sampled = TVekMaxiCodeBullsEyeFinder::find(bits, 4);
            ASSERT_FALSE(everyRow.empty()) << pixelsPerModule << " px, " << degrees << " degrees";
            ASSERT_FALSE(sampled.empty()) << pixelsPerModule << " px, " << degrees << " degrees";
            const auto tried = sampled.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(sampled.size(), 8));
            EXPECT_TRUE(std::any_of(sampled.begin(), tried, [&](const TVekMaxiCodeBullsEyeCandidate& c) {
                // The fit looks for the centre two ring widths around.
                return distance(c.centre, everyRow[0].centre) < 2 * everyRow[0].ringWidth;
            })) << pixelsPerModule << " px, " << degrees << " degrees";
            EXPECT_LE(sampled.size(), everyRow.size() + 2);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 16);
}

TEST_F(MaxiCodePhoto, PicturesWithoutBullsEyeReadNothing) {
    std::mt19937 random(5);
    // Noise, stripes, an Aztec symbol (a square bull's-eye) and rings alone.
    TVekGreyImage noise(400, 300, 255);
    for (int32_t y = 0; y < noise.height(); ++y)
        for (int32_t x = 0; x < noise.width(); ++x) const_cast<uint8_t*>(noise.row(y))[x] = static_cast<uint8_t>(random() % 256);
    EXPECT_TRUE(readPhoto(noise).empty());
    TVekGreyImage rings(300, 300, 255);
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 300; ++x) {
            const double r = std::hypot(x - 150.0, y - 150.0) / 6;
            const_cast<uint8_t*>(rings.row(y))[x] = r > 1 && r < 7 && static_cast<int>(r) % 2 == 1 ? 0 : 255;
        }
    EXPECT_TRUE(readPhoto(rings).empty());
    const auto aztec = test::testDirectory("maxicode") / "aztec.png";
    ASSERT_TRUE(test::zintRender("-b AZTEC --scale=3 -d 'Not a MaxiCode at all'", aztec));
    EXPECT_TRUE(readPhoto(TVekGreyImage(loadPicture(aztec))).empty());
}

TEST_F(MaxiCodePhoto, ScannerNamesTheFamily) {
    const auto path = test::testDirectory("maxicode") / "scan.png";
    ASSERT_TRUE(test::zintRender("-b MAXICODE --scale=2 --mode=4 -d 'Scanner'", path));
    const std::string json = test::commandOutput(std::string(ORVEL_SCAN_PATH) + " --json --formats maxicode " + test::shellQuote(path.string()));
    EXPECT_NE(json.find("\"family\": \"maxicode\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"text\": \"Scanner\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"identifier\": \"]U0\""), std::string::npos) << json;
}

}  // namespace
}  // namespace orvel
