#include "foundation/VekJpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "foundation/VekException.h"

namespace orvel {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 64];
    bool truncated;
    bool corrupt;
    bool outOfMemory;
};

// What a fatal libjpeg error means to someone who only has the file, or
// none where libjpeg's own words say it well enough.
const char* plainWords(int code) {
    switch (code) {
        case JERR_EMPTY_IMAGE: return "the picture has no rows (its header gives a height of 0)";
        case JERR_BAD_LENGTH:
        case JERR_BAD_HUFF_TABLE:
        case JERR_NO_HUFF_TABLE:
        case JERR_NO_QUANT_TABLE:
        case JERR_BAD_DCT_COEF:
        case JERR_BAD_COMPONENT_ID:
        case JERR_SOS_NO_SOF:
        case JERR_SOF_DUPLICATE:
        case JERR_SOF_NO_SOS:
        case JERR_MISMATCHED_QUANT_TABLE:
        case JERR_COMPONENT_COUNT:
        case JERR_BAD_PROG_SCRIPT:
        case JERR_BAD_PROGRESSION:
        case JERR_UNKNOWN_MARKER: return "the compressed picture data is damaged";
        case JERR_IMAGE_TOO_BIG: return "the picture is too large";
        default: return nullptr;
    }
}

// libjpeg's reason is kept in brackets after the plain words.
void onError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    char reason[JMSG_LENGTH_MAX];
    info->err->format_message(info, reason);
    if (const char* words = plainWords(info->err->msg_code))
        std::snprintf(manager->message, sizeof manager->message, "%s (%s)", words, reason);
    else
        std::snprintf(manager->message, sizeof manager->message, "%s", reason);
    std::longjmp(manager->jump, 1);
}

// Warnings that say the entropy-coded data is damaged. libjpeg would go on
// and fill the rest of the picture with grey, which costs the full decoding
// time of the size the header claims and gives nothing to read, so decoding
// stops at the first one. (Extraneous bytes before a marker are common in
// camera files and harmless: they are not on the list.)
bool isDataCorruption(int code) {
    return code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_MUST_RESYNC ||
           code == JWRN_NOT_SEQUENTIAL || code == JWRN_BOGUS_PROGRESSION;
}

void onMessage(j_common_ptr info, int level) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level >= 0) return;
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF) {
        manager->truncated = true;
        std::snprintf(manager->message, sizeof manager->message, "JPEG data is truncated");
        std::longjmp(manager->jump, 1);
    }
    if (isDataCorruption(code)) {
        char words[JMSG_LENGTH_MAX];
        info->err->format_message(info, words);
        // "Corrupt JPEG data: bad Huffman code" -> "bad Huffman code"
        static constexpr char prefix[] = "Corrupt JPEG data: ";
        const bool prefixed = std::strncmp(words, prefix, sizeof prefix - 1) == 0;
        std::snprintf(manager->message, sizeof manager->message, "%s", prefixed ? words + sizeof prefix - 1 : words);
        manager->corrupt = true;
        std::longjmp(manager->jump, 1);
    }
}

void outputMessage(j_common_ptr) {}

// The raster (and the CMYK row) for a picture; false when memory runs out.
bool allocateRaster(JDIMENSION width, JDIMENSION height, bool cmyk, TVekBitmap* out, std::vector<uint8_t>* scratch) {
    try {
        *out = TVekBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height));
        if (cmyk) scratch->assign(size_t{width} * 4, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Plain C-style body: nothing with a destructor lives in this frame, so the
// longjmp from libjpeg's error handler skips no cleanup. The raster and the
// scratch row live in the caller's frame and are only reached through pointers.
bool decodeInto(const uint8_t* data, size_t size, TVekBitmap* out, std::vector<uint8_t>* scratch,
                ErrorManager* errors) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors->pub);
    errors->pub.error_exit = onError;
    errors->pub.emit_message = onMessage;
    errors->pub.output_message = outputMessage;
    errors->truncated = false;
    errors->corrupt = false;
    errors->outOfMemory = false;
    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&info);
    const int64_t pixels = int64_t{info.output_width} * info.output_height;
    if (info.output_width == 0 || info.output_height == 0) {
        std::snprintf(errors->message, sizeof errors->message, "picture has no pixels");
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (pixels > kMaxPicturePixels || info.output_width > 65535 || info.output_height > 65535) {
        std::snprintf(errors->message, sizeof errors->message, "picture of %u x %u pixels is too large",
                      info.output_width, info.output_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    if (!allocateRaster(info.output_width, info.output_height, cmyk, out, scratch)) {
        std::snprintf(errors->message, sizeof errors->message, "not enough memory for a %u \u00D7 %u picture",
                      info.output_width, info.output_height);
        errors->outOfMemory = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    const int components = info.output_components;
    while (info.output_scanline < info.output_height) {
        uint8_t* row = out->row(static_cast<int32_t>(info.output_scanline));
        JSAMPROW target = cmyk ? scratch->data() : row;
        jpeg_read_scanlines(&info, &target, 1);
        if (cmyk && components == 4) {
            // Adobe writes CMYK inverted: each byte is the amount of paper left.
            const uint8_t* s = scratch->data();
            for (JDIMENSION x = 0; x < info.output_width; ++x, s += 4) {
                row[3 * x + 2] = static_cast<uint8_t>(s[0] * s[3] / 255);
                row[3 * x + 1] = static_cast<uint8_t>(s[1] * s[3] / 255);
                row[3 * x + 0] = static_cast<uint8_t>(s[2] * s[3] / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

TVekBitmap decodeJpeg(const std::vector<uint8_t>& data) {
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8)
        throw TVekException("not a JPEG file (no start-of-image marker)");
    TVekBitmap bitmap;
    std::vector<uint8_t> scratch;
    ErrorManager errors{};
    if (!decodeInto(data.data(), data.size(), &bitmap, &scratch, &errors)) {
        if (errors.corrupt) throw TVekException(std::string("corrupt JPEG data (") + errors.message + ")");
        if (errors.outOfMemory) throw TVekException(errors.message);
        throw TVekException(std::string("cannot decode JPEG: ") + errors.message);
    }
    return bitmap;
}

}  // namespace orvel
