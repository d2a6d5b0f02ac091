#include "aztec/VekAztecPhotoReader.h"

namespace orvel {

TVekBarcodes TVekAztecPhotoReader::read(TVekBinaryCache& picture) const {
    (void)picture;
    (void)debug_;
    return {};
}

}  // namespace orvel
