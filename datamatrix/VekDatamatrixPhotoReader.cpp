#include "datamatrix/VekDatamatrixPhotoReader.h"

namespace orvel {

TVekBarcodes TVekDatamatrixPhotoReader::read(TVekBinaryCache& picture) const {
    (void)picture;
    (void)debug_;
    return {};
}

}  // namespace orvel
