#include "read/VekReadBarcodes.h"

#include <algorithm>

#include "aztec/VekAztecPhotoReader.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekException.h"
#include "foundation/VekMemoryBudget.h"
#include "oned/VekLinearPhotoReader.h"
#include "pdf417/VekPDF417PhotoReader.h"
#include "qrcode/VekMicroQRPhotoReader.h"
#include "qrcode/VekRMQRPhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "read/VekClassicReaders.h"
#include "read/VekResultSet.h"

namespace orvel {

namespace {

// The formats whose documented reader runs after the photo front end when
// the caller asks to try harder: the linear photo front end misses a few
// pictures the documented reader reads (a bar split by sharpening, a digit
// moved by blur), but that reader costs some twenty times as much as the
// whole photo path, too much for every picture. The QR Code, Data Matrix,
// Aztec and PDF417 photo front ends read everything their documented
// readers read.
const TVekBarcodeFormats classicFallbackFormats = TVekBarcodeFormats::linear();

TVekBarcodeFormats classicFamilies(const TVekReaderOptions& options) {
    if (options.classic) return TVekBarcodeFormats::all();
    return options.tryHarder ? classicFallbackFormats : TVekBarcodeFormats{};
}

bool asksAny(const TVekReaderOptions& options, const TVekBarcodeFormats& family) {
    return options.formats.empty() || options.formats.intersects(family);
}

// Runs each requested family's photo front end, cheapest first, on the
// shared grey picture and binarizations.
void readPhoto(TVekBinaryCache& picture, const TVekReaderOptions& options, TVekDebugSink* debug,
               TVekResultSet& found) {
    using F = TVekBarcodeFormat;
    if (asksAny(options, {F::qrCode}) && !found.isComplete())
        found.add(TVekQRPhotoReader(options, debug).read(picture));
    if (asksAny(options, {F::microQrCode}) && !found.isComplete())
        found.add(TVekMicroQRPhotoReader(options, debug).read(picture));
    if (asksAny(options, {F::rmqrCode}) && !found.isComplete())
        found.add(TVekRMQRPhotoReader(options, debug).read(picture));
    if (asksAny(options, {F::dataMatrix}) && !found.isComplete())
        found.add(TVekDatamatrixPhotoReader(options, debug).read(picture));
    if (asksAny(options, {F::aztec}) && !found.isComplete())
        found.add(TVekAztecPhotoReader(options, debug).read(picture));
    if (asksAny(options, TVekBarcodeFormats::linear()) && !found.isComplete())
        found.add(TVekLinearPhotoReader(options, debug).read(picture));
    if (asksAny(options, {F::pdf417}) && !found.isComplete())
        found.add(TVekPDF417PhotoReader(options, debug).read(picture));
}

TVekBarcodes read(const TVekImage* loaded, const TVekImageView* view, const TVekGreyImage& grey, const TVekReaderOptions& options,
                  TVekDebugSink* debug) {
    TVekResultSet found(options);
    if (grey.empty()) return found.take();
    if (!options.classic) {
        TVekBinaryCache picture(grey);
        readPhoto(picture, options, debug, found);
    }
    // A read that asks for none of the documented readers' families skips
    // them, and with them the copy of the picture they need.
    const TVekBarcodeFormats families = classicFamilies(options);
    if (!found.isComplete() && !families.empty() && asksAny(options, families)) {
        if (loaded != nullptr) {
            found.add(readClassic(*loaded, options, families));
        } else if (view != nullptr) {
            found.add(readClassic(imageOfView(*view), options, families));
        }
    }
    return found.take();
}

}  // namespace

TVekBarcodes readBarcodes(const TVekImageView& image, const TVekReaderOptions& options, TVekDebugSink* debug) {
    TVekMemoryBudget budget(image.width, image.height);
    const TVekGreyImage grey(image);
    return read(nullptr, &image, grey, options, debug);
}

TVekBarcodes readBarcodes(const TVekImage& image, const TVekReaderOptions& options, TVekDebugSink* debug) {
    TVekMemoryBudget budget(image.width, image.height);
    return read(&image, nullptr, TVekGreyImage(image), options, debug);
}

}  // namespace orvel
