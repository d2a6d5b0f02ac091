// Loading bitmap and JPEG files: every supported layout decodes to the right
// pixels, and damaged or hostile files end in a clear error, never a crash.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "foundation/VekException.h"
#include "foundation/VekJpegDecoder.h"
#include "foundation/VekPictureLoader.h"
#include "foundation/VekPngEncoder.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

// ---- A small bitmap writer, enough to produce every layout the loader reads.

struct TBmpOptions {
    int bitsPerPixel = 24;
    bool topDown = false;
    uint32_t headerSize = 40;  // 12 (core), 40, 108 (V4) or 124 (V5)
    bool bitfields = false;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::vector<uint32_t> palette;   // 0xRRGGBB
    uint32_t colourCount = 0;        // the header's declared palette size
};

void putU16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = value & 0xFF;
    out[at + 1] = (value >> 8) & 0xFF;
}

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    putU16(out, at, value & 0xFFFF);
    putU16(out, at + 2, value >> 16);
}

// `values` holds palette indices for palette pictures and the raw pixel
// values (already packed for the depth) otherwise, row-major from the top.
std::vector<uint8_t> writeBmp(int32_t width, int32_t height, const std::vector<uint32_t>& values,
                              const TBmpOptions& options) {
    const bool core = options.headerSize == 12;
    const int bpp = options.bitsPerPixel;
    const size_t maskBytes = options.bitfields && options.headerSize == 40 ? 12 : 0;
    const size_t entrySize = core ? 3 : 4;
    const size_t paletteStart = 14 + options.headerSize + maskBytes;
    const size_t pixelStart = paletteStart + options.palette.size() * entrySize;
    const size_t stride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
    std::vector<uint8_t> out(pixelStart + stride * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out, 2, static_cast<uint32_t>(out.size()));
    putU32(out, 10, static_cast<uint32_t>(pixelStart));
    putU32(out, 14, options.headerSize);
    if (core) {
        putU16(out, 18, width);
        putU16(out, 20, height);
        putU16(out, 22, 1);
        putU16(out, 24, bpp);
    } else {
        putU32(out, 18, static_cast<uint32_t>(width));
        putU32(out, 22, static_cast<uint32_t>(options.topDown ? -height : height));
        putU16(out, 26, 1);
        putU16(out, 28, bpp);
        putU32(out, 30, options.bitfields ? 3 : 0);
        putU32(out, 46, options.colourCount);
        if (options.bitfields)
            for (int k = 0; k < 3; ++k) putU32(out, 54 + 4 * k, options.masks[k]);
    }
    for (size_t k = 0; k < options.palette.size(); ++k) {
        const size_t at = paletteStart + k * entrySize;
        out[at] = options.palette[k] & 0xFF;
        out[at + 1] = (options.palette[k] >> 8) & 0xFF;
        out[at + 2] = (options.palette[k] >> 16) & 0xFF;
    }
    for (int32_t y = 0; y < height; ++y) {
        const int32_t fileRow = options.topDown ? y : height - 1 - y;
        uint8_t* row = out.data() + pixelStart + stride * fileRow;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t value = values[static_cast<size_t>(y) * width + x];
            if (bpp < 8) {
                const int perByte = 8 / bpp;
                row[x / perByte] |= value << (8 - bpp * (x % perByte + 1));
            } else {
                for (int byte = 0; byte < bpp / 8; ++byte) row[x * (bpp / 8) + byte] = (value >> (8 * byte)) & 0xFF;
            }
        }
    }
    return out;
}

std::filesystem::path writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Odd width so that every depth needs row padding.
constexpr int32_t kWidth = 13;
constexpr int32_t kHeight = 5;

// A picture in which every pixel differs from its neighbours: colour n of
// `colours` at (x, y) with n = (x + 2y) mod size.
std::vector<uint32_t> indexPattern(size_t colours) {
    std::vector<uint32_t> values(kWidth * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) values[y * kWidth + x] = static_cast<uint32_t>((x + 2 * y) % colours);
    return values;
}

void expectPixels(const TVekImage& image, const std::vector<uint32_t>& expected, const std::string& what) {
    ASSERT_EQ(image.width, kWidth) << what;
    ASSERT_EQ(image.height, kHeight) << what;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            ASSERT_EQ(image.getPixelInt(x, y), expected[y * kWidth + x]) << what << " at " << x << ", " << y;
}

