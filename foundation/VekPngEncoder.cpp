#include "foundation/VekPngEncoder.h"

#include <cstring>
#include <new>
#include <string>

#include <png.h>

#include "foundation/VekException.h"

namespace orvel {

namespace {

struct TPngErrors {
    char message[256] = "";
};

struct TPngOutput {
    std::vector<uint8_t>* bytes = nullptr;
};

void onError(png_structp png, png_const_charp message) {
    auto* errors = static_cast<TPngErrors*>(png_get_error_ptr(png));
    std::strncpy(errors->message, message, sizeof errors->message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void onWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* output = static_cast<TPngOutput*>(png_get_io_ptr(png));
    try {
        output->bytes->insert(output->bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "not enough memory for the PNG file");  // never let an exception cross libpng
    }
}

void onFlush(png_structp) {}

int colourType(TVekPngColour colour) {
    switch (colour) {
    case TVekPngColour::grey: return PNG_COLOR_TYPE_GRAY;
    case TVekPngColour::greyAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case TVekPngColour::palette: return PNG_COLOR_TYPE_PALETTE;
    case TVekPngColour::rgb: return PNG_COLOR_TYPE_RGB;
    case TVekPngColour::rgba: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
    return PNG_COLOR_TYPE_RGB;
}

// Everything libpng needs, prepared in C++ before the C-style write below.
struct TPngJob {
    const TVekPngRaster* raster = nullptr;
    std::vector<png_color> palette;
    std::vector<png_bytep> rows;
};

// Plain C-style body: nothing with a destructor lives in this frame, so a
// longjmp from libpng's error handler skips no cleanup.
bool writeInto(const TPngJob* job, TPngOutput* output, TPngErrors* errors) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, errors, onError, onWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const TVekPngRaster& raster = *job->raster;
    png_set_write_fn(png, output, onWrite, onFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(raster.width), static_cast<png_uint_32>(raster.height),
                 raster.bitDepth, colourType(raster.colour),
                 raster.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!job->palette.empty()) png_set_PLTE(png, info, job->palette.data(), static_cast<int>(job->palette.size()));
    if (!raster.paletteAlpha.empty())
        png_set_tRNS(png, info, raster.paletteAlpha.data(), static_cast<int>(raster.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(job->rows.data()));  // png_write_image interlaces itself
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

int TVekPngRaster::channels() const {
    switch (colour) {
    case TVekPngColour::greyAlpha: return 2;
    case TVekPngColour::rgb: return 3;
    case TVekPngColour::rgba: return 4;
    default: return 1;
    }
}

size_t TVekPngRaster::rowBytes() const { return (static_cast<size_t>(width) * channels() * bitDepth + 7) / 8; }

TVekPngRaster TVekPngRaster::fromBitmap(const TVekBitmap& bitmap) {
    TVekPngRaster raster;
    raster.width = bitmap.width;
    raster.height = bitmap.height;
    raster.data.resize(bitmap.bgr.size());
    for (size_t i = 0; i + 2 < bitmap.bgr.size(); i += 3) {
        raster.data[i] = bitmap.bgr[i + 2];
        raster.data[i + 1] = bitmap.bgr[i + 1];
        raster.data[i + 2] = bitmap.bgr[i];
    }
    return raster;
}

std::vector<uint8_t> encodePng(const TVekPngRaster& raster) {
    if (raster.width <= 0 || raster.height <= 0 || raster.data.size() < raster.rowBytes() * raster.height)
        throw TVekException("PNG raster of " + std::to_string(raster.width) + " x " + std::to_string(raster.height) +
                            " pixels lacks its data");
    TPngJob job;
    job.raster = &raster;
    for (const auto& colour : raster.palette) job.palette.push_back(png_color{colour[0], colour[1], colour[2]});
    for (int32_t y = 0; y < raster.height; ++y)
        job.rows.push_back(const_cast<png_bytep>(raster.data.data() + y * raster.rowBytes()));
    std::vector<uint8_t> bytes;
    TPngOutput output{&bytes};
    TPngErrors errors;
    if (!writeInto(&job, &output, &errors)) throw TVekException(std::string("cannot write PNG: ") + errors.message);
    return bytes;
}

}  // namespace orvel
