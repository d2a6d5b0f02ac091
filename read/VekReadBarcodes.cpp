#include "read/VekReadBarcodes.h"

#include <algorithm>

#include "aztec/VekAztecPhotoReader.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "foundation/VekBinaryCache.h"
#include "foundation/VekException.h"
#include "oned/VekLinearPhotoReader.h"
#include "pdf417/VekPDF417PhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "read/VekClassicReaders.h"
#include "read/VekResultSet.h"

namespace orvel {

namespace {

// The formats whose documented reader still runs after the photo front end:
// those whose photo front end does not yet read every corpus picture the
// documented reader reads. The QR Code, Data Matrix, Aztec and PDF417 ones do.
const TVekBarcodeFormats classicFallbackFormats = TVekBarcodeFormats::linear();

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
    // The families whose photo front end does not yet read everything the
    // documented reader reads keep that reader behind it; a read that asks for
    // none of them skips it, and with it the copy of the picture it needs.
    const TVekBarcodeFormats families = options.classic ? TVekBarcodeFormats::all() : classicFallbackFormats;
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
    const TVekGreyImage grey(image);
    return read(nullptr, &image, grey, options, debug);
}

TVekBarcodes readBarcodes(const TVekImage& image, const TVekReaderOptions& options, TVekDebugSink* debug) {
    return read(&image, nullptr, TVekGreyImage(image), options, debug);
}

}  // namespace orvel
