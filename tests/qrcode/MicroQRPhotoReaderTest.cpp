// Round trips of zint Micro QR symbols, every size and level, through
// camera-like pictures into the Micro QR photo front end, and what it must
// not take for a Micro QR symbol.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "qrcode/VekMicroQRMatrixDecoder.h"
#include "qrcode/VekMicroQRTables.h"
#include "qrcode/VekOneFinderPhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

struct TSymbol {
    std::string data;
    int version;  // M1 ... M4
    int level;    // zint's --secure: 1 L, 2 M, 3 Q
    std::string levelName;
};

// Every size and level, with content in each mode the size has.
const TSymbol kSymbols[] = {
    {"12345", 1, 1, ""},    {"ABC1", 2, 1, "L"},         {"9876", 2, 2, "M"},       {"micro", 3, 1, "L"},
    {"MICRO 3", 3, 2, "M"}, {"Micro QR 4L?", 4, 1, "L"}, {"M4 LEVEL M", 4, 2, "M"}, {"quart", 4, 3, "Q"},
};

TModuleMatrix microModules(const TSymbol& s, const std::string& extra = "") {
    return trimmedModules(zintDump("-b MICROQR --vers=" + std::to_string(s.version) +
                                   " --secure=" + std::to_string(s.level) + " " + extra + " -d " + shellQuote(s.data)));
}

TVekBitMatrix toBits(const TModuleMatrix& modules) {
    TVekBitMatrix bits(static_cast<int32_t>(modules[0].size()), static_cast<int32_t>(modules.size()));
    for (size_t r = 0; r < modules.size(); ++r)
        for (size_t c = 0; c < modules[r].size(); ++c)
            bits.set(static_cast<int32_t>(c), static_cast<int32_t>(r), modules[r][c] != 0);
    return bits;
}

TVekBarcodes readMicro(const TVekGreyImage& grey, TVekReaderOptions options = {}) {
    TVekBinaryCache cache(grey);
    if (options.formats.empty()) options.formats = {TVekBarcodeFormat::microQrCode};
    return TVekOneFinderPhotoReader(options).read(cache);
}

std::vector<std::string> contents(const TVekBarcodes& found) {
    std::vector<std::string> texts;
    for (const auto& b : found) texts.push_back(b.isValid ? b.bytes : "!" + b.error);
    return texts;
}

// A 3 x 3 box blur, `times` over.
TVekGreyImage boxBlurred(const TVekGreyImage& grey, int times) {
    const int32_t w = grey.width(), h = grey.height();
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    TVekGreyImage current = grey;
    for (int t = 0; t < times; ++t) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += current.get(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
                pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((sum + 4) / 9);
            }
        current = TVekGreyImage::fromPixels(pixels, w, h);
    }
    return current;
}

}  // namespace

TEST(MicroQRMatrixDecoderTest, EverySizeLevelAndMaskDecodes) {
    ASSERT_TRUE(haveZint());
    for (const TSymbol& s : kSymbols) {
        for (int mask = 0; mask < 4; ++mask) {
            const TModuleMatrix modules = microModules(s, "--mask=" + std::to_string(mask));
            ASSERT_EQ(modules.size(), static_cast<size_t>(microQRModules(s.version))) << s.data;
            const TVekBarcode b = TVekMicroQRMatrixDecoder::decode(toBits(modules));
            EXPECT_TRUE(b.isValid) << s.data << " mask " << mask << ": " << b.error;
            EXPECT_EQ(b.bytes, s.data);
            EXPECT_EQ(b.ecLevel, s.levelName) << s.data;
            EXPECT_EQ(b.format, TVekBarcodeFormat::microQrCode);
            EXPECT_EQ(b.symbologyIdentifier, "]Q1");
        }
    }
}

TEST(MicroQRMatrixDecoderTest, ByteAndKanjiSegmentsAndCorrection) {
    ASSERT_TRUE(haveZint());
    // Kanji comes as its Shift JIS bytes, as QR Code gives it.
    const TModuleMatrix kanji = trimmedModules(zintDump("-b MICROQR --vers=3 -d " + shellQuote("\xE8\xAA\xA0")));
    EXPECT_EQ(TVekMicroQRMatrixDecoder::decode(toBits(kanji)).bytes, "\x90\xBD");
    const TSymbol mixed{"ab12345678", 4, 1, "L"};
    TVekBitMatrix bits = toBits(microModules(mixed));
    EXPECT_EQ(TVekMicroQRMatrixDecoder::decode(bits).bytes, mixed.data);
    // Two wrong modules in one data codeword (the bottom-right corner) are corrected.
    bits.flip(16, 16);
    bits.flip(15, 16);
    EXPECT_EQ(TVekMicroQRMatrixDecoder::decode(bits).bytes, mixed.data);
    // A symbol seen from behind reads the same, and says so.
    const TVekBarcode seenFromBehind = TVekMicroQRMatrixDecoder::decode(toBits(microModules(mixed)).transposed());
    EXPECT_TRUE(seenFromBehind.isValid);
    EXPECT_TRUE(seenFromBehind.isMirrored);
    EXPECT_EQ(seenFromBehind.bytes, mixed.data);
}

