// Round trips of zint rMQR symbols, all 32 sizes and both levels, through the
// matrix decoder and camera-like pictures into the rMQR photo front end.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "qrcode/VekOneFinderPhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "qrcode/VekRMQRMatrixDecoder.h"
#include "qrcode/VekRMQRTables.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

// zint's --vers is the version indicator + 1; --secure=2 is level M, 4 is H.
TModuleMatrix rmqrModules(int version, bool levelH, const std::string& data) {
    const TVekRMQRVersionInfo* info = rmqrVersionInfo(version);
    return trimmedModules(zintDump("-b RMQR --vers=" + std::to_string(version + 1) +
                                   " --secure=" + (levelH ? "4" : "2") + " -d " + shellQuote(data)),
                          info->width);
}

TVekBitMatrix toBits(const TModuleMatrix& modules) {
    TVekBitMatrix bits(static_cast<int32_t>(modules[0].size()), static_cast<int32_t>(modules.size()));
    for (size_t r = 0; r < modules.size(); ++r)
        for (size_t c = 0; c < modules[r].size(); ++c)
            bits.set(static_cast<int32_t>(c), static_cast<int32_t>(r), modules[r][c] != 0);
    return bits;
}

// Content that fits the smallest size at level H, in a mode chosen by the version.
std::string contentFor(int version) {
    static const std::string kinds[] = {"1234", "AB", "ab", "7"};
    return kinds[version % 4];
}

TVekBarcodes readRMQR(const TVekGreyImage& grey) {
    TVekBinaryCache cache(grey);
    TVekReaderOptions options;
    options.formats = {TVekBarcodeFormat::rmqrCode};
    return TVekOneFinderPhotoReader(options).read(cache);
}

// A 3 x 3 box blur.
TVekGreyImage boxBlurred(const TVekGreyImage& grey) {
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += grey.get(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
            pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((sum + 4) / 9);
        }
    return TVekGreyImage::fromPixels(std::move(pixels), w, h);
}

// The symbol with a quiet zone of two modules at `pixels` a module, turned
// by `degrees` and seen with one long side nearer: the far side `keystone`
// shorter than the near one. The picture's size is returned.
TVekGreyImage renderTurned(const TModuleMatrix& modules, double pixels, double degrees, double keystone,
                           bool inverted = false) {
    const double w = (modules[0].size() + 4) * pixels, h = (modules.size() + 4) * pixels;
    std::array<TVekPointF, 4> corners{TVekPointF{-w / 2 * (1 - keystone), -h / 2},
                                      TVekPointF{w / 2 * (1 - keystone), -h / 2}, TVekPointF{w / 2, h / 2},
                                      TVekPointF{-w / 2, h / 2}};
    const double a = degrees * std::numbers::pi / 180;
    const auto side = static_cast<int32_t>(std::hypot(w, h) + 20);
    for (auto& p : corners)
        p = TVekPointF{p.x * std::cos(a) - p.y * std::sin(a) + side / 2.0,
                       p.x * std::sin(a) + p.y * std::cos(a) + side / 2.0};
    return inverted ? renderWarped(modules, corners, side, side, 2, 235, 20)
                    : renderWarped(modules, corners, side, side, 2);
}

}  // namespace

TEST(RMQRMatrixDecoderTest, EverySizeAndLevelDecodes) {
    ASSERT_TRUE(haveZint());
    for (int version = 0; version < kRMQRVersions; ++version) {
        for (const bool levelH : {false, true}) {
            const std::string data = contentFor(version);
            const TModuleMatrix modules = rmqrModules(version, levelH, data);
            ASSERT_EQ(modules.size(), static_cast<size_t>(rmqrVersionInfo(version)->height)) << version;
            const TVekBarcode b = TVekRMQRMatrixDecoder::decode(toBits(modules));
            EXPECT_TRUE(b.isValid) << "version " << version << (levelH ? " H: " : " M: ") << b.error;
            EXPECT_EQ(b.bytes, data) << version;
            EXPECT_EQ(b.ecLevel, levelH ? "H" : "M");
            EXPECT_EQ(b.format, TVekBarcodeFormat::rmqrCode);
        }
    }
}

