#include "foundation/VekJpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "foundation/VekException.h"

namespace orvel {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated;
};

void onError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) manager->truncated = true;
}

void outputMessage(j_common_ptr) {}

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
    *out = TVekBitmap(static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height));
    const int components = info.output_components;
    if (cmyk) scratch->assign(size_t{info.output_width} * 4, 0);
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
    if (errors->truncated) {
        std::snprintf(errors->message, sizeof errors->message, "JPEG data is truncated");
        return false;
    }
    return true;
}

}  // namespace

TVekBitmap decodeJpeg(const std::vector<uint8_t>& data) {
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8)
        throw TVekException("not a JPEG file (no start-of-image marker)");
    TVekBitmap bitmap;
    std::vector<uint8_t> scratch;
    ErrorManager errors{};
    if (!decodeInto(data.data(), data.size(), &bitmap, &scratch, &errors))
        throw TVekException(std::string("cannot decode JPEG: ") + errors.message);
    return bitmap;
}

}  // namespace orvel
