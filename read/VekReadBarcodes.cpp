#include "read/VekReadBarcodes.h"

#include <algorithm>
#include <utility>

#include "foundation/VekBinaryCache.h"
#include "foundation/VekException.h"
#include "foundation/VekMemoryBudget.h"
#include "read/VekClassicReaders.h"
#include "read/VekPhotoSchedule.h"
#include "read/VekResultSet.h"

namespace orvel {

namespace {

// The documented readers run only when asked for: the photo front ends read
// everything they read, trying harder included, at a fraction of the cost.
TVekBarcodeFormats classicFamilies(const TVekReaderOptions& options) {
    return options.classic ? TVekBarcodeFormats::all() : TVekBarcodeFormats{};
}

bool asksAny(const TVekReaderOptions& options, const TVekBarcodeFormats& family) {
    return options.formats.empty() || options.formats.intersects(family);
}

// Where the documented readers get their colour picture, when they run: the
// loaded picture itself, or one made from the caller's view or from loaded
// pixels.
struct TClassicPicture {
    const TVekImage* loaded = nullptr;
    const TVekImageView* view = nullptr;
    const TVekLoadedPixels* pixels = nullptr;
};

// The grey picture is moved into the binary cache: the read makes it once
// and copies it never.
TVekBarcodes read(const TClassicPicture& classic, TVekGreyImage grey, const TVekReaderOptions& options,
                  TVekDebugSink* debug) {
    TVekResultSet found(options);
    if (grey.empty()) return found.take();
    if (!options.classic) {
        TVekBinaryCache picture(std::move(grey));
        TVekPhotoSchedule(options, debug).read(picture, found);
    }
    // A read that asks for none of the documented readers' families skips
    // them, and with them the copy of the picture they need.
    const TVekBarcodeFormats families = classicFamilies(options);
    if (!found.isComplete() && !families.empty() && asksAny(options, families)) {
        if (classic.loaded != nullptr) {
            found.add(readClassic(*classic.loaded, options, families));
        } else if (classic.view != nullptr) {
            found.add(readClassic(imageOfView(*classic.view), options, families));
        } else if (classic.pixels != nullptr) {
            found.add(readClassic(classic.pixels->toImage(), options, families));
        }
    }
    return found.take();
}

}  // namespace

TVekBarcodes readBarcodes(const TVekImageView& image, const TVekReaderOptions& options, TVekDebugSink* debug) {
    TVekMemoryBudget budget(image.width, image.height);
    return read({.view = &image}, TVekGreyImage(image), options, debug);
}

TVekBarcodes readBarcodes(const TVekImage& image, const TVekReaderOptions& options, TVekDebugSink* debug) {
    TVekMemoryBudget budget(image.width, image.height);
    return read({.loaded = &image}, TVekGreyImage(image), options, debug);
}

TVekBarcodes readBarcodes(const TVekLoadedPixels& pixels, const TVekReaderOptions& options, TVekDebugSink* debug) {
    TVekMemoryBudget budget(pixels.width(), pixels.height());
    return read({.pixels = &pixels}, TVekGreyImage(pixels.view()), options, debug);
}

}  // namespace orvel