TEST(RMQRMatrixDecoderTest, KanjiBytesAndCorrection) {
    ASSERT_TRUE(haveZint());
    EXPECT_EQ(TVekRMQRMatrixDecoder::decode(toBits(rmqrModules(1, false, "\xE8\xAA\xA0"))).bytes, "\x90\xBD");
    const std::string data = "rMQR 17x139 at level M";
    TVekBitMatrix bits = toBits(rmqrModules(31, false, data));
    // A blot of 4 x 4 modules in the data: a few codewords of different blocks.
    for (int32_t y = 6; y < 10; ++y)
        for (int32_t x = 60; x < 64; ++x) bits.flip(x, y);
    EXPECT_EQ(TVekRMQRMatrixDecoder::decode(bits).bytes, data);
    // The format information is read from the other side when one is damaged.
    TVekBitMatrix noFinderFormat = toBits(rmqrModules(5, true, "12"));
    for (int32_t x = 8; x <= 11; ++x)
        for (int32_t y = 1; y <= 5; ++y) noFinderFormat.set(x, y, false);
    EXPECT_EQ(TVekRMQRMatrixDecoder::decode(noFinderFormat).bytes, "12");
}

TEST(RMQRPhotoReaderTest, EverySizeReadsFromAPicture) {
    ASSERT_TRUE(haveZint());
    for (int version = 0; version < kRMQRVersions; ++version) {
        const std::string data = contentFor(version);
        const TVekBarcodes found = readRMQR(renderUpright(rmqrModules(version, version % 2 == 1, data), 3, 2));
        ASSERT_EQ(found.size(), 1u) << "version " << version;
        EXPECT_EQ(found[0].bytes, data) << version;
        EXPECT_EQ(found[0].format, TVekBarcodeFormat::rmqrCode);
    }
}

TEST(RMQRPhotoReaderTest, DistortedRenderingsReadAndNeverWrong) {
    ASSERT_TRUE(haveZint());
    std::mt19937 random(43);
    std::uniform_real_distribution<double> angle(-180, 180), keystone(0, 0.2), pixels(3, 6);
    int total = 0, read = 0;
    std::string misses;
    // The shortest and longest of each height, and a few between.
    for (const int version : {0, 4, 5, 9, 10, 15, 16, 21, 22, 26, 27, 31, 2, 13, 19}) {
        const std::string data = version % 3 == 0 ? "RMQ" : "1234";
        const TModuleMatrix modules = rmqrModules(version, version % 2 == 0, data);
        ASSERT_FALSE(modules.empty()) << version;
        std::vector<std::pair<std::string, TVekGreyImage>> pictures;
        pictures.emplace_back("2 px", renderUpright(modules, 2, 2));
        pictures.emplace_back("inverted", renderTurned(modules, 4, 0, 0, true));
        pictures.emplace_back("mirrored", renderUpright(mirroredModules(modules), 4, 2));
        pictures.emplace_back("blurred", boxBlurred(boxBlurred(renderUpright(modules, 6, 2))));
        for (int k = 0; k < 3; ++k)
            pictures.emplace_back("turned", renderTurned(modules, pixels(random), angle(random), 0));
        for (int k = 0; k < 3; ++k) {
            TVekGreyImage picture = renderTurned(modules, pixels(random), angle(random), keystone(random));
            pictures.emplace_back("tilted", k == 2 ? boxBlurred(picture) : picture);
        }
        for (const auto& [name, picture] : pictures) {
            const TVekBarcodes found = readRMQR(picture);
            ++total;
            if (found.size() == 1 && found[0].bytes == data) {
                ++read;
                EXPECT_EQ(found[0].isInverted, name == "inverted");
                EXPECT_EQ(found[0].isMirrored, name == "mirrored");
            } else {
                misses += std::to_string(version) + " " + name + "; ";
            }
            for (const auto& b : found) EXPECT_EQ(b.bytes, data) << version << " " << name;
        }
    }
    EXPECT_GE(read * 100, total * 95) << read << " of " << total << " read, missed: " << misses;
}

TEST(RMQRPhotoReaderTest, OtherQRSymbolsAreNoRMQR) {
    ASSERT_TRUE(haveZint());
    for (const std::string symbol :
         {"-b QRCODE --vers=1 -d QR1", "-b QRCODE --vers=3 -d QR3", "-b MICROQR --vers=4 -d M4"}) {
        const TVekBarcodes found = readRMQR(renderUpright(trimmedModules(zintDump(symbol)), 3));
        EXPECT_TRUE(found.empty()) << symbol;
    }
    // And an rMQR symbol is neither QR Code nor Micro QR.
    const TVekGreyImage picture = renderUpright(rmqrModules(27, false, "1234"), 3, 2);
    TVekBinaryCache cache(picture);
    for (const auto& b : TVekQRPhotoReader({}).read(cache)) EXPECT_FALSE(b.isValid);
    TVekReaderOptions microOnly;
    microOnly.formats = {TVekBarcodeFormat::microQrCode};
    EXPECT_TRUE(TVekOneFinderPhotoReader(microOnly).read(cache).empty());
}
