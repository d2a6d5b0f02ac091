// Run-length encoded bitmaps (BI_RLE8, BI_RLE4): streams decode to the same
// pixels as the uncompressed picture, the escapes move and end the picture
// as the format says, and damaged or hostile streams end in an error naming
// the file, never a read or write outside the data.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "foundation/VekException.h"
#include "foundation/VekPictureLoader.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

const std::vector<uint32_t> kPalette = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x123456,
                                        0x654321, 0xABCDEF, 0x808080, 0x010203, 0xFEDCBA, 0x00FFFF,
                                        0xFF00FF, 0xFFFF00, 0x7F7F7F, 0x102030};

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int k = 0; k < 4; ++k) out[at + k] = (value >> (8 * k)) & 0xFF;
}

// A bitmap with a 40-byte header, the 16-colour palette and `stream` as its
// pixel data; compression 1 (8 bits) or 2 (4 bits).
std::vector<uint8_t> rleBmp(int32_t width, int32_t height, int bitsPerPixel, const std::vector<uint8_t>& stream,
                            uint32_t compression = 0) {
    const size_t pixelStart = 14 + 40 + 4 * kPalette.size();
    std::vector<uint8_t> out(pixelStart, 0);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out, 10, static_cast<uint32_t>(pixelStart));
    putU32(out, 14, 40);
    putU32(out, 18, static_cast<uint32_t>(width));
    putU32(out, 22, static_cast<uint32_t>(height));
    out[26] = 1;
    out[28] = static_cast<uint8_t>(bitsPerPixel);
    putU32(out, 30, compression != 0 ? compression : (bitsPerPixel == 8 ? 1 : 2));
    putU32(out, 46, static_cast<uint32_t>(kPalette.size()));
    for (size_t k = 0; k < kPalette.size(); ++k) putU32(out, 54 + 4 * k, kPalette[k]);
    out.insert(out.end(), stream.begin(), stream.end());
    putU32(out, 2, static_cast<uint32_t>(out.size()));
    return out;
}

// Encodes rows (top row first) as a writer does: runs of three or more equal
// indices as encoded runs, the stretches between them as absolute runs (or
// runs of one when shorter than three), an end of line after each row and an
// end of bitmap, rows stored bottom-up.
std::vector<uint8_t> encode(const std::vector<std::vector<uint8_t>>& rows, bool nibbles) {
    std::vector<uint8_t> out;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        size_t x = 0;
        while (x < row->size()) {
            size_t run = 1;
            while (x + run < row->size() && (*row)[x + run] == (*row)[x] && run < 255) ++run;
            if (run >= 3) {
                out.insert(out.end(), {static_cast<uint8_t>(run), static_cast<uint8_t>((*row)[x] * (nibbles ? 17 : 1))});
                x += run;
                continue;
            }
            size_t end = x;  // the stretch up to the next run of three
            while (end < row->size() && end - x < 255 &&
                   !(end + 2 < row->size() && (*row)[end] == (*row)[end + 1] && (*row)[end] == (*row)[end + 2]))
                ++end;
            const size_t count = end - x;
            if (count < 3) {
                for (size_t k = 0; k < count; ++k)
                    out.insert(out.end(), {1, static_cast<uint8_t>((*row)[x + k] << (nibbles ? 4 : 0))});
            } else {
                out.insert(out.end(), {0, static_cast<uint8_t>(count)});
                std::vector<uint8_t> bytes;
                for (size_t k = 0; k < count; ++k) {
                    if (!nibbles) bytes.push_back((*row)[x + k]);
                    else if (k % 2 == 0) bytes.push_back(static_cast<uint8_t>((*row)[x + k] << 4));
                    else bytes.back() |= (*row)[x + k];
                }
                if (bytes.size() % 2) bytes.push_back(0);
                out.insert(out.end(), bytes.begin(), bytes.end());
            }
            x = end;
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

std::filesystem::path writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

void expectIndices(const TVekBitmap& bitmap, const std::vector<std::vector<uint8_t>>& rows, const std::string& what) {
    ASSERT_EQ(bitmap.height, static_cast<int32_t>(rows.size())) << what;
    ASSERT_EQ(bitmap.width, static_cast<int32_t>(rows[0].size())) << what;
    for (int32_t y = 0; y < bitmap.height; ++y)
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const uint8_t* p = bitmap.row(y) + 3 * x;
            const uint32_t colour = p[0] | (p[1] << 8) | (p[2] << 16);
            ASSERT_EQ(colour, kPalette[rows[y][x]]) << what << " at " << x << ", " << y;
        }
}

class RunLengthBmpTest : public ::testing::Test {
protected:
    std::filesystem::path dir = test::testDirectory("run-length-bmp");
};

TEST_F(RunLengthBmpTest, StreamsDecodeToTheEncodedPixels) {
    std::mt19937 random(21);
    for (bool nibbles : {false, true}) {
        // Long equal stretches (a row of 300 needs two encoded runs), short
        // ones and noise, odd widths for the padding of absolute runs.
        for (int32_t width : {1, 7, 37, 300}) {
            std::vector<std::vector<uint8_t>> rows(9, std::vector<uint8_t>(static_cast<size_t>(width)));
            for (size_t y = 0; y < rows.size(); ++y)
                for (int32_t x = 0; x < width; ++x)
                    rows[y][x] = static_cast<uint8_t>(y % 3 == 0 ? (x / 5) % 16 : y % 3 == 1 ? random() % 16 : y);
            const std::string what = (nibbles ? "rle4-" : "rle8-") + std::to_string(width);
            expectIndices(decodeBmp(rleBmp(width, 9, nibbles ? 4 : 8, encode(rows, nibbles))), rows, what);
        }
    }
}

TEST_F(RunLengthBmpTest, EscapesMoveEndAndClipThePicture) {
    // Rows bottom-up: a run, a delta of two right and one up, one pixel, end
    // of line, an odd absolute run with its padding byte, a run too long for
    // its row (the rest is dropped, not carried into the next row), end of
    // bitmap with a row never written. Unset pixels keep index 0.
    const std::vector<uint8_t> rle8 = {3, 1, 0, 2, 2, 1, 1, 2, 0, 0, 0, 3, 3, 4, 5, 0, 9, 6, 0, 1};
    const std::vector<std::vector<uint8_t>> expected8 = {
        {0, 0, 0, 0, 0, 0}, {3, 4, 5, 6, 6, 6}, {0, 0, 0, 0, 0, 2}, {1, 1, 1, 0, 0, 0}};
    expectIndices(decodeBmp(rleBmp(6, 4, 8, rle8)), expected8, "rle8");

    // 4 bits: a run alternates the two nibbles; an absolute run of three
    // indices takes two bytes, a whole 16-bit word, so no padding follows.
    const std::vector<uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0, 0, 1};
    const std::vector<std::vector<uint8_t>> expected4 = {{3, 4, 5, 0, 0}, {1, 2, 1, 2, 1}};
    expectIndices(decodeBmp(rleBmp(5, 2, 4, rle4)), expected4, "rle4");
}

