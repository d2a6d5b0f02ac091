// orvel-bmp2jpg: turns a picture (.bmp or .jpg) into a baseline JPEG file.
// Used by tools/make-samples.sh to make the JPEG samples from zint's bitmaps,
// since zint writes no JPEG itself.
//
//   orvel-bmp2jpg INPUT OUTPUT.jpg [QUALITY]

#include <cstddef>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

#include "foundation/VekPictureLoader.h"

namespace {

using namespace orvel;

bool writeJpeg(const TVekBitmap& bitmap, const std::string& path, int quality) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // a libjpeg error ends the program with its message
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file.get());
    info.image_width = static_cast<JDIMENSION>(bitmap.width);
    info.image_height = static_cast<JDIMENSION>(bitmap.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(bitmap.width) * 3);
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* bgr = bitmap.row(y);
        for (int32_t x = 0; x < bitmap.width; ++x) {
            row[3 * x] = bgr[3 * x + 2];
            row[3 * x + 1] = bgr[3 * x + 1];
            row[3 * x + 2] = bgr[3 * x];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: orvel-bmp2jpg INPUT OUTPUT.jpg [QUALITY]\n");
        return 2;
    }
    const int quality = argc == 4 ? std::stoi(argv[3]) : 90;
    try {
        const TVekImage image = loadPictureFile(argv[1]);
        if (!image.bitmap()) throw std::runtime_error(std::string(argv[1]) + ": no raster");
        if (!writeJpeg(*image.bitmap(), argv[2], quality)) {
            std::fprintf(stderr, "orvel-bmp2jpg: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "orvel-bmp2jpg: %s\n", error.what());
        return 1;
    }
    return 0;
}
