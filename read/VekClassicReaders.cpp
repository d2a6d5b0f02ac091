#include "read/VekClassicReaders.h"

#include "aztec/VekAztecCodeReader.h"
#include "datamatrix/VekDatamatrixReader.h"
#include "foundation/VekROrvelConfiguration.h"
#include "oned/VekBarcode1DReader.h"
#include "pdf417/VekPDF417Reader.h"
#include "qrcode/VekQRCodeReader.h"
#include "read/VekClassicText.h"

namespace orvel {

namespace {

using F = TVekBarcodeFormat;

// A record that gives one point only: every corner there.
std::array<TVekPointF, 4> pointPosition(int32_t x, int32_t y) {
    const TVekPointF at{static_cast<double>(x), static_cast<double>(y)};
    return {at, at, at, at};
}

TVekBarcode classicBarcode(TVekBarcodeFormat format, std::string bytes, bool valid) {
    TVekBarcode barcode;
    barcode.format = format;
    barcode.bytes = std::move(bytes);
    barcode.isValid = valid;
    if (!valid) barcode.error = "error correction failed";
    return barcode;
}

// The settings the 1D button writes for each picture, on top of the defaults.
TVekROrvelConfiguration linearSettings() {
    TVekROrvelConfiguration settings;
    writeLinearPictureSettings(settings);
    return settings;
}

int32_t linearFlags(const TVekReaderOptions& options, const TVekBarcodeFormats& formats) {
    int32_t result = 0;
    for (const TVekSymbologyFlag& row : symbologyFlags())
        if (options.formats.asks(row.format) && formats.contains(row.format)) result |= row.flag;
    return result;
}

// `copy` is the reader's own: it stretches the contrast in place.
void readLinear(TVekImage copy, int32_t flags, bool upcAAsked, TVekBarcodes& found) {
    if (flags == 0) return;
    TVekBarcode1DReader reader(linearSettings());
    reader.setSymbologies(flags);
    reader.acceptBlackAndWhite = false;
    for (const TVekBarcodeData& record : reader.scan(copy, false)) {
        const std::optional<TVekBarcodeFormat> format = formatOfSymbology(record.getSymbology());
        if (!format) continue;
        TVekBarcode barcode = classicLinearBarcode(*format, record.getContent(), upcAAsked);
        barcode.position = pointPosition(record.getX(), record.getY());
        found.push_back(std::move(barcode));
    }
}

void readPDF417(const TVekImage& image, TVekBarcodes& found) {
    TVekPDF417Reader reader{TVekROrvelConfiguration{}};
    reader.imageIsBlackAndWhite = false;
    TVekImage copy = image.getCopy();
    for (const TVekPDF417Data& record : reader.read(copy)) {
        TVekBarcode barcode = classicBarcode(F::pdf417, record.getValueAsString(), record.isCorrected());
        barcode.symbologyIdentifier = "]L2";
        barcode.position = pointPosition(record.getX(), record.getY());
        found.push_back(std::move(barcode));
    }
}

void readDatamatrix(const TVekImage& image, TVekBarcodes& found) {
    TVekDatamatrixReader reader{TVekROrvelConfiguration{}};
    reader.imageIsBlackAndWhite = false;
    TVekImage copy = image.getCopy();
    TVekDatamatrixDataArray records;
    reader.read(copy, records);
    for (const TVekDatamatrixData& record : records) {
        TVekBarcode barcode = classicBarcode(F::dataMatrix, record.getContentBytes(), true);
        barcode.symbologyIdentifier = "]d1";
        barcode.position = pointPosition(record.getX(), record.getY());
        found.push_back(std::move(barcode));
    }
}

void readQRCode(const TVekImage& image, TVekBarcodes& found) {
    TVekQRCodeReader reader;
    reader.binaryInput = false;
    TVekImage copy = image.getCopy();
    static constexpr const char* levels[] = {"L", "M", "Q", "H"};
    for (const TVekQRCodeData& record : reader.read(copy)) {
        TVekBarcode barcode = classicBarcode(F::qrCode, record.getValueAsString(), record.success);
        barcode.symbologyIdentifier = "]Q1";
        if (record.ecLevel >= 0 && record.ecLevel < 4) barcode.ecLevel = levels[record.ecLevel];
        // The finder centres, the fourth one completing the parallelogram.
        const TVekPointF topLeft{double(record.x1), double(record.y1)}, topRight{double(record.x2), double(record.y2)};
        const TVekPointF bottomLeft{double(record.x3), double(record.y3)};
        barcode.position = {topLeft, topRight, topRight + bottomLeft - topLeft, bottomLeft};
        barcode.setOrientationFromPosition();
        found.push_back(std::move(barcode));
    }
}

void readAztec(const TVekImage& image, TVekBarcodes& found) {
    TVekAztecCodeReader reader;
    reader.binaryInput = false;
    TVekImage copy = image.getCopy();
    for (const TVekAztecData& record : reader.read(copy)) {
        TVekBarcode barcode = classicBarcode(F::aztec, record.getValueAsString(), record.success);
        barcode.symbologyIdentifier = "]z0";
        barcode.position = pointPosition(record.x, record.y);
        found.push_back(std::move(barcode));
    }
}

bool wants(const TVekReaderOptions& options, const TVekBarcodeFormats& formats, TVekBarcodeFormat format) {
    return options.formats.asks(format) && formats.contains(format);
}

// `spare` is the caller's picture when it is not needed after the call: the
// linear reader, which stretches the contrast of its own copy, takes it
// instead of a copy when no other reader follows, so a large picture is held
// once less.
TVekBarcodes readAll(const TVekImage& image, TVekImage* spare, const TVekReaderOptions& options,
                     const TVekBarcodeFormats& formats) {
    const bool othersRead = wants(options, formats, F::pdf417) || wants(options, formats, F::dataMatrix) ||
                            wants(options, formats, F::qrCode) || wants(options, formats, F::aztec);
    TVekBarcodes found;
    // The demonstration program's button order.
    const int32_t linear = linearFlags(options, formats);
    if (linear != 0)
        readLinear(spare != nullptr && !othersRead ? std::move(*spare) : image.getCopy(), linear,
                   options.formats.asks(F::upcA), found);
    if (wants(options, formats, F::pdf417)) readPDF417(image, found);
    if (wants(options, formats, F::dataMatrix)) readDatamatrix(image, found);
    if (wants(options, formats, F::qrCode)) readQRCode(image, found);
    if (wants(options, formats, F::aztec)) readAztec(image, found);
    return found;
}

}  // namespace

TVekBarcodes readClassic(const TVekImage& image, const TVekReaderOptions& options, const TVekBarcodeFormats& formats) {
    return readAll(image, nullptr, options, formats);
}

TVekBarcodes readClassic(TVekImage&& image, const TVekReaderOptions& options, const TVekBarcodeFormats& formats) {
    return readAll(image, &image, options, formats);
}

TVekImage imageOfView(const TVekImageView& view) {
    TVekImage image(view.width, view.height);
    const int step = bytesPerPixel(view.format);
    const TVekChannelOffsets at = channelOffsets(view.format);
    std::vector<uint32_t>& pixels = image.pixelData();
    for (int32_t y = 0; y < view.height; ++y) {
        const uint8_t* source = view.row(y);
        uint32_t* target = pixels.data() + static_cast<size_t>(y) * view.width;
        for (int32_t x = 0; x < view.width; ++x, source += step) {
            const uint32_t alpha = at.alpha >= 0 ? source[at.alpha] : 255;
            target[x] = (uint32_t{overWhite(source[at.red], alpha)} << 16) |
                        (uint32_t{overWhite(source[at.green], alpha)} << 8) | overWhite(source[at.blue], alpha);
        }
    }
    return image;
}

}  // namespace orvel
