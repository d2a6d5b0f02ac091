// PNG pictures: every colour type and depth loads to the pixels of the same
// picture saved as a bitmap, and damaged files end in "<file>: <problem>".
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "foundation/VekException.h"
#include "foundation/VekPictureLoader.h"
#include "foundation/VekPngDecoder.h"
#include "foundation/VekPngEncoder.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

constexpr int32_t kWidth = 13;  // odd: low depths leave bits over at the row end
constexpr int32_t kHeight = 7;

// The picture's colour n = (x + 2y) mod size of `colours` (0xRRGGBB).
uint32_t patternColour(const std::vector<uint32_t>& colours, int32_t x, int32_t y) {
    return colours[static_cast<size_t>(x + 2 * y) % colours.size()];
}

// A 24-bit bottom-up bitmap file of the pattern, the reference every PNG
// variant must match.
std::vector<uint8_t> bmpOf(const std::vector<uint32_t>& colours) {
    const size_t stride = (kWidth * 3 + 3) / 4 * 4;
    std::vector<uint8_t> out(54 + stride * kHeight, 0);
    const auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k) out[at + k] = (value >> (8 * k)) & 0xFF;
    };
    out[0] = 'B', out[1] = 'M';
    put(10, 54, 4), put(14, 40, 4), put(18, kWidth, 4), put(22, kHeight, 4), put(26, 1, 2), put(28, 24, 2);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) put(54 + (kHeight - 1 - y) * stride + 3 * x, patternColour(colours, x, y), 3);
    return out;
}

// A raster whose sample (x, y, channel) comes from `sample`, at the depth.
TVekPngRaster packRaster(TVekPngColour colour, int depth, bool interlaced,
                         const std::function<uint32_t(int32_t, int32_t, int)>& sample) {
    TVekPngRaster raster;
    raster.width = kWidth, raster.height = kHeight, raster.colour = colour, raster.bitDepth = depth;
    raster.interlaced = interlaced;
    raster.data.assign(raster.rowBytes() * kHeight, 0);
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = raster.data.data() + y * raster.rowBytes();
        for (int32_t x = 0; x < kWidth; ++x) {
            for (int c = 0; c < raster.channels(); ++c) {
                const uint32_t value = sample(x, y, c);
                const size_t index = static_cast<size_t>(x) * raster.channels() + c;
                if (depth == 16) {
                    row[2 * index] = value >> 8, row[2 * index + 1] = value & 0xFF;
                } else if (depth == 8) {
                    row[index] = static_cast<uint8_t>(value);
                } else {
                    const size_t bit = index * depth;
                    row[bit / 8] |= static_cast<uint8_t>(value << (8 - depth - bit % 8));
                }
            }
        }
    }
    return raster;
}

uint32_t channelOf(uint32_t colour, int c) { return (colour >> (16 - 8 * c)) & 0xFF; }

class PngLoaderTest : public ::testing::Test {
protected:
    std::filesystem::path dir = test::testDirectory("png-loader");

    void expectSamePixels(const std::vector<uint8_t>& png, const std::vector<uint32_t>& colours,
                          const std::string& what) {
        const TVekImage expected = decodePicture(bmpOf(colours), "reference.bmp");
        const TVekImage image = decodePicture(png, what);
        ASSERT_EQ(image.width, kWidth) << what;
        ASSERT_EQ(image.height, kHeight) << what;
        EXPECT_EQ(image.pixelData(), expected.pixelData()) << what;
    }
};

TEST_F(PngLoaderTest, ColourTypesAndDepthsLoadToTheBitmapsPixels) {
    const std::vector<uint32_t> colours = {0x000000, 0xFFFFFF, 0xC03020, 0x20A040, 0x3040C0, 0x123456, 0xFEDCBA};
    const auto rgb = [&](int scale) {
        return [&, scale](int32_t x, int32_t y, int c) {
            return c == 3 ? 255u * scale : channelOf(patternColour(colours, x, y), c) * scale;
        };
    };
    for (bool interlaced : {false, true}) {
        const std::string how = interlaced ? " interlaced" : "";
        expectSamePixels(encodePng(packRaster(TVekPngColour::rgb, 8, interlaced, rgb(1))), colours, "rgb8" + how);
        expectSamePixels(encodePng(packRaster(TVekPngColour::rgba, 8, interlaced, rgb(1))), colours, "rgba8" + how);
        expectSamePixels(encodePng(packRaster(TVekPngColour::rgb, 16, interlaced, rgb(257))), colours, "rgb16" + how);
        expectSamePixels(encodePng(packRaster(TVekPngColour::rgba, 16, interlaced, rgb(257))), colours, "rgba16" + how);
        for (int depth : {4, 8}) {
            TVekPngRaster palette = packRaster(TVekPngColour::palette, depth, interlaced, [&](int32_t x, int32_t y, int) {
                return static_cast<uint32_t>(x + 2 * y) % colours.size();
            });
            for (uint32_t colour : colours) palette.palette.push_back({static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)});
            palette.paletteAlpha.assign(colours.size(), 255);  // a tRNS chunk that keeps every entry opaque
            expectSamePixels(encodePng(palette), colours, "palette" + std::to_string(depth) + how);
        }
    }
}

