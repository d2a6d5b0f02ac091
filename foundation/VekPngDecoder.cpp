#include "foundation/VekPngDecoder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <png.h>

#include "foundation/VekException.h"
#include "foundation/VekImageView.h"
#include "foundation/VekJpegDecoder.h"

namespace orvel {

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TPngInput {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t at = 0;
};

// The raster and libpng's scratch rows, owned by the caller's frame: the
// decoding frame below only reaches them through pointers.
struct TPngTarget {
    TVekBitmap bitmap;
    std::vector<uint8_t> scratch;  // BGRA rows as libpng delivers them
    std::vector<png_bytep> rows;
    char message[512] = "";
    char warning[200] = "";  // libpng's last warning: it often holds the reason a later error leaves out
};

bool mentions(const char* text, const char* part) { return std::strstr(text, part) != nullptr; }

// What a libpng error means to someone who only has the file, or none where
// libpng's own words say it well enough.
const char* plainWords(const char* message) {
    if (mentions(message, "unsigned integer out of range")) return "the picture's width or height is too large";
    if (mentions(message, "IHDR")) return "the picture's header is invalid";
    if (mentions(message, "CRC error")) return "the file is damaged (a chunk's checksum is wrong)";
    if (mentions(message, "incorrect data check") || mentions(message, "invalid distance") ||
        mentions(message, "invalid block type") || mentions(message, "invalid stored block") ||
        mentions(message, "invalid code") || mentions(message, "too far back") ||
        mentions(message, "image data") || mentions(message, "compressed data") ||
        mentions(message, "decompression error") || mentions(message, "Decompression error") ||
        mentions(message, "bad adaptive filter"))
        return "the compressed picture data is damaged";
    return nullptr;
}

// libpng's reason (and the warning that explains it) is kept in brackets
// after the plain words.
void onError(png_structp png, png_const_charp message) {
    auto* target = static_cast<TPngTarget*>(png_get_error_ptr(png));
    const char* words = plainWords(message);
    if (words == nullptr)
        std::snprintf(target->message, sizeof target->message, "cannot decode PNG: %s", message);
    else if (target->warning[0] != '\0')
        std::snprintf(target->message, sizeof target->message, "cannot decode PNG: %s (%s: %s)", words, message,
                      target->warning);
    else
        std::snprintf(target->message, sizeof target->message, "cannot decode PNG: %s (%s)", words, message);
    png_longjmp(png, 1);
}

void onWarning(png_structp png, png_const_charp message) {
    auto* target = static_cast<TPngTarget*>(png_get_error_ptr(png));
    std::snprintf(target->warning, sizeof target->warning, "%s", message);
}

void onRead(png_structp png, png_bytep out, png_size_t length) {
    auto* input = static_cast<TPngInput*>(png_get_io_ptr(png));
    if (length > input->size - input->at) png_error(png, "file is truncated");
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

// False (with the reason) for a size the loader refuses, before anything of
// that size is allocated.
bool acceptSize(png_uint_32 width, png_uint_32 height, TPngTarget* target) {
    const char* problem = nullptr;
    if (width == 0 || height == 0) problem = "PNG picture has no pixels (%u x %u)";
    if (int64_t{width} * height > kMaxPicturePixels || width > 65535 || height > 65535)
        problem = "PNG picture of %u x %u pixels is too large";
    if (problem != nullptr) std::snprintf(target->message, sizeof target->message, problem, width, height);
    return problem == nullptr;
}

// Allocates the raster, and the scratch of one row (or of the whole picture
// when interlaced passes revisit every row). Never raises: the caller's frame
// must not be left by an exception while libpng holds memory.
bool allocate(TPngTarget* target, png_uint_32 width, png_uint_32 height, bool wholePicture) noexcept {
    try {
        target->bitmap = TVekBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height));
        const size_t rowBytes = size_t{width} * 4;
        target->scratch.assign(rowBytes * (wholePicture ? height : 1), 0);
        if (wholePicture) {
            target->rows.resize(height);
            for (png_uint_32 y = 0; y < height; ++y) target->rows[y] = target->scratch.data() + rowBytes * y;
        }
        return true;
    } catch (const std::bad_alloc&) {
        std::snprintf(target->message, sizeof target->message, "not enough memory for a %u \u00D7 %u picture",
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
        return false;
    }
}

// One BGRA row laid over white into the BGR raster, as a viewer shows a
// transparent picture on a page.
void composeRow(const uint8_t* bgra, uint8_t* bgr, int32_t width) {
    for (int32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        const unsigned alpha = bgra[3];
        for (int c = 0; c < 3; ++c) bgr[c] = overWhite(bgra[c], alpha);
    }
}

// Every PNG layout becomes 8-bit BGRA: palettes and low depths expanded,
// tRNS made alpha, 16-bit samples scaled, grey copied to the three colours,
// a full alpha added where the picture has none. Gamma chunks are not
// applied: the samples are taken as written.
void requestBgra(png_structp png, png_infop info) {
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    const png_byte type = png_get_color_type(png, info);
    if ((type & PNG_COLOR_MASK_ALPHA) == 0 && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// Plain C-style body: nothing with a destructor lives in this frame, so the
// longjmp from libpng's error handler skips no cleanup.
bool decodeInto(TPngInput* input, TPngTarget* target) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, target, onError, onWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, input, onRead);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer's changes would nearly all end at a chunk checksum; its build
    // reads past them to reach the decoding behind.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    requestBgra(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    bool done = acceptSize(width, height, target) && png_get_rowbytes(png, info) == size_t{width} * 4 &&
                allocate(target, width, height, passes > 1);
    if (done && passes > 1) {
        png_read_image(png, target->rows.data());
        for (png_uint_32 y = 0; y < height; ++y)
            composeRow(target->rows[y], target->bitmap.row(static_cast<int32_t>(y)), target->bitmap.width);
    } else if (done) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, target->scratch.data(), nullptr);
            composeRow(target->scratch.data(), target->bitmap.row(static_cast<int32_t>(y)), target->bitmap.width);
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return done;
}

}  // namespace

bool hasPngSignature(const std::vector<uint8_t>& data) {
    return data.size() >= kSignature.size() && std::equal(kSignature.begin(), kSignature.end(), data.begin());
}

TVekBitmap decodePng(const std::vector<uint8_t>& data) {
    if (!hasPngSignature(data)) throw TVekException("not a PNG file (no PNG signature)");
    TPngInput input{data.data(), data.size(), 0};
    TPngTarget target;
    if (!decodeInto(&input, &target)) {
        if (target.message[0] == '\0') throw TVekException("cannot decode PNG: libpng could not start");
        throw TVekException(target.message);
    }
    return std::move(target.bitmap);
}

}  // namespace orvel