void expectSamePicture(const TVekImage& image, const TVekImage& expected, const std::string& what) {
    ASSERT_EQ(image.width, expected.width) << what;
    ASSERT_EQ(image.height, expected.height) << what;
    EXPECT_EQ(image.blackAndWhite, expected.blackAndWhite) << what;
    EXPECT_TRUE(image.pixelData() == expected.pixelData()) << what;
    ASSERT_TRUE(image.bitmap() && expected.bitmap()) << what;
    EXPECT_TRUE(image.bitmap()->bgr == expected.bitmap()->bgr) << what;
}

std::string loadError(const std::filesystem::path& path) {
    try {
        loadPictureFile(path);
    } catch (const TVekException& error) {
        return error.what();
    }
    return "";
}

class PictureLoaderTest : public ::testing::Test {
protected:
    std::filesystem::path dir = test::testDirectory("picture-loader");
};

TEST_F(PictureLoaderTest, PalettePicturesOfEveryDepthAndOrientation) {
    const std::vector<uint32_t> colours16 = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456,
                                             0x654321, 0xABCDEF, 0x808080, 0x010203, 0xFEDCBA, 0x00FFFF,
                                             0xFF00FF, 0xFFFF00, 0x7F7F7F, 0x102030};
    for (int bpp : {1, 4, 8}) {
        for (uint32_t header : {12u, 40u, 108u, 124u}) {
            for (bool topDown : {false, true}) {
                if (header == 12 && topDown) continue;  // the core header has no top-down form
                TBmpOptions options;
                options.bitsPerPixel = bpp;
                options.headerSize = header;
                options.topDown = topDown;
                const size_t used = std::min<size_t>(colours16.size(), size_t{1} << bpp);
                options.palette.assign(colours16.begin(), colours16.begin() + used);
                if (bpp == 8) options.colourCount = static_cast<uint32_t>(used);  // a short palette
                const std::vector<uint32_t> indices = indexPattern(used);
                std::vector<uint32_t> expected;
                for (uint32_t index : indices) expected.push_back(colours16[index]);
                const std::string name = std::to_string(bpp) + "-" + std::to_string(header) + (topDown ? "-td" : "");
                const auto path = writeFile(dir / (name + ".bmp"), writeBmp(kWidth, kHeight, indices, options));
                expectPixels(loadPictureFile(path), expected, name);
            }
        }
    }
}

TEST_F(PictureLoaderTest, IndicesBeyondTheShortPaletteReadBlack) {
    TBmpOptions options;
    options.bitsPerPixel = 8;
    options.palette = {0xFFFFFF, 0x00FF00};
    options.colourCount = 2;
    std::vector<uint32_t> indices(kWidth * kHeight, 1);
    indices[3] = 200;
    const TVekBitmap bitmap = decodeBmp(writeBmp(kWidth, kHeight, indices, options));
    const TVekImage image{TVekBitmap(bitmap)};
    EXPECT_EQ(image.getPixelInt(3, 0), BLACK);
    EXPECT_EQ(image.getPixelInt(4, 0), 0x00FF00u);
}

TEST_F(PictureLoaderTest, DirectColourPictures) {
    const std::vector<uint32_t> colours = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFEDCBA};
    const std::vector<uint32_t> indices = indexPattern(colours.size());
    std::vector<uint32_t> expected;
    for (uint32_t index : indices) expected.push_back(colours[index]);

    for (uint32_t header : {12u, 40u, 108u, 124u}) {
        for (bool topDown : {false, true}) {
            if (header == 12 && topDown) continue;
            TBmpOptions options;
            options.headerSize = header;
            options.topDown = topDown;
            std::vector<uint32_t> values;
            for (uint32_t index : indices) values.push_back(colours[index]);  // 24-bit: B, G, R
            const std::string name = "24-" + std::to_string(header) + (topDown ? "-td" : "");
            expectPixels(loadPictureFile(writeFile(dir / (name + ".bmp"), writeBmp(kWidth, kHeight, values, options))),
                         expected, name);
            if (header == 12) continue;
            options.bitsPerPixel = 32;  // BI_RGB: B, G, R, unused
            for (uint32_t& value : values) value |= 0xAB000000u;
            expectPixels(TVekImage(decodeBmp(writeBmp(kWidth, kHeight, values, options))), expected, name + "-32");
            options.bitfields = true;  // the same order named by masks, alpha in the top byte
            options.masks[0] = 0x00FF0000;
            options.masks[1] = 0x0000FF00;
            options.masks[2] = 0x000000FF;
            expectPixels(TVekImage(decodeBmp(writeBmp(kWidth, kHeight, values, options))), expected,
                         name + "-32-bitfields");
        }
    }

    // Masks in another order: red in the low byte.
    TBmpOptions swapped;
    swapped.bitsPerPixel = 32;
    swapped.bitfields = true;
    swapped.masks[0] = 0x000000FF;
    swapped.masks[1] = 0x0000FF00;
    swapped.masks[2] = 0x00FF0000;
    std::vector<uint32_t> values;
    for (uint32_t index : indices) {
        const uint32_t c = colours[index];
        values.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16));
    }
    expectPixels(TVekImage(decodeBmp(writeBmp(kWidth, kHeight, values, swapped))), expected, "32-swapped");
}

