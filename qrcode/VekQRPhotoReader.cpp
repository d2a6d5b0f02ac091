#include "qrcode/VekQRPhotoReader.h"

namespace orvel {

TVekBarcodes TVekQRPhotoReader::read(TVekBinaryCache& picture) const {
    (void)picture;
    (void)debug_;
    return {};
}

}  // namespace orvel
