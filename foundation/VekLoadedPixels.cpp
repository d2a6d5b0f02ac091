#include "foundation/VekLoadedPixels.h"

#include <algorithm>
#include <utility>

namespace orvel {

TVekLoadedPixels::TVekLoadedPixels(TVekBitmap bitmap)
    : bytes_(std::move(bitmap.bgr)),
      width_(bitmap.width),
      height_(bitmap.height),
      rowStride_(static_cast<std::ptrdiff_t>(bitmap.width) * 3) {}

TVekLoadedPixels::TVekLoadedPixels(std::vector<uint8_t> bytes, int32_t width, int32_t height, size_t topRow,
                                   std::ptrdiff_t rowStride)
    : bytes_(std::move(bytes)), width_(width), height_(height), topRow_(topRow), rowStride_(rowStride) {}

TVekImageView TVekLoadedPixels::view() const {
    return TVekImageView(bytes_.data() + topRow_, width_, height_, TVekPixelFormat::bgr, rowStride_);
}

TVekImage TVekLoadedPixels::toImage() const {
    TVekBitmap bitmap(width_, height_);
    const TVekImageView rows = view();
    const size_t rowBytes = static_cast<size_t>(width_) * 3;
    for (int32_t y = 0; y < height_; ++y) std::copy_n(rows.row(y), rowBytes, bitmap.row(y));
    return TVekImage(std::move(bitmap));
}

}  // namespace orvel