TEST_F(RunLengthBmpTest, DamagedAndHostileStreamsAreRefusedWithTheFileName) {
    const auto error = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        const auto path = writeFile(dir / name, bytes);
        try {
            loadPicture(path);
        } catch (const TVekException& e) {
            return std::string(e.what()).substr(path.string().size());
        }
        return std::string("no error");
    };
    const std::string truncated = ": BMP file is truncated (run-length data ends before the end of the picture)";
    EXPECT_EQ(error("no-end.bmp", rleBmp(4, 2, 8, {4, 1, 0, 0})), truncated);
    EXPECT_EQ(error("absolute-cut.bmp", rleBmp(4, 2, 8, {0, 4, 1, 2})), truncated);
    EXPECT_EQ(error("delta-cut.bmp", rleBmp(4, 2, 8, {0, 2, 1})), truncated);
    EXPECT_EQ(error("rle8-24.bmp", rleBmp(4, 2, 24, {0, 1}, 1)), ": BMP run-length compression 1 needs 8-bit pixels, not 24");
    EXPECT_EQ(error("rle4-8.bmp", rleBmp(4, 2, 8, {0, 1}, 2)), ": BMP run-length compression 2 needs 4-bit pixels, not 8");
    EXPECT_EQ(error("huge.bmp", rleBmp(20000, 4000, 8, {0, 1, 0, 1})),
              ": BMP run-length data of 4 bytes cannot fill a 20000 x 4000 picture");
    EXPECT_EQ(error("delta-far.bmp", rleBmp(4, 2, 8, {0, 2, 255, 255, 3, 1, 0, 1})), "no error");

    // Random streams, escapes made likely: a picture or a clear error, and
    // under the sanitizers no access outside the data or the raster.
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> stream(1 + random() % 40);
        for (uint8_t& byte : stream) byte = static_cast<uint8_t>(random() % 3 ? random() % 4 : random());
        const bool nibbles = round % 2 == 1;
        try {
            const TVekBitmap bitmap = decodeBmp(rleBmp(1 + round % 9, 1 + round % 5, nibbles ? 4 : 8, stream));
            EXPECT_EQ(bitmap.bgr.size(), static_cast<size_t>(3 * (1 + round % 9) * (1 + round % 5)));
        } catch (const TVekException& e) {
            EXPECT_NE(std::string(e.what()).find("truncated"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace orvel