TEST_F(PngLoaderTest, GreyTypesAndDepthsLoadToTheBitmapsPixels) {
    // Multiples of 17 are exact at 4 bits too.
    const std::vector<uint32_t> levels = {0, 255, 68, 187, 119, 34, 221};
    std::vector<uint32_t> greys;
    for (uint32_t level : levels) greys.push_back(level * 0x010101);
    const auto grey = [&](int32_t x, int32_t y, int c, int depth) -> uint32_t {
        if (c == 1) return depth == 16 ? 65535 : 255;  // opaque
        const uint32_t level = patternColour(levels, x, y);
        return depth == 16 ? level * 257 : depth == 4 ? level / 17 : level;
    };
    for (bool interlaced : {false, true}) {
        for (TVekPngColour colour : {TVekPngColour::grey, TVekPngColour::greyAlpha}) {
            for (int depth : {4, 8, 16}) {
                if (depth == 4 && colour == TVekPngColour::greyAlpha) continue;  // not a PNG layout
                const std::string what = std::string(colour == TVekPngColour::grey ? "grey" : "grey+alpha") +
                                         std::to_string(depth) + (interlaced ? " interlaced" : "");
                const TVekPngRaster raster = packRaster(colour, depth, interlaced, [&](int32_t x, int32_t y, int c) {
                    return grey(x, y, c, depth);
                });
                expectSamePixels(encodePng(raster), greys, what);
            }
        }
    }
    // One bit per pixel, as zint and scanners write black-and-white pictures.
    const std::vector<uint32_t> blackWhite = {0x000000, 0xFFFFFF};
    const TVekPngRaster bits = packRaster(TVekPngColour::grey, 1, false, [&](int32_t x, int32_t y, int) {
        return patternColour({0, 1}, x, y);
    });
    expectSamePixels(encodePng(bits), blackWhite, "grey1");
}

TEST_F(PngLoaderTest, TransparentPixelsLieOnWhite) {
    // Black at full, half and no opacity, through RGBA and a palette's tRNS.
    const std::vector<uint32_t> alphas = {255, 128, 0};
    const TVekPngRaster rgba = packRaster(TVekPngColour::rgba, 8, false, [&](int32_t x, int32_t y, int c) {
        return c == 3 ? patternColour(alphas, x, y) : 0u;
    });
    TVekPngRaster palette = packRaster(TVekPngColour::palette, 8, true, [&](int32_t x, int32_t y, int) {
        return static_cast<uint32_t>(x + 2 * y) % 3;
    });
    palette.palette.assign(3, {0, 0, 0});
    palette.paletteAlpha = {255, 128, 0};
    for (const TVekPngRaster& raster : {rgba, palette}) {
        const TVekImage image = decodePicture(encodePng(raster), "alpha.png");
        EXPECT_EQ(image.getPixelInt(0, 0), 0x000000u);
        EXPECT_EQ(image.getPixelInt(2, 0), 0xFFFFFFu);
        EXPECT_NEAR(static_cast<int>(image.getPixelInt(1, 0) & 0xFF), 127, 2);
    }
}

std::vector<uint8_t> validPng() {
    std::vector<uint32_t> colours = {0x000000, 0xFFFFFF, 0x808080};
    return encodePng(packRaster(TVekPngColour::rgb, 8, false, [&](int32_t x, int32_t y, int c) {
        return channelOf(patternColour(colours, x, y), c);
    }));
}

std::string loadError(const std::filesystem::path& path) {
    try {
        loadPicture(path);
    } catch (const TVekException& error) {
        return error.what();
    }
    return "";
}

