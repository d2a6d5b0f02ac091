#include "pdf417/VekPDF417PhotoReader.h"

namespace orvel {

TVekBarcodes TVekPDF417PhotoReader::read(TVekBinaryCache& picture) const {
    (void)picture;
    (void)debug_;
    return {};
}

}  // namespace orvel
