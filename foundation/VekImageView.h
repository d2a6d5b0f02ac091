#pragma once

#include <cstddef>
#include <cstdint>

namespace orvel {

// How the bytes of one pixel of caller memory are laid out.
enum class TVekPixelFormat { grey, rgb, bgr, rgba, bgra, argb };

// Bytes per pixel of a layout: 1, 3 or 4.
int bytesPerPixel(TVekPixelFormat format);

// Where red, green and blue sit within a pixel of a layout (all 0 for grey),
// and alpha (-1 for a layout without it).
struct TVekChannelOffsets {
    int red, green, blue;
    int alpha = -1;
};
TVekChannelOffsets channelOffsets(TVekPixelFormat format);

// A colour channel laid over white by its alpha, rounded to nearest, as a
// viewer shows a transparent picture on a page: every picture with alpha,
// a file or caller memory, is read this way, so that the same pixels give
// the same symbols whichever way they come.
[[gnu::always_inline]] inline uint8_t overWhite(uint32_t channel, uint32_t alpha) {
    return static_cast<uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Caller memory seen as a picture, without copying: `height` rows of `width`
// pixels, row y starting at data + y × rowStride. The caller keeps the memory
// alive and unchanged while the view is used.
struct TVekImageView {
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::ptrdiff_t rowStride = 0;
    TVekPixelFormat format = TVekPixelFormat::grey;

    TVekImageView() = default;
    // A stride of 0 means tightly packed rows.
    TVekImageView(const uint8_t* data, int32_t width, int32_t height, TVekPixelFormat format,
                  std::ptrdiff_t rowStride = 0);

    const uint8_t* row(int32_t y) const { return data + y * rowStride; }
    // True when the view can be read: data present, sizes positive and rows
    // at least as long as their pixels.
    bool isValid() const;
};

}  // namespace orvel