TEST_F(PictureLoaderTest, SixteenBitPictures) {
    // Five- and six-bit channels are scaled to 0 ... 255 to the nearest level.
    const uint32_t r5 = 16, g5 = 31, b5 = 1;  // 132, 255, 8
    TBmpOptions rgb555;
    rgb555.bitsPerPixel = 16;
    std::vector<uint32_t> values(kWidth * kHeight, (r5 << 10) | (g5 << 5) | b5);
    values[0] = 0x7FFF;
    values[1] = 0;
    std::vector<uint32_t> expected(kWidth * kHeight, 0x84FF08);
    expected[0] = WHITE;
    expected[1] = BLACK;
    for (bool topDown : {false, true}) {
        rgb555.topDown = topDown;
        expectPixels(TVekImage(decodeBmp(writeBmp(kWidth, kHeight, values, rgb555))), expected, "555");
    }

    TBmpOptions rgb565 = rgb555;
    rgb565.bitfields = true;
    rgb565.masks[0] = 0xF800;
    rgb565.masks[1] = 0x07E0;
    rgb565.masks[2] = 0x001F;
    const uint32_t g6 = 32;  // 130
    std::fill(values.begin(), values.end(), (r5 << 11) | (g6 << 5) | b5);
    values[0] = 0xFFFF;
    values[1] = 0;
    std::fill(expected.begin(), expected.end(), 0x848208);
    expected[0] = WHITE;
    expected[1] = BLACK;
    for (uint32_t header : {40u, 108u, 124u}) {
        rgb565.headerSize = header;
        expectPixels(TVekImage(decodeBmp(writeBmp(kWidth, kHeight, values, rgb565))), expected,
                     "565-" + std::to_string(header));
    }
}

TEST_F(PictureLoaderTest, ZintPicturesMatchTheirModuleMatrix) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    const auto modules = test::zintDump("-b QRCODE -d 'Orvel loads bitmaps'");
    ASSERT_FALSE(modules.empty());
    const auto plain = dir / "qr.bmp";
    ASSERT_TRUE(test::zintRender("-b QRCODE -d 'Orvel loads bitmaps' --scale 0.5", plain));
    const auto coloured = dir / "qr-colour.BMP";
    ASSERT_TRUE(test::zintRender("-b QRCODE -d 'Orvel loads bitmaps' --scale 1 --fg=A01020 --bg=F0F0C0", coloured));

    const TVekImage image = loadPictureFile(plain);
    const int32_t size = static_cast<int32_t>(modules.size());
    ASSERT_EQ(image.width, size);
    ASSERT_EQ(image.height, size);
    EXPECT_TRUE(image.blackAndWhite);
    const TVekImage colour = loadPictureFile(coloured);
    ASSERT_EQ(colour.width, 2 * size);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            ASSERT_EQ(image.getPixelInt(x, y), modules[y][x] ? BLACK : WHITE) << x << ", " << y;
            ASSERT_EQ(colour.getPixelInt(2 * x + 1, 2 * y + 1), modules[y][x] ? 0xA01020u : 0xF0F0C0u);
        }
    }

    // A linear symbol: bars run the full height, so every row starts alike.
    const auto bars = dir / "code128.bmp";
    ASSERT_TRUE(test::zintRender("-b CODE128 -d ORVEL --notext", bars));
    const TVekImage barImage = loadPictureFile(bars);
    ASSERT_GT(barImage.width, 50);
    for (int32_t x = 0; x < barImage.width; ++x)
        ASSERT_EQ(barImage.getPixelInt(x, 1), barImage.getPixelInt(x, barImage.height - 2)) << x;
}

