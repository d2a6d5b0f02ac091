// The pass schedule and its table of photo front ends: every family is
// registered once, a reader with one whole read fits through the adapter,
// a picture without symbols earns no family its later passes, and light
// symbols (whose first look sees nothing dark) are still read by default.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/VekBinaryCache.h"
#include "foundation/VekSymbology.h"
#include "read/VekPhotoReaders.h"
#include "read/VekReadBarcodes.h"
#include "read/VekWholePhotoReader.h"
#include "support/PhotoTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

TEST(PhotoReaderTable, EveryFormatIsRegisteredOnceAndMakesAReader) {
    std::set<std::string> names;
    for (const TVekSymbology& row : symbologies()) {
        int readers = 0;
        for (const TVekPhotoReaderEntry& entry : photoReaders()) readers += entry.formats.contains(row.format);
        EXPECT_EQ(readers, 1) << row.name;
    }
    for (const TVekPhotoReaderEntry& entry : photoReaders()) {
        EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        EXPECT_FALSE(entry.formats.empty()) << entry.name;
        EXPECT_NE(entry.make(TVekReaderOptions{}, nullptr), nullptr) << entry.name;
    }
}

// A reader with one whole read, as a new family starts out.
class TCountingReader {
public:
    TCountingReader(const TVekReaderOptions&, TVekDebugSink*) {}
    TVekBarcodes read(TVekBinaryCache&) {
        ++reads;
        TVekBarcode barcode;
        barcode.format = F::maxiCode;
        barcode.isValid = true;
        return {barcode};
    }
    static inline int reads = 0;
};

TEST(PhotoReaderTable, WholeReadAdapterReadsOnceAsTheFirstPassAndAsksNoLaterOne) {
    TCountingReader::reads = 0;
    TVekBinaryCache picture(TVekGreyImage::fromPixels(std::vector<uint8_t>(64 * 64, 200), 64, 64));
    TVekWholePhotoReader<TCountingReader> reader(TVekReaderOptions{}, nullptr);
    EXPECT_FALSE(reader.readFirstPass(picture));
    reader.readLaterPasses(picture);
    const TVekBarcodes found = reader.take();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().format, F::maxiCode);
    EXPECT_EQ(TCountingReader::reads, 1);
    EXPECT_EQ(TVekWholePhotoReader<TCountingReader>(TVekReaderOptions{}, nullptr).readAll(picture, true).size(), 1u);
    EXPECT_EQ(TCountingReader::reads, 2);
}

// Pictures a camera sees without any symbol: a smooth gradient and a few
// large dark blocks. No family's first pass may see a candidate there, so
// they cost a first look each and nothing more.
TEST(PhotoSchedule, PicturesWithoutSymbolsEarnNoLaterPass) {
    const int32_t w = 320, h = 240;
    std::vector<uint8_t> gradient(static_cast<size_t>(w) * h), blocks(static_cast<size_t>(w) * h, 220);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            gradient[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(40 + (x + y) * 180 / (w + h));
            const bool dark = (x / 60 + y / 50) % 3 == 0 && x % 60 > 10 && y % 50 > 10;
            if (dark) blocks[static_cast<size_t>(y) * w + x] = 30;
        }
    for (auto* pixels : {&gradient, &blocks}) {
        TVekBinaryCache picture(TVekGreyImage::fromPixels(*pixels, w, h));
        for (const TVekPhotoReaderEntry& entry : photoReaders()) {
            auto reader = entry.make(TVekReaderOptions{}, nullptr);
            EXPECT_FALSE(reader->readFirstPass(picture)) << entry.name;
            EXPECT_TRUE(reader->take().empty()) << entry.name;
        }
        const TVekImage image = test::toImage(TVekGreyImage::fromPixels(*pixels, w, h));
        EXPECT_TRUE(readBarcodes(image).empty());
    }
}

// A light symbol on a dark ground shows none of its finder patterns dark on
// light; the schedule still reads it without tryHarder, and as inverted.
TEST(PhotoSchedule, LightSymbolsOfTheMatrixFamiliesAreReadByDefault) {
    ASSERT_TRUE(test::haveZint());
    struct TCase {
        F format;
        std::string arguments;
        std::string text;
    };
    const TCase cases[] = {
        {F::qrCode, "-b 58 -d 'Light QR on dark'", "Light QR on dark"},
        {F::dataMatrix, "-b 71 --square -d 'Light Data Matrix'", "Light Data Matrix"},
        {F::aztec, "-b 92 -d 'Light Aztec on dark'", "Light Aztec on dark"},
    };
    for (const TCase& one : cases) {
        // Square symbols: zint pads its dump rows to whole hex digits.
        const test::TModuleMatrix rows = test::zintDump(one.arguments);
        const test::TModuleMatrix modules = test::trimmedModules(rows, static_cast<int>(rows.size()));
        const TVekGreyImage grey = test::renderUpright(modules, 4.0).inverted();
        TVekReaderOptions options;
        options.formats = {one.format};
        const TVekBarcodes found = readBarcodes(test::toImage(grey), options);
        ASSERT_EQ(found.size(), 1u) << formatName(one.format);
        EXPECT_TRUE(found.front().isValid) << formatName(one.format);
        EXPECT_EQ(found.front().text(), one.text) << formatName(one.format);
        EXPECT_TRUE(found.front().isInverted) << formatName(one.format);
        // Every format asked: the other families' first looks change nothing.
        const TVekBarcodes all = readBarcodes(test::toImage(grey));
        ASSERT_FALSE(all.empty()) << formatName(one.format);
        EXPECT_EQ(all.front().text(), one.text) << formatName(one.format);
    }
}

// Symbols drawn up to the picture's edge, as zint writes QR Code without a
// quiet zone: a local threshold loses their finders at some module sizes,
// and the first look must not stop there.
TEST(PhotoSchedule, SymbolsWithoutQuietZoneAreReadAtEveryModuleSize) {
    ASSERT_TRUE(test::haveZint());
    const test::TModuleMatrix rows = test::zintDump("-b 58 -d 'https://example.com/x'");
    const test::TModuleMatrix modules = test::trimmedModules(rows, static_cast<int>(rows.size()));
    for (const double scale : {2.0, 3.0, 4.0, 5.0, 6.0, 8.0}) {
        const TVekBarcodes found = readBarcodes(test::toImage(test::renderUpright(modules, scale, 0)));
        ASSERT_EQ(found.size(), 1u) << scale;
        EXPECT_EQ(found.front().text(), "https://example.com/x") << scale;
    }
}

}  // namespace
}  // namespace orvel
