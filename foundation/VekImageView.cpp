#include "foundation/VekImageView.h"

namespace orvel {

int bytesPerPixel(TVekPixelFormat format) {
    switch (format) {
        case TVekPixelFormat::grey: return 1;
        case TVekPixelFormat::rgb:
        case TVekPixelFormat::bgr: return 3;
        case TVekPixelFormat::rgba:
        case TVekPixelFormat::bgra:
        case TVekPixelFormat::argb: return 4;
    }
    return 1;
}

TVekChannelOffsets channelOffsets(TVekPixelFormat format) {
    switch (format) {
        case TVekPixelFormat::rgb: return {0, 1, 2};
        case TVekPixelFormat::rgba: return {0, 1, 2, 3};
        case TVekPixelFormat::bgr: return {2, 1, 0};
        case TVekPixelFormat::bgra: return {2, 1, 0, 3};
        case TVekPixelFormat::argb: return {1, 2, 3, 0};
        case TVekPixelFormat::grey: break;
    }
    return {0, 0, 0};
}

TVekImageView::TVekImageView(const uint8_t* data, int32_t width, int32_t height, TVekPixelFormat format,
                             std::ptrdiff_t rowStride)
    : data(data),
      width(width),
      height(height),
      rowStride(rowStride != 0 ? rowStride : static_cast<std::ptrdiff_t>(width) * bytesPerPixel(format)),
      format(format) {}

bool TVekImageView::isValid() const {
    if (data == nullptr || width <= 0 || height <= 0) return false;
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(width) * bytesPerPixel(format);
    return rowStride >= rowBytes || rowStride <= -rowBytes;
}

}  // namespace orvel