// ---- JPEG files made with libjpeg.

using test::TJpegOptions;

// Flat 16 × 16 blocks of colour (JPEG keeps flat blocks nearly exact).
TVekBitmap blockPicture(int32_t width, int32_t height, const std::vector<uint32_t>& colours) {
    TVekBitmap bitmap(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = colours[(x / 16 + 3 * (y / 16)) % colours.size()];
            uint8_t* p = bitmap.row(y) + 3 * x;
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    return bitmap;
}

int channelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

TEST_F(PictureLoaderTest, JpegBaselineProgressiveAndGrey) {
    const std::vector<uint32_t> colours = {0x000000, 0xFFFFFF, 0xC03020, 0x20A040, 0x3040C0, 0x808080};
    const std::vector<uint32_t> greys = {0x000000, 0xFFFFFF, 0x404040, 0xC0C0C0, 0x808080};
    for (const TJpegOptions& options : {TJpegOptions{false, false}, TJpegOptions{false, true},
                                        TJpegOptions{true, false}, TJpegOptions{true, true}}) {
        const std::vector<uint32_t>& palette = options.grey ? greys : colours;
        const TVekBitmap source = blockPicture(96, 48, palette);
        const std::string name = std::string(options.grey ? "grey" : "colour") + (options.progressive ? "-prog" : "");
        const auto path = writeFile(dir / (name + ".JPG"), test::encodeJpeg(source, options));
        const TVekImage image = loadPictureFile(path);
        ASSERT_EQ(image.width, 96) << name;
        ASSERT_EQ(image.height, 48) << name;
        EXPECT_TRUE(image.jpegImage()) << name;
        const TVekImage expected{TVekBitmap(source)};
        // Block interiors only: chroma upsampling blends colours across block edges.
        int worst = 0;
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 96; ++x)
                if (x % 16 >= 3 && x % 16 <= 12 && y % 16 >= 3 && y % 16 <= 12) worst = std::max(worst, channelDistance(image.getPixelInt(x, y), expected.getPixelInt(x, y)));
        EXPECT_LE(worst, 12) << name;
        if (options.grey) {
            const uint32_t pixel = image.getPixelInt(40, 20);
            EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF) << name;
            EXPECT_EQ(pixel & 0xFF, pixel >> 16) << name;
        }
    }
}

TEST_F(PictureLoaderTest, ContentDecidesForOtherNames) {
    TBmpOptions options;
    const std::vector<uint32_t> values(kWidth * kHeight, 0x123456);
    const auto bmp = writeFile(dir / "picture.dat", writeBmp(kWidth, kHeight, values, options));
    EXPECT_EQ(loadPictureFile(bmp).getPixelInt(0, 0), 0x123456u);
    const auto jpeg = writeFile(dir / "picture.jpeg", test::encodeJpeg(blockPicture(16, 16, {0xFFFFFF}), {}));
    EXPECT_EQ(loadPictureFile(jpeg).width, 16);
    const auto text = writeFile(dir / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(loadError(text), text.string() + ": unknown picture format");
}

// The rows handed to the read (in place for an uncompressed 24-bit bitmap,
// decoded otherwise) are the pixels of the loaded picture, and the colour
// picture made from them is the loaded picture.
TEST_F(PictureLoaderTest, LoadedPixelsAreTheLoadedPicture) {
    const std::vector<uint32_t> colours = {0x000000, 0xFFFFFF, 0xC03020, 0x20A040, 0x3040C0, 0x808080, 0x010203};
    std::vector<uint32_t> direct = indexPattern(colours.size());
    for (uint32_t& value : direct) value = colours[value];
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (bool topDown : {false, true}) {
        TBmpOptions options;
        options.topDown = topDown;
        files.emplace_back(topDown ? "24-top-down" : "24-bottom-up", writeBmp(kWidth, kHeight, direct, options));
        options.bitsPerPixel = 32;
        files.emplace_back(topDown ? "32-top-down" : "32-bottom-up", writeBmp(kWidth, kHeight, direct, options));
    }
    TBmpOptions core;
    core.headerSize = 12;
    files.emplace_back("24-core", writeBmp(kWidth, kHeight, direct, core));
    TBmpOptions paletted;
    paletted.bitsPerPixel = 8;
    paletted.palette = colours;
    files.emplace_back("8-palette", writeBmp(kWidth, kHeight, indexPattern(colours.size()), paletted));
    TBmpOptions twoColours;
    twoColours.palette = {0x000000, 0xFFFFFF};
    twoColours.bitsPerPixel = 1;
    files.emplace_back("1-black-and-white", writeBmp(kWidth, kHeight, indexPattern(2), twoColours));
    files.emplace_back("jpeg", test::encodeJpeg(blockPicture(40, 24, colours), {}));
    files.emplace_back("png", encodePng(TVekPngRaster::fromBitmap(blockPicture(24, 40, colours))));

    for (const auto& [name, bytes] : files) {
        const auto path = writeFile(dir / ("pixels-" + name), bytes);
        const TVekImage image = loadPicture(path);
        const TVekLoadedPixels pixels = loadPicturePixels(path);
        ASSERT_EQ(pixels.width(), image.width) << name;
        ASSERT_EQ(pixels.height(), image.height) << name;
        const TVekImageView view = pixels.view();
        ASSERT_TRUE(view.isValid()) << name;
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x) {
                const uint8_t* p = view.row(y) + 3 * x;
                ASSERT_EQ((uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0], image.getPixelInt(x, y))
                    << name << " at " << x << ", " << y;
            }
        expectSamePicture(pixels.toImage(), image, name);
        expectSamePicture(decodePicturePixels(bytes, name).toImage(), image, name + " in memory");
    }
}

