#include "read/VekPhotoReaders.h"

#include <vector>

#include "aztec/VekAztecPhotoReader.h"
#include "datamatrix/VekDatamatrixPhotoReader.h"
#include "maxicode/VekMaxiCodePhotoReader.h"
#include "oned/VekLinearPhotoReader.h"
#include "pdf417/VekMicroPDF417PhotoReader.h"
#include "pdf417/VekPDF417PhotoReader.h"
#include "qrcode/VekOneFinderPhotoReader.h"
#include "qrcode/VekQRPhotoReader.h"
#include "read/VekWholePhotoReader.h"

namespace orvel {

namespace {

template <typename TReader>
std::unique_ptr<TVekPhotoReader> make(const TVekReaderOptions& options, TVekDebugSink* debug) {
    return std::make_unique<TReader>(options, debug);
}

}  // namespace

std::span<const TVekPhotoReaderEntry> photoReaders() {
    using F = TVekBarcodeFormat;
    static const std::vector<TVekPhotoReaderEntry> table = {
        {"qr", {F::qrCode}, &make<TVekQRPhotoReader>},
        {"datamatrix", {F::dataMatrix}, &make<TVekDatamatrixPhotoReader>},
        {"aztec", {F::aztec}, &make<TVekAztecPhotoReader>},
        {"linear", TVekBarcodeFormats::linear(), &make<TVekLinearPhotoReader>},
        {"pdf417", {F::pdf417}, &make<TVekPDF417PhotoReader>},
        {"micropdf417", {F::microPdf417}, &make<TVekMicroPDF417PhotoReader>},
        {"maxicode", {F::maxiCode}, &make<TVekWholePhotoReader<TVekMaxiCodePhotoReader>>},
        {"onefinderqr", {F::microQrCode, F::rmqrCode}, &make<TVekOneFinderPhotoReader>},
    };
    return table;
}

}  // namespace orvel