// The IHDR chunk of a file rewritten with another size and a matching CRC,
// so that libpng reads the size and only the loader's own check can refuse it.
std::vector<uint8_t> withSize(std::vector<uint8_t> png, uint32_t width, uint32_t height) {
    for (int k = 0; k < 4; ++k) {
        png[16 + k] = (width >> (24 - 8 * k)) & 0xFF;
        png[20 + k] = (height >> (24 - 8 * k)) & 0xFF;
    }
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 12; i < 12 + 4 + 13; ++i) {  // chunk type and data
        crc ^= png[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    crc ^= 0xFFFFFFFF;
    for (int k = 0; k < 4; ++k) png[29 + k] = (crc >> (24 - 8 * k)) & 0xFF;
    return png;
}

TEST_F(PngLoaderTest, DamagedFilesAreRefusedWithTheFileAndTheProblem) {
    const std::vector<uint8_t> png = validPng();
    ASSERT_TRUE(hasPngSignature(png));
    std::vector<uint8_t> badCrc = png;
    badCrc[40] ^= 0x55;  // inside the first IDAT chunk
    const struct {
        std::string name;
        std::vector<uint8_t> bytes;
        std::string problem;
    } cases[] = {
        {"crc.png", badCrc, "cannot decode PNG: "},
        {"header.png", std::vector<uint8_t>(png.begin(), png.begin() + 20), "cannot decode PNG: "},
        {"half.png", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2), "cannot decode PNG: "},
        {"cut.png", std::vector<uint8_t>(png.begin(), png.end() - 20), "cannot decode PNG: "},
        {"huge.png", withSize(png, 60000, 60000), "PNG picture of 60000 x 60000 pixels is too large"},
        {"wide.png", withSize(png, 200000, 1), "PNG picture of 200000 x 1 pixels is too large"},
        {"2g.png", withSize(png, 0x80000000u, 1),
         "cannot decode PNG: the picture's width or height is too large (PNG unsigned integer out of range)"},
        {"zero.png", withSize(png, 0, 5),
         "cannot decode PNG: the picture's header is invalid (Invalid IHDR data: Image width is zero in IHDR)"},
    };
    for (const auto& c : cases) {
        const auto path = dir / c.name;
        test::writeFile(path, c.bytes);
        const std::string message = loadError(path);
        EXPECT_EQ(message.rfind(path.string() + ": " + c.problem, 0), 0u) << c.name << ": " << message;
        EXPECT_GT(message.size(), path.string().size() + c.problem.size() + 2 - (c.problem.back() == ' ' ? 0 : 1))
            << c.name << ": the problem needs words";
    }
}

TEST_F(PngLoaderTest, RandomDamageNeverCrashes) {
    const std::vector<uint8_t> png = validPng();
    std::mt19937 random(14);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint8_t> bytes = png;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < changes; ++k) bytes[8 + random() % (bytes.size() - 8)] = static_cast<uint8_t>(random());
        if (trial % 3 == 0) bytes.resize(8 + random() % (bytes.size() - 8));
        try {
            const TVekImage image = decodePicture(bytes, "random.png");
            EXPECT_LE(int64_t{image.width} * image.height, 65535 * 65535LL);
        } catch (const TVekException& error) {
            EXPECT_EQ(std::string(error.what()).rfind("random.png: ", 0), 0u) << error.what();
        }
    }
}

TEST_F(PngLoaderTest, TheFirstBytesChooseTheDecoderWhateverTheName) {
    const std::vector<uint32_t> colours = {0x123456, 0xFFFFFF};
    test::writeFile(dir / "bitmap.jpg", bmpOf(colours));
    test::writeFile(dir / "png.bmp", validPng());
    test::writeFile(dir / "jpeg.png", test::encodeJpeg(TVekImage(decodeBmp(bmpOf(colours))), 95));
    test::writeFile(dir / "notes.png", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(loadPicture(dir / "bitmap.jpg").getPixelInt(0, 0), 0x123456u);
    EXPECT_EQ(loadPicture(dir / "png.bmp").width, kWidth);
    EXPECT_TRUE(loadPicture(dir / "jpeg.png").jpegImage());
    EXPECT_EQ(loadError(dir / "notes.png"), (dir / "notes.png").string() + ": unknown picture format (not PNG, JPEG or BMP)");
    // The documented loader keeps going by the name.
    EXPECT_THROW(loadPictureFile(dir / "bitmap.jpg"), TVekException);
}

}  // namespace
}  // namespace orvel