// ---- Damaged and hostile files.

std::vector<uint8_t> validBmp(int bpp = 24) {
    TBmpOptions options;
    options.bitsPerPixel = bpp;
    if (bpp <= 8) options.palette = {0xFFFFFF, 0x000000};
    return writeBmp(kWidth, kHeight, indexPattern(2), options);
}

TEST_F(PictureLoaderTest, DamagedBitmapsAreRefusedWithTheReason) {
    struct TCase {
        std::string name;
        std::vector<uint8_t> bytes;
        std::string message;
    };
    std::vector<TCase> cases;
    const auto patched = [](std::vector<uint8_t> bytes, size_t at, uint32_t value) {
        putU32(bytes, at, value);
        return bytes;
    };
    const std::vector<uint8_t> good = validBmp();
    cases.push_back({"empty.bmp", {}, "file is empty"});
    cases.push_back({"signature.bmp", patched(good, 0, 0x00004D42 ^ 0x20), "not a BMP file (no \"BM\" signature)"});
    cases.push_back({"header-cut.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 30),
                     "BMP file is truncated (incomplete header)"});
    cases.push_back({"pixels-cut.bmp", std::vector<uint8_t>(good.begin(), good.end() - 1),
                     "BMP file is truncated (199 of 200 bytes of pixel data)"});
    cases.push_back({"huge.bmp", patched(patched(good, 18, 20000), 22, 20000),
                     "BMP picture of 20000 x 20000 pixels is too large"});
    cases.push_back({"zero-width.bmp", patched(good, 18, 0), "BMP picture has no pixels (0 x 5)"});
    cases.push_back({"zero-height.bmp", patched(good, 22, 0), "BMP picture has no pixels (13 x 0)"});
    cases.push_back({"negative-width.bmp", patched(good, 18, static_cast<uint32_t>(-13)),
                     "invalid BMP picture size -13 x 5"});
    cases.push_back({"min-height.bmp", patched(good, 22, 0x80000000u),
                     "BMP picture of 13 x 2147483648 pixels is too large"});
    cases.push_back({"offset.bmp", patched(good, 10, 0x7FFFFFF0), "BMP pixel data offset 2147483632 lies outside the file"});
    cases.push_back({"offset-inside-header.bmp", patched(good, 10, 20), "BMP pixel data offset 20 lies outside the file"});
    cases.push_back({"rle.bmp", patched(good, 30, 1), "BMP run-length compression 1 needs 8-bit pixels, not 24"});
    cases.push_back({"png-inside.bmp", patched(good, 30, 5), "unsupported BMP compression 5"});
    cases.push_back({"header-size.bmp", patched(good, 14, 0xFFFFFFF0), "unsupported BMP header of 4294967280 bytes"});
    cases.push_back({"depth.bmp", patched(good, 28, 7), "unsupported BMP pixel depth of 7 bits"});
    cases.push_back({"planes.bmp", patched(good, 26, 3), "invalid BMP header (3 planes)"});
    cases.push_back({"bitfields-24.bmp", patched(good, 30, 3), "BMP bit fields need 16- or 32-bit pixels, not 24"});
    const std::vector<uint8_t> paletted = validBmp(8);
    cases.push_back({"palette-count.bmp", patched(paletted, 46, 0x10000000),
                     "BMP palette of 268435456 colours is invalid for 8-bit pixels"});
    cases.push_back({"palette-missing.bmp", patched(paletted, 10, 54), "BMP palette is missing"});

    const auto error = [](auto load) {
        try {
            load();
        } catch (const TVekException& failure) {
            return std::string(failure.what());
        }
        return std::string();
    };
    for (const TCase& c : cases) {
        const auto path = writeFile(dir / c.name, c.bytes);
        EXPECT_EQ(loadError(path), path.string() + ": " + c.message) << c.name;
        const std::string byContent = error([&] { loadPicture(path); });
        EXPECT_NE(byContent, "") << c.name;
        EXPECT_EQ(error([&] { loadPicturePixels(path); }), byContent) << c.name;
    }
    EXPECT_EQ(loadError(dir / "missing.bmp"),
              (dir / "missing.bmp").string() + ": cannot open the file: No such file or directory");
    EXPECT_EQ(loadError(dir), dir.string() + ": is a directory");
}

