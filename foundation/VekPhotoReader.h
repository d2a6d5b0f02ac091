#pragma once

#include "foundation/VekBarcode.h"
#include "foundation/VekBinaryCache.h"

namespace orvel {

// A family's photo front end as the pass schedule of one read sees it. One
// object serves one read of one picture: it keeps what its passes found (to
// know a symbol seen again) until take().
//
// The schedule (readBarcodes) runs every requested family's first pass on
// the shared grey picture and binarization, and the later passes only of a
// family whose first pass saw a candidate of its own, or when the caller
// asks to try harder: a picture without symbols then costs its grey
// conversion, one binarization and a cheap look per family.
//
// A reader registers in the table of read/VekPhotoReaders.cpp, one line
// with the formats it reads. A reader with one whole read only
// (`TVekBarcodes read(TVekBinaryCache&)`) registers through
// TVekWholePhotoReader there: its whole read is then its first pass.
class TVekPhotoReader {
public:
    virtual ~TVekPhotoReader() = default;

    // The cheapest look, on the binarization the options name (or one made
    // already) or on a few grey lines. True when it saw a candidate of its
    // own (finder patterns, a bull's-eye, an L, start or stop patterns, bar
    // runs) that the later passes may read where this one could not.
    virtual bool readFirstPass(TVekBinaryCache& picture) = 0;
    // Everything else: the other binarizer, inversion, other scales, grey
    // module reading; each only while the reader has not found enough.
    virtual void readLaterPasses(TVekBinaryCache& picture) = 0;
    // The symbols read by both, decoded and (as the options ask) failed.
    virtual TVekBarcodes take() = 0;

    // First pass, then the later ones where the schedule would run them.
    TVekBarcodes readAll(TVekBinaryCache& picture, bool tryHarder) {
        if (readFirstPass(picture) || tryHarder) readLaterPasses(picture);
        return take();
    }
};

}  // namespace orvel