TEST(MicroQRMatrixDecoderTest, DamageBeyondTheLevelFailsInsteadOfMisreading) {
    ASSERT_TRUE(haveZint());
    std::mt19937 random(77);
    for (const TSymbol& s : kSymbols) {
        const TVekBitMatrix clean = toBits(microModules(s));
        const int32_t n = clean.width();
        for (int trial = 0; trial < 40; ++trial) {
            TVekBitMatrix bits = clean;
            // A third of the data area flipped at random.
            std::uniform_int_distribution<int32_t> at(1, n - 1);
            for (int k = 0; k < n * n / 3; ++k) {
                const int32_t x = at(random), y = at(random);
                if (!TVekMicroQRMatrixDecoder::isFunction(x, y)) bits.flip(x, y);
            }
            const TVekBarcode b = TVekMicroQRMatrixDecoder::decode(bits);
            if (b.isValid) {
                EXPECT_EQ(b.bytes, s.data) << s.data << " trial " << trial;
            }
        }
    }
}

TEST(MicroQRPhotoReaderTest, DistortedRenderingsReadAndNeverWrong) {
    ASSERT_TRUE(haveZint());
    std::mt19937 random(2024);
    int total = 0, read = 0;
    std::string misses;
    for (const TSymbol& s : kSymbols) {
        const TModuleMatrix modules = microModules(s);
        const double side = static_cast<double>(modules.size() + 4);
        std::vector<std::pair<std::string, TVekGreyImage>> pictures;
        pictures.emplace_back("upright", renderUpright(modules, 5));
        pictures.emplace_back("2 px", renderUpright(modules, 2));
        {
            // Light modules on a dark ground, quiet zone included.
            const double px = 4;
            const std::array<TVekPointF, 4> square{TVekPointF{0, 0}, TVekPointF{side * px, 0},
                                                   TVekPointF{side * px, side * px}, TVekPointF{0, side * px}};
            const auto extent = static_cast<int32_t>(side * px);
            pictures.emplace_back("inverted", renderWarped(modules, square, extent, extent, 2, 235, 20));
        }
        pictures.emplace_back("mirrored", renderUpright(mirroredModules(modules), 4));
        pictures.emplace_back("blurred", boxBlurred(renderUpright(modules, 6), 2));
        for (int turn = 0; turn < 8; ++turn) {
            // Turned by any angle, at 3 to 8 pixels a module.
            int32_t width = 0, height = 0;
            const double size = std::uniform_real_distribution<double>(3, 8)(random);
            const auto corners = tiltedCorners(random, side * size, 0, width, height);
            pictures.emplace_back("turned", renderWarped(modules, corners, width, height, 2));
        }
        for (int tilt = 0; tilt < 12; ++tilt) {
            int32_t width = 0, height = 0;
            const double size = std::uniform_real_distribution<double>(3, 8)(random);
            const auto corners = tiltedCorners(random, side * size, 35, width, height);
            TVekGreyImage picture = renderWarped(modules, corners, width, height, 2);
            if (tilt % 2 == 1) picture = boxBlurred(picture, 1);
            pictures.emplace_back("tilted", picture);
        }
        for (const auto& [name, picture] : pictures) {
            const TVekBarcodes found = readMicro(picture);
            ++total;
            if (found.size() == 1 && found.front().bytes == s.data) {
                ++read;
                const TVekBarcode& b = found.front();
                EXPECT_EQ(b.isInverted, name == "inverted");
                EXPECT_EQ(b.isMirrored, name == "mirrored");
            } else {
                misses += s.data + " " + name + "; ";
            }
            for (const auto& b : found) EXPECT_EQ(b.bytes, s.data) << name;
        }
    }
    EXPECT_GE(read * 100, total * 95) << read << " of " << total << " read, missed: " << misses;
}

TEST(MicroQRPhotoReaderTest, QRCodeAndMicroQRNeverTakenForEachOther) {
    ASSERT_TRUE(haveZint());
    for (const std::string vers : {"1", "2", "4"}) {
        const TModuleMatrix qr =
            trimmedModules(zintDump("-b QRCODE --vers=" + vers + " -d " + shellQuote("QR" + vers)));
        for (const double size : {2.0, 4.0})
            EXPECT_TRUE(readMicro(renderUpright(qr, size)).empty()) << "QR version " << vers;
    }
    for (const TSymbol& s : kSymbols) {
        TVekBinaryCache cache(renderUpright(microModules(s), 4));
        for (const auto& b : TVekQRPhotoReader({}).read(cache)) EXPECT_FALSE(b.isValid) << s.data;
    }
}

TEST(MicroQRPhotoReaderTest, SeveralSymbolsAndPlainGroundsGiveWhatIsThere) {
    ASSERT_TRUE(haveZint());
    // Two symbols side by side.
    const TModuleMatrix a = microModules(kSymbols[1]), b = microModules(kSymbols[6]);
    TModuleMatrix both(b.size(), std::vector<int>(a[0].size() + 6 + b[0].size(), 0));
    for (size_t r = 0; r < a.size(); ++r) std::copy(a[r].begin(), a[r].end(), both[r].begin());
    for (size_t r = 0; r < b.size(); ++r) std::copy(b[r].begin(), b[r].end(), both[r].begin() + a[0].size() + 6);
    TVekReaderOptions options;
    options.tryHarder = true;
    auto texts = contents(readMicro(renderUpright(both, 4), options));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{kSymbols[1].data, kSymbols[6].data}));
    // Noise and a checkerboard: nothing.
    std::mt19937 random(5);
    TModuleMatrix noise(40, std::vector<int>(40));
    for (auto& row : noise)
        for (auto& m : row) m = static_cast<int>(random() & 1);
    EXPECT_TRUE(readMicro(renderUpright(noise, 3)).empty());
    TModuleMatrix board(30, std::vector<int>(30));
    for (size_t r = 0; r < 30; ++r)
        for (size_t c = 0; c < 30; ++c) board[r][c] = static_cast<int>((r + c) % 2);
    EXPECT_TRUE(readMicro(renderUpright(board, 2)).empty());
}