// A named pipe or a device is refused without being opened for reading (a
// pipe nobody writes to would block for ever); a link loop says why.
TEST_F(PictureLoaderTest, OnlyRegularFilesAreRead) {
    const auto fifo = dir / "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadError(fifo), fifo.string() + ": not a regular file");
    EXPECT_EQ(loadError("/dev/zero"), "/dev/zero: not a regular file");
    std::filesystem::create_symlink(dir / "loop-b.png", dir / "loop-a.png");
    std::filesystem::create_symlink(dir / "loop-a.png", dir / "loop-b.png");
    EXPECT_EQ(loadError(dir / "loop-a.png"),
              (dir / "loop-a.png").string() + ": cannot open the file: Too many levels of symbolic links");
    const auto empty = writeFile(dir / "empty.png", {});
    EXPECT_EQ(loadError(empty), empty.string() + ": file is empty");
}

TEST_F(PictureLoaderTest, DamagedJpegsAreRefused) {
    const std::vector<uint8_t> good = test::encodeJpeg(blockPicture(64, 64, {0xFF0000, 0x00FF00}), {});
    const auto truncated = writeFile(dir / "cut.jpg", std::vector<uint8_t>(good.begin(), good.end() - 40));
    EXPECT_EQ(loadError(truncated), truncated.string() + ": cannot decode JPEG: JPEG data is truncated");
    const auto headerOnly = writeFile(dir / "header.jpg", std::vector<uint8_t>(good.begin(), good.begin() + 100));
    EXPECT_EQ(loadError(headerOnly).rfind(headerOnly.string() + ": cannot decode JPEG: ", 0), 0u);
    const auto notJpeg = writeFile(dir / "bitmap.jpg", validBmp());
    EXPECT_EQ(loadError(notJpeg), notJpeg.string() + ": not a JPEG file (no start-of-image marker)");

    // A frame header claiming 20000 × 20000 pixels is refused before decoding.
    std::vector<uint8_t> huge = good;
    for (size_t k = 0; k + 8 < huge.size(); ++k) {
        if (huge[k] == 0xFF && huge[k + 1] == 0xC0) {
            putU16(huge, k + 5, 0x204E);  // big-endian 20000
            putU16(huge, k + 7, 0x204E);
            break;
        }
    }
    const auto oversized = writeFile(dir / "huge.jpg", huge);
    EXPECT_EQ(loadError(oversized), oversized.string() + ": cannot decode JPEG: picture of 20000 x 20000 pixels is too large");
    const auto empty = writeFile(dir / "empty.jpg", {});
    EXPECT_EQ(loadError(empty), empty.string() + ": file is empty");

    // libjpeg's own reason stays in brackets after words a user knows.
    std::vector<uint8_t> noRows = good;
    std::vector<uint8_t> badLength = good;
    for (size_t k = 0; k + 8 < good.size(); ++k) {
        if (good[k] == 0xFF && good[k + 1] == 0xC0) putU16(noRows, k + 5, 0);
        if (good[k] == 0xFF && good[k + 1] == 0xDB) putU16(badLength, k + 2, 0x0100);  // a length of 1
    }
    const auto zeroHeight = writeFile(dir / "rows.jpg", noRows);
    EXPECT_EQ(loadError(zeroHeight), zeroHeight.string() +
                                         ": cannot decode JPEG: the picture has no rows (its header gives a height of "
                                         "0) (Empty JPEG image (DNL not supported))");
    const auto bogus = writeFile(dir / "length.jpg", badLength);
    EXPECT_EQ(loadError(bogus),
              bogus.string() + ": cannot decode JPEG: the compressed picture data is damaged (Bogus marker length)");
}

