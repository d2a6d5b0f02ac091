#include "oned/VekLinearPhotoReader.h"

namespace orvel {

TVekBarcodes TVekLinearPhotoReader::read(TVekBinaryCache& picture) const {
    (void)picture;
    (void)debug_;
    return {};
}

}  // namespace orvel
