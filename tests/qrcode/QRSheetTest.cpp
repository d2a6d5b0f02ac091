#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>
#include <string>

#include "foundation/VekPictureLoader.h"
#include "qrcode/VekQRCodeReader.h"
#include "read/VekReadBarcodes.h"
#include "support/PhotoTestSupport.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

// A sheet of labels: rows of QR codes close together, so that finder
// patterns of neighbouring codes form many right angles with equal sides.
TVekImage labelSheet(int columns, int rows, const std::filesystem::path& dir) {
    std::optional<TVekImage> sheet;
    for (int r = 0; r < rows; ++r) {
        std::optional<TVekImage> row;
        for (int c = 0; c < columns; ++c) {
            const auto path = dir / ("label" + std::to_string(r * columns + c) + ".bmp");
            EXPECT_TRUE(test::zintRender("-b QRCODE --vers=2 --quietzones --scale=2 -d LABEL-" +
                                             std::to_string(r * columns + c), path));
            TVekImage label = loadPictureFile(path);
            row = row ? test::sideBySide(*row, label, 0) : std::move(label);
        }
        sheet = sheet ? test::placeAbove(*sheet, *row, 0) : std::move(*row);
    }
    return std::move(*sheet);
}

TEST(QRSheetTest, EveryLabelOfASheetIsReadOnceWithAtMostOneFailedRecordPerLabel) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    TVekImage sheet = labelSheet(5, 4, test::testDirectory("qr_sheet"));
    TVekQRCodeReader reader;
    const TVekQRCodeDataArray records = reader.read(sheet);
    std::multiset<std::string> decoded;
    size_t failed = 0;
    for (const TVekQRCodeData& record : records) {
        if (record.success) decoded.insert(record.getValueAsString());
        else ++failed;
    }
    EXPECT_EQ(decoded.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(decoded.count("LABEL-" + std::to_string(i)), 1u) << i;
    EXPECT_LE(failed, 20u);
}

// The photo path too: many finders of equal size at right angles must not
// crowd out each symbol's own triplet, and each symbol fails at most once.
TEST(QRSheetTest, ThePhotoReaderReadsEveryLabelOfALargeSheetOnce) {
    if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    TVekImage sheet = labelSheet(10, 6, test::testDirectory("qr_photo_sheet"));
    TVekReaderOptions options;
    options.formats = {TVekBarcodeFormat::qrCode};
    options.returnErrors = true;
    std::multiset<std::string> decoded;
    size_t failed = 0;
    for (const TVekBarcode& barcode : readBarcodes(sheet, options)) {
        if (barcode.isValid) decoded.insert(barcode.bytes);
        else ++failed;
    }
    EXPECT_EQ(decoded.size(), 60u);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(decoded.count("LABEL-" + std::to_string(i)), 1u) << i;
    EXPECT_LE(failed, 60u);
}

// The modules of `count` small labels LABEL-0, LABEL-1, ... (version 2).
std::vector<test::TModuleMatrix> labelModules(int count) {
    std::vector<test::TModuleMatrix> labels;
    for (int i = 0; i < count; ++i)
        labels.push_back(test::trimmedModules(test::zintDump("-b QRCODE --vers=2 -d LABEL-" + std::to_string(i))));
    return labels;
}

// The labels side by side, `columns` to a row, `pixels` a module, each with
// the quiet zone of four modules its neighbours' touch: a sheet as printed.
std::vector<uint8_t> paintSheet(const std::vector<test::TModuleMatrix>& labels, int columns, int pixels, int32_t& width,
                                int32_t& height) {
    const int side = static_cast<int>(labels.front().size());
    const int pitch = (side + 8) * pixels;
    const int rows = (static_cast<int>(labels.size()) + columns - 1) / columns;
    width = columns * pitch;
    height = rows * pitch;
    std::vector<uint8_t> sheet(static_cast<size_t>(width) * height, 255);
    for (size_t i = 0; i < labels.size(); ++i) {
        const int left = static_cast<int>(i) % columns * pitch + 4 * pixels;
        const int top = static_cast<int>(i) / columns * pitch + 4 * pixels;
        for (int y = 0; y < side * pixels; ++y)
            for (int x = 0; x < side * pixels; ++x)
                if (labels[i][y / pixels][x / pixels] != 0)
                    sheet[static_cast<size_t>(top + y) * width + left + x] = 0;
    }
    return sheet;
}

// A sheet of 400 labels (more finders than any fixed count of candidates or
// triplets would cover) is read in full, whatever its shape, and each label
// once: a limit on the search degrades to fewer symbols, never to none.
TEST(QRSheetTest, ThePhotoReaderReadsEveryLabelOfSheetsOfFourHundred) {
    ASSERT_TRUE(test::haveZint());
    const std::vector<test::TModuleMatrix> labels = labelModules(400);
    ASSERT_EQ(labels.size(), 400u);
    ASSERT_EQ(labels.front().size(), 25u);
    for (const int columns : {20, 2}) {
        int32_t width = 0, height = 0;
        // Two pixels a module: the smallest that reads in the first pass.
        const std::vector<uint8_t> sheet = paintSheet(labels, columns, 2, width, height);
        TVekReaderOptions options;
        options.formats = {TVekBarcodeFormat::qrCode};
        options.returnErrors = true;
        std::multiset<std::string> decoded;
        size_t failed = 0;
        for (const TVekBarcode& barcode : readBarcodes(TVekImageView(sheet.data(), width, height, TVekPixelFormat::grey), options)) {
            if (barcode.isValid) decoded.insert(barcode.bytes);
            else ++failed;
        }
        EXPECT_EQ(decoded.size(), 400u) << columns << " columns";
        for (int i = 0; i < 400; ++i) EXPECT_EQ(decoded.count("LABEL-" + std::to_string(i)), 1u) << columns << " columns, " << i;
        EXPECT_LE(failed, 400u);
    }
}

}  // namespace
}  // namespace orvel
