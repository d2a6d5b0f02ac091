#include "support/PictureTools.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
// jpeglib.h needs the size types first.
#include <jpeglib.h>

#include "foundation/VekPictureLoader.h"

namespace orvel::test {

namespace {

uint32_t grey(int level) {
    const uint32_t g = static_cast<uint32_t>(std::clamp(level, 0, 255));
    return (g << 16) | (g << 8) | g;
}

}  // namespace

TVekImage rotateQuarters(const TVekImage& image, int quarters) {
    quarters = ((quarters % 4) + 4) % 4;
    const int w = image.width, h = image.height;
    TVekImage result(quarters % 2 ? h : w, quarters % 2 ? w : h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int nx = x, ny = y;
            if (quarters == 1) nx = h - 1 - y, ny = x;
            if (quarters == 2) nx = w - 1 - x, ny = h - 1 - y;
            if (quarters == 3) nx = y, ny = w - 1 - x;
            result.setPixel(nx, ny, image.getPixelInt(x, y));
        }
    }
    return result;
}

TVekImage rotateByDegrees(const TVekImage& image, double degrees) {
    const double r = degrees * M_PI / 180;
    const double c = std::cos(r), s = std::sin(r);
    const int w = image.width, h = image.height;
    const int nw = static_cast<int>(std::ceil(std::fabs(w * c) + std::fabs(h * s))) + 2;
    const int nh = static_cast<int>(std::ceil(std::fabs(w * s) + std::fabs(h * c))) + 2;
    TVekImage result(nw, nh);
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, ncx = (nw - 1) / 2.0, ncy = (nh - 1) / 2.0;
    auto at = [&image](int px, int py) { return static_cast<double>(greyOf(image.getPixelInt(px, py))); };
    for (int y = 0; y < nh; ++y) {
        for (int x = 0; x < nw; ++x) {
            // Inverse mapping: where this output pixel comes from in the source.
            const double sx = c * (x - ncx) + s * (y - ncy) + cx;
            const double sy = -s * (x - ncx) + c * (y - ncy) + cy;
            const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
            const double fx = sx - x0, fy = sy - y0;
            const double value = (1 - fx) * (1 - fy) * at(x0, y0) + fx * (1 - fy) * at(x0 + 1, y0) +
                                 (1 - fx) * fy * at(x0, y0 + 1) + fx * fy * at(x0 + 1, y0 + 1);
            result.setPixel(x, y, grey(static_cast<int>(std::lround(value))));
        }
    }
    return result;
}

TVekImage pasteOnto(const TVekImage& picture, int width, int height, int left, int top) {
    TVekImage result(width, height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) result.setPixel(left + x, top + y, picture.getPixelInt(x, y));
    return result;
}

TVekImage sideBySide(const TVekImage& left, const TVekImage& right, int gap) {
    TVekImage result = pasteOnto(left, left.width + gap + right.width, std::max(left.height, right.height), 0, 0);
    for (int y = 0; y < right.height; ++y)
        for (int x = 0; x < right.width; ++x) result.setPixel(left.width + gap + x, y, right.getPixelInt(x, y));
    return result;
}

TVekImage placeAbove(const TVekImage& top, const TVekImage& bottom, int gap) {
    TVekImage result = pasteOnto(top, std::max(top.width, bottom.width), top.height + gap + bottom.height, 0, 0);
    for (int y = 0; y < bottom.height; ++y)
        for (int x = 0; x < bottom.width; ++x) result.setPixel(x, top.height + gap + y, bottom.getPixelInt(x, y));
    return result;
}

namespace {

// libjpeg compression of a picture whose rows `fillRow(y, row)` writes in
// the given colour space; the one writer behind both encodeJpeg forms.
template <class FillRow>
std::vector<uint8_t> compressJpeg(int32_t width, int32_t height, int components, J_COLOR_SPACE colourSpace,
                                  const TJpegOptions& options, FillRow fillRow) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = colourSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        fillRow(static_cast<int32_t>(info.next_scanline), row);
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const TVekBitmap& bitmap, const TJpegOptions& options) {
    return compressJpeg(bitmap.width, bitmap.height, options.grey ? 1 : 3, options.grey ? JCS_GRAYSCALE : JCS_EXT_BGR,
                        options, [&](int32_t y, std::vector<uint8_t>& row) {
                            const uint8_t* source = bitmap.row(y);
                            if (options.grey) {
                                for (int32_t x = 0; x < bitmap.width; ++x) row[x] = source[3 * x];
                            } else {
                                std::copy(source, source + row.size(), row.begin());
                            }
                        });
}

std::vector<uint8_t> encodeJpeg(const TVekImage& image, int quality) {
    TJpegOptions options;
    options.quality = quality;
    return compressJpeg(image.width, image.height, 3, JCS_RGB, options, [&](int32_t y, std::vector<uint8_t>& row) {
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t p = image.getPixelInt(x, y);
            row[3 * x] = (p >> 16) & 0xFF;
            row[3 * x + 1] = (p >> 8) & 0xFF;
            row[3 * x + 2] = p & 0xFF;
        }
    });
}

TVekImage jpegRoundTrip(const TVekImage& image, int quality) {
    return TVekImage(TVekJpegPicture{encodeJpeg(image, quality)});
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace orvel::test