// Random byte flips and truncations of valid files: each either loads or
// raises TVekException; the sanitizer build catches any bad memory access.
TEST_F(PictureLoaderTest, DamagedFilesNeverCrash) {
    std::vector<std::vector<uint8_t>> seeds = {validBmp(1), validBmp(4), validBmp(8), validBmp(24)};
    TBmpOptions bitfields;
    bitfields.bitsPerPixel = 16;
    bitfields.bitfields = true;
    bitfields.masks[0] = 0xF800;
    bitfields.masks[1] = 0x07E0;
    bitfields.masks[2] = 0x001F;
    seeds.push_back(writeBmp(kWidth, kHeight, indexPattern(7), bitfields));
    TBmpOptions core;
    core.headerSize = 12;
    core.bitsPerPixel = 4;
    core.palette = {0x000000, 0xFFFFFF, 0xFF0000};
    seeds.push_back(writeBmp(kWidth, kHeight, indexPattern(3), core));
    const std::vector<uint8_t> jpeg = test::encodeJpeg(blockPicture(32, 32, {0x000000, 0xFFFFFF, 0x3366CC}), {});
    const std::vector<uint8_t> progressive =
        test::encodeJpeg(blockPicture(32, 32, {0x000000, 0xFFFFFF}), TJpegOptions{false, true});

    std::mt19937 random(20261207);
    int loaded = 0, refused = 0;
    const auto attempt = [&](const std::vector<uint8_t>& bytes, bool asJpeg) {
        std::string imageError;
        try {
            const TVekImage image = asJpeg ? TVekImage(TVekJpegPicture{bytes}) : TVekImage(decodeBmp(bytes));
            EXPECT_GT(image.width, 0);
            ++loaded;
        } catch (const TVekException& error) {
            imageError = error.what();
            ++refused;
        }
        // The rows seen in place in a damaged bitmap stay within its bytes
        // (the sanitizer build checks every one) and hold the same pixels.
        if (asJpeg || bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return;
        try {
            const TVekLoadedPixels pixels = decodePicturePixels(bytes, "x");
            ASSERT_EQ(imageError, "");
            expectSamePicture(pixels.toImage(), TVekImage(decodeBmp(bytes)), "damaged");
        } catch (const TVekException& error) {
            EXPECT_EQ("x: " + imageError, error.what());
        }
    };
    for (int round = 0; round < 1500; ++round) {
        const bool asJpeg = round % 3 == 0;
        std::vector<uint8_t> bytes = asJpeg ? (round % 2 ? jpeg : progressive) : seeds[round % seeds.size()];
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < flips; ++k) {
            // Header bytes are hit more often: they decide the layout.
            const size_t limit = random() % 2 ? std::min<size_t>(bytes.size(), 128) : bytes.size();
            bytes[random() % limit] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) bytes.resize(random() % bytes.size());
        attempt(bytes, asJpeg);
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(PictureLoaderTest, JpegsWithDamagedDataAreRefusedWithoutDecodingTheRest) {
    // Noise makes long entropy-coded data; a marker in the middle of it is
    // what a damaged download or two files run together look like.
    TVekBitmap noise(256, 256);
    uint32_t state = 12345;
    for (uint8_t& byte : noise.bgr) byte = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 24);
    std::vector<uint8_t> damaged = test::encodeJpeg(noise, {});
    damaged[damaged.size() / 2] = 0xFF;  // an end-of-image marker in the middle of the data
    damaged[damaged.size() / 2 + 1] = 0xD9;
    const auto path = writeFile(dir / "damaged.jpg", damaged);
    const std::string error = loadError(path);
    EXPECT_EQ(error.rfind(path.string() + ": corrupt JPEG data (", 0), 0u) << error;
    EXPECT_EQ(error.back(), ')');
    EXPECT_EQ(error.find("Corrupt"), std::string::npos) << "libjpeg's words without their own prefix";
}

}  // namespace
}  // namespace orvel
