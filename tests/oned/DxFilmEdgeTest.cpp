#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/VekBinaryCache.h"
#include "oned/VekLinearPhotoReader.h"
#include "support/PhotoTestSupport.h"

namespace orvel {
namespace {

void appendBits(std::vector<int>& bits, int value, int count) {
    for (int i = count - 1; i >= 0; --i) bits.push_back((value >> i) & 1);
}

// The data track: start, part 1, 0, part 2, [frame, half-frame flag, 0],
// parity (even over part 1 onwards), stop. `frame` < 0 for the short form.
std::vector<int> dataTrack(int part1, int part2, int frame, bool halfFrame, bool breakParity = false) {
    std::vector<int> bits = {1, 0, 1, 0, 1, 0};
    appendBits(bits, part1, 7);
    bits.push_back(0);
    appendBits(bits, part2, 4);
    if (frame >= 0) {
        appendBits(bits, frame, 6);
        bits.push_back(halfFrame ? 1 : 0);
        bits.push_back(0);
    }
    int ones = 0;
    for (size_t i = 6; i < bits.size(); ++i) ones += bits[i];
    bits.push_back((ones % 2 != 0) != breakParity ? 1 : 0);
    for (const int bit : {0, 1, 0, 1}) bits.push_back(bit);
    return bits;
}

// A clock track as long as the data track: a bar of five modules, ticks, a
// space and a bar of three.
std::vector<int> clockTrack(size_t modules) {
    std::vector<int> bits = {1, 1, 1, 1, 1};
    while (bits.size() + 4 < modules) bits.push_back(bits.size() % 2 == 0 ? 1 : 0);
    for (const int bit : {0, 1, 1, 1}) bits.push_back(bit);
    return bits;
}

// The clock track over the data track, each four modules high.
TVekGreyImage film(const std::vector<int>& data, bool withClock = true) {
    test::TModuleMatrix modules;
    const std::vector<int> clock = withClock ? clockTrack(data.size()) : std::vector<int>(data.size(), 0);
    for (int k = 0; k < 4; ++k) modules.push_back(clock);
    for (int k = 0; k < 4; ++k) modules.push_back(data);
    return test::renderUpright(modules, 3, 6);
}

TVekBarcodes read(const TVekGreyImage& grey) {
    TVekBinaryCache picture(grey);
    return TVekLinearPhotoReader(TVekReaderOptions{}).read(picture);
}

TEST(DxFilmEdge, ReadsBothFormsWithEveryFormatOn) {
    const struct {
        std::vector<int> data;
        std::string text;
    } cases[] = {
        {dataTrack(80, 11, 23, false), "80-11/23"},
        {dataTrack(115, 6, 62, true), "115-6/62A"},
        {dataTrack(1, 15, 0, false), "1-15/0"},
        {dataTrack(42, 3, -1, false), "42-3"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(clockTrack(c.data.size()).size(), c.data.size());
        const TVekBarcodes found = read(film(c.data));
        ASSERT_EQ(found.size(), 1u) << c.text;
        EXPECT_EQ(found[0].format, TVekBarcodeFormat::dxFilmEdge);
        EXPECT_EQ(found[0].bytes, c.text);
    }
}

// A parity that fails, or a data track without its clock, reads as nothing.
TEST(DxFilmEdge, RefusesBadParityAndALoneDataTrack) {
    EXPECT_TRUE(read(film(dataTrack(80, 11, 23, false, true))).empty());
    for (const TVekBarcode& barcode : read(film(dataTrack(80, 11, 23, false), false)))
        EXPECT_NE(barcode.format, TVekBarcodeFormat::dxFilmEdge) << barcode.bytes;
}

}  // namespace
}  // namespace orvel
