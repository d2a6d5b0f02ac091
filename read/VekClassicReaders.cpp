#include "read/VekClassicReaders.h"

namespace orvel {

TVekBarcodes readClassic(const TVekImage& image, const TVekReaderOptions& options, const TVekBarcodeFormats& families) {
    (void)image, (void)options, (void)families;
    return {};
}

TVekBarcodes readClassic(const TVekGreyImage& grey, const TVekReaderOptions& options,
                         const TVekBarcodeFormats& families) {
    (void)grey, (void)options, (void)families;
    return {};
}

}  // namespace orvel
