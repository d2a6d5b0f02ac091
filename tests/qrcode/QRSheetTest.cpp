#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/VekPictureLoader.h"
#include "qrcode/VekQRCodeReader.h"
#include "read/VekReadBarcodes.h"
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

}  // namespace
}  // namespace orvel
