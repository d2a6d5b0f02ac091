#include "foundation/VekGreyImage.h"

#include <algorithm>
#include <string>

#include "foundation/VekException.h"
#include "foundation/VekMemoryBudget.h"
#include "foundation/VekRowLoops.h"

namespace orvel {

namespace {

// Fixed-point luminance weights (sum 256), so a pixel costs three multiplies.
constexpr uint32_t redWeight = 77, greenWeight = 150, blueWeight = 29;

[[gnu::always_inline]] inline uint8_t luminance(uint32_t red, uint32_t green, uint32_t blue) {
    return static_cast<uint8_t>((redWeight * red + greenWeight * green + blueWeight * blue + 128) >> 8);
}

// One row of a colour layout of `Step` bytes per pixel; the step known when
// compiling lets the loop run without an index multiply per channel.
template <int Step>
[[gnu::always_inline]] inline void convertRow(const uint8_t* __restrict source, uint8_t* __restrict target,
                                              int32_t width, TVekChannelOffsets at) {
    for (int32_t x = 0; x < width; ++x, source += Step)
        target[x] = luminance(source[at.red], source[at.green], source[at.blue]);
}

// One row of a layout with alpha, each pixel laid over white first.
[[gnu::always_inline]] inline void convertAlphaRow(const uint8_t* __restrict source, uint8_t* __restrict target,
                                                   int32_t width, TVekChannelOffsets at) {
    for (int32_t x = 0; x < width; ++x, source += 4) {
        const uint32_t alpha = source[at.alpha];
        target[x] = luminance(overWhite(source[at.red], alpha), overWhite(source[at.green], alpha),
                              overWhite(source[at.blue], alpha));
    }
}

// Every row of a colour view into width × height levels.
[[gnu::always_inline]] inline void convertView(const TVekImageView& view, uint8_t* pixels) {
    const TVekChannelOffsets at = channelOffsets(view.format);
    const bool threeBytes = bytesPerPixel(view.format) == 3;
    for (int32_t y = 0; y < view.height; ++y) {
        uint8_t* target = pixels + static_cast<size_t>(y) * static_cast<size_t>(view.width);
        if (threeBytes)
            convertRow<3>(view.row(y), target, view.width, at);
        else if (at.alpha >= 0)
            convertAlphaRow(view.row(y), target, view.width, at);
        else
            convertRow<4>(view.row(y), target, view.width, at);
    }
}

// 0x00RRGGBB values, as loaded pictures hold them.
[[gnu::always_inline]] inline void convertColours(const uint32_t* __restrict source, uint8_t* __restrict target,
                                                  size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t c = source[i];
        target[i] = luminance((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
}

#ifdef ORVEL_AVX2_BUILD
ORVEL_AVX2 void convertViewAvx2(const TVekImageView& view, uint8_t* pixels) { convertView(view, pixels); }
ORVEL_AVX2 void convertColoursAvx2(const uint32_t* source, uint8_t* target, size_t count) {
    convertColours(source, target, count);
}
#endif

void convertViewFastest(const TVekImageView& view, uint8_t* pixels) {
#ifdef ORVEL_AVX2_BUILD
    if (hasAvx2()) return convertViewAvx2(view, pixels);
#endif
    convertView(view, pixels);
}

void convertColoursFastest(const uint32_t* source, uint8_t* target, size_t count) {
#ifdef ORVEL_AVX2_BUILD
    if (hasAvx2()) return convertColoursAvx2(source, target, count);
#endif
    convertColours(source, target, count);
}

size_t pixelCount(int32_t width, int32_t height) { return static_cast<size_t>(width) * static_cast<size_t>(height); }

// Pixels charged to the read's memory budget before they are allocated.
std::vector<uint8_t> newPixels(size_t count, uint8_t level = 0) {
    TVekMemoryBudget::charge(count);
    return std::vector<uint8_t>(count, level);
}

}  // namespace

TVekGreyImage::TVekGreyImage(std::shared_ptr<const std::vector<uint8_t>> storage, const uint8_t* origin,
                             int32_t width, int32_t height, std::ptrdiff_t stride)
    : storage_(std::move(storage)), origin_(origin), width_(width), height_(height), stride_(stride) {}

TVekGreyImage TVekGreyImage::owning(std::vector<uint8_t> pixels, int32_t width, int32_t height) {
    auto storage = std::make_shared<const std::vector<uint8_t>>(std::move(pixels));
    const uint8_t* origin = storage->data();
    return TVekGreyImage(std::move(storage), origin, width, height, width);
}

TVekGreyImage TVekGreyImage::fromPixels(std::vector<uint8_t> pixels, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || pixels.size() != pixelCount(width, height))
        throw TVekException("grey pixels do not fill a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    return owning(std::move(pixels), width, height);
}

TVekGreyImage::TVekGreyImage(int32_t width, int32_t height, uint8_t level) {
    if (width <= 0 || height <= 0) return;
    *this = owning(newPixels(pixelCount(width, height), level), width, height);
}

TVekGreyImage::TVekGreyImage(const TVekImageView& view) {
    if (!view.isValid()) throw TVekException("invalid image view (no data, an empty size or rows shorter than their pixels)");
    if (view.format == TVekPixelFormat::grey) {
        origin_ = view.data;
        width_ = view.width;
        height_ = view.height;
        stride_ = view.rowStride;
        return;
    }
    std::vector<uint8_t> pixels = newPixels(pixelCount(view.width, view.height));
    convertViewFastest(view, pixels.data());
    *this = owning(std::move(pixels), view.width, view.height);
}

TVekGreyImage::TVekGreyImage(const TVekImage& image) {
    if (image.width <= 0 || image.height <= 0) return;
    const std::vector<uint32_t>& colours = image.pixelData();
    std::vector<uint8_t> pixels = newPixels(colours.size());
    convertColoursFastest(colours.data(), pixels.data(), colours.size());
    *this = owning(std::move(pixels), image.width, image.height);
}

TVekGreyImage TVekGreyImage::cropped(int32_t left, int32_t top, int32_t width, int32_t height) const {
    const int32_t x0 = std::clamp(left, 0, width_), y0 = std::clamp(top, 0, height_);
    const int32_t x1 = std::clamp(left + std::max(width, 0), x0, width_);
    const int32_t y1 = std::clamp(top + std::max(height, 0), y0, height_);
    if (x1 == x0 || y1 == y0) return TVekGreyImage();
    return TVekGreyImage(storage_, row(y0) + x0, x1 - x0, y1 - y0, stride_);
}

TVekGreyImage TVekGreyImage::downscaled(int factor) const {
    if (factor != 2 && factor != 3) throw TVekException("grey pictures are downscaled by 2 or 3 only");
    const int32_t width = width_ / factor, height = height_ / factor;
    if (width == 0 || height == 0) return TVekGreyImage();
    std::vector<uint8_t> pixels = newPixels(pixelCount(width, height));
    const uint32_t area = static_cast<uint32_t>(factor * factor);
    std::vector<uint32_t> sums(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int k = 0; k < factor; ++k) {
            const uint8_t* source = row(y * factor + k);
            for (int32_t x = 0; x < width; ++x, source += factor) {
                uint32_t sum = source[0] + source[1];
                if (factor == 3) sum += source[2];
                sums[static_cast<size_t>(x)] += sum;
            }
        }
        uint8_t* target = pixels.data() + static_cast<size_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) target[x] = static_cast<uint8_t>((sums[static_cast<size_t>(x)] + area / 2) / area);
    }
    return owning(std::move(pixels), width, height);
}

TVekGreyImage TVekGreyImage::upscaled(int factor) const {
    if (factor < 1 || factor > 4) throw TVekException("grey pictures are upscaled by 1 to 4 only");
    if (empty()) return TVekGreyImage();
    const int32_t width = width_ * factor, height = height_ * factor;
    std::vector<uint8_t> pixels = newPixels(pixelCount(width, height));
    for (int32_t y = 0; y < height_; ++y) {
        uint8_t* first = pixels.data() + static_cast<size_t>(y) * factor * width;
        const uint8_t* source = row(y);
        for (int32_t x = 0; x < width_; ++x) std::fill_n(first + static_cast<size_t>(x) * factor, factor, source[x]);
        for (int k = 1; k < factor; ++k) std::copy_n(first, width, first + static_cast<size_t>(k) * width);
    }
    return owning(std::move(pixels), width, height);
}

TVekGreyImage TVekGreyImage::inverted() const {
    if (empty()) return TVekGreyImage();
    std::vector<uint8_t> pixels = newPixels(pixelCount(width_, height_));
    for (int32_t y = 0; y < height_; ++y) {
        const uint8_t* source = row(y);
        uint8_t* target = pixels.data() + static_cast<size_t>(y) * width_;
        for (int32_t x = 0; x < width_; ++x) target[x] = static_cast<uint8_t>(255 - source[x]);
    }
    return owning(std::move(pixels), width_, height_);
}

}  // namespace orvel
