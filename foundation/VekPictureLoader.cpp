#include "foundation/VekPictureLoader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include "foundation/VekBmpRunLength.h"
#include "foundation/VekException.h"
#include "foundation/VekJpegDecoder.h"
#include "foundation/VekLoadedPixels.h"
#include "foundation/VekPngDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitfields = 3;
constexpr uint32_t kCompressionAlphaBitfields = 6;

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;      // OS/2 and Windows 2 BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;      // BITMAPINFOHEADER
constexpr uint32_t kMaxInfoHeaderSize = 124;  // BITMAPV5HEADER

// A whole 32-bit picture of the largest accepted size plus generous headers:
// a larger file cannot be a picture we accept and is not read into memory.
constexpr uintmax_t kMaxFileSize = static_cast<uintmax_t>(kMaxPicturePixels) * 4 + (64u << 20);

// Run-length data holds at most 255 pixels in two bytes (127.5 per byte) plus
// the rows an end-of-line or delta mark skips. A picture more than eight
// times larger than the densest stream of its size can describe is refused
// before anything is allocated, so a small file cannot claim a huge raster;
// small pictures pass whatever their data.
constexpr uint64_t kRunLengthPixelsPerByte = 1024;
constexpr uint64_t kRunLengthFreePixels = 65536;

uint16_t readU16(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

uint32_t readU32(const std::vector<uint8_t>& data, size_t at) {
    return uint32_t{data[at]} | (uint32_t{data[at + 1]} << 8) | (uint32_t{data[at + 2]} << 16) |
           (uint32_t{data[at + 3]} << 24);
}

int32_t readI32(const std::vector<uint8_t>& data, size_t at) { return static_cast<int32_t>(readU32(data, at)); }

// One colour channel of a BI_BITFIELDS pixel: where it sits and how wide it is.
struct TChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0;  // largest value of the channel after shifting

    explicit TChannelMask(uint32_t m = 0) : mask(m) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        const int bits = 32 - std::countl_zero(mask >> shift);
        maximum = (uint64_t{1} << bits) - 1;
    }

    // The channel scaled to 0 ... 255, rounded to nearest.
    uint8_t extract(uint32_t pixel) const {
        if (maximum == 0) return 0;
        const uint64_t value = (pixel & mask) >> shift;
        return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
    }
};

// Everything the pixel decoder needs, read and checked from the headers.
struct TBmpLayout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    bool runLength = false;  // BI_RLE8 or BI_RLE4 data from pixelOffset to the end of the file
    int bitsPerPixel = 0;
    size_t pixelOffset = 0;
    size_t rowStride = 0;
    std::vector<std::array<uint8_t, 3>> palette;  // blue, green, red
    TChannelMask red, green, blue;
};

std::string sizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void checkDimensions(int64_t width, int64_t height) {
    if (width < 0 || height < 0)
        throw TVekException("invalid BMP picture size " + sizeText(width, height));
    if (width == 0 || height == 0)
        throw TVekException("BMP picture has no pixels (" + sizeText(width, height) + ")");
    if (width * height > kMaxPicturePixels)
        throw TVekException("BMP picture of " + sizeText(width, height) + " pixels is too large");
}

void readMasks(const std::vector<uint8_t>& data, size_t at, TBmpLayout& layout) {
    layout.red = TChannelMask(readU32(data, at));
    layout.green = TChannelMask(readU32(data, at + 4));
    layout.blue = TChannelMask(readU32(data, at + 8));
}

void setDefaultMasks(TBmpLayout& layout) {
    if (layout.bitsPerPixel == 16) {  // 5-5-5
        layout.red = TChannelMask(0x7C00);
        layout.green = TChannelMask(0x03E0);
        layout.blue = TChannelMask(0x001F);
    } else if (layout.bitsPerPixel == 32) {
        layout.red = TChannelMask(0x00FF0000);
        layout.green = TChannelMask(0x0000FF00);
        layout.blue = TChannelMask(0x000000FF);
    }
}

// Reads the palette that starts at `at`, entries of `entrySize` bytes (3 in
// the core format, 4 otherwise). Only entries before the pixel data count.
void readPalette(const std::vector<uint8_t>& data, size_t at, size_t entrySize, uint32_t declaredCount,
                 TBmpLayout& layout) {
    const uint32_t fullCount = uint32_t{1} << layout.bitsPerPixel;
    if (declaredCount > fullCount)
        throw TVekException("BMP palette of " + std::to_string(declaredCount) + " colours is invalid for " +
                            std::to_string(layout.bitsPerPixel) + "-bit pixels");
    size_t count = declaredCount == 0 ? fullCount : declaredCount;
    const size_t available = layout.pixelOffset > at ? (layout.pixelOffset - at) / entrySize : 0;
    count = std::min(count, available);
    if (count == 0) throw TVekException("BMP palette is missing");
    layout.palette.resize(count);
    for (size_t k = 0; k < count; ++k) {
        const size_t entry = at + k * entrySize;
        layout.palette[k] = {data[entry], data[entry + 1], data[entry + 2]};
    }
}

TBmpLayout readLayout(const std::vector<uint8_t>& data) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M')
        throw TVekException("not a BMP file (no \"BM\" signature)");
    if (data.size() < kFileHeaderSize + 4) throw TVekException("BMP file is truncated (incomplete header)");
    TBmpLayout layout;
    layout.pixelOffset = readU32(data, 10);
    const uint32_t headerSize = readU32(data, kFileHeaderSize);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && (headerSize < kInfoHeaderSize || headerSize > kMaxInfoHeaderSize))
        throw TVekException("unsupported BMP header of " + std::to_string(headerSize) + " bytes");
    if (data.size() < kFileHeaderSize + headerSize)
        throw TVekException("BMP file is truncated (incomplete header)");

    const size_t h = kFileHeaderSize;
    int64_t width = 0, height = 0;
    uint32_t compression = kCompressionRgb;
    uint32_t colourCount = 0;
    uint16_t planes = 0;
    if (core) {
        width = readU16(data, h + 4);
        height = readU16(data, h + 6);
        planes = readU16(data, h + 8);
        layout.bitsPerPixel = readU16(data, h + 10);
    } else {
        width = readI32(data, h + 4);
        height = readI32(data, h + 8);
        planes = readU16(data, h + 12);
        layout.bitsPerPixel = readU16(data, h + 14);
        compression = readU32(data, h + 16);
        colourCount = readU32(data, h + 32);
    }
    if (planes != 1) throw TVekException("invalid BMP header (" + std::to_string(planes) + " planes)");
    if (height < 0) {
        layout.topDown = true;
        height = -height;  // fits: the value came from 32 bits
    }
    checkDimensions(width, height);
    layout.width = static_cast<int32_t>(width);
    layout.height = static_cast<int32_t>(height);

    const int bpp = layout.bitsPerPixel;
    const bool paletted = bpp == 1 || bpp == 4 || bpp == 8;
    if (!paletted && bpp != 16 && bpp != 24 && bpp != 32)
        throw TVekException("unsupported BMP pixel depth of " + std::to_string(bpp) + " bits");
    if (core && bpp != 24 && !paletted)
        throw TVekException("unsupported BMP pixel depth of " + std::to_string(bpp) + " bits");

    const bool bitfields = compression == kCompressionBitfields || compression == kCompressionAlphaBitfields;
    layout.runLength = compression == kCompressionRle8 || compression == kCompressionRle4;
    if (compression != kCompressionRgb && !bitfields && !layout.runLength)
        throw TVekException("unsupported BMP compression " + std::to_string(compression));
    if (bitfields && bpp != 16 && bpp != 32)
        throw TVekException("BMP bit fields need 16- or 32-bit pixels, not " + std::to_string(bpp));
    const int runLengthDepth = compression == kCompressionRle8 ? 8 : 4;
    if (layout.runLength && bpp != runLengthDepth)
        throw TVekException("BMP run-length compression " + std::to_string(compression) + " needs " +
                            std::to_string(runLengthDepth) + "-bit pixels, not " + std::to_string(bpp));

    // Colour masks of BI_BITFIELDS follow a plain info header; later headers hold them.
    size_t tableStart = h + headerSize;
    if (bitfields) {
        if (headerSize >= kInfoHeaderSize + 12) {
            readMasks(data, h + kInfoHeaderSize, layout);
        } else {
            const size_t maskBytes = compression == kCompressionAlphaBitfields ? 16 : 12;
            if (data.size() < tableStart + maskBytes)
                throw TVekException("BMP file is truncated (incomplete colour masks)");
            readMasks(data, tableStart, layout);
            tableStart += maskBytes;
        }
    } else {
        setDefaultMasks(layout);
    }

    if (layout.pixelOffset < tableStart || layout.pixelOffset >= data.size())
        throw TVekException("BMP pixel data offset " + std::to_string(layout.pixelOffset) +
                            " lies outside the file");
    if (paletted) readPalette(data, tableStart, core ? 3 : 4, colourCount, layout);

    if (layout.runLength) {
        const uint64_t streamBytes = data.size() - layout.pixelOffset;
        if (static_cast<uint64_t>(width) * height > kRunLengthFreePixels + streamBytes * kRunLengthPixelsPerByte)
            throw TVekException("BMP run-length data of " + std::to_string(streamBytes) + " bytes cannot fill a " +
                                sizeText(width, height) + " picture");
        return layout;
    }
    layout.rowStride = (static_cast<size_t>(layout.width) * bpp + 31) / 32 * 4;
    const uint64_t pixelBytes = static_cast<uint64_t>(layout.rowStride) * layout.height;
    if (pixelBytes > data.size() - layout.pixelOffset)
        throw TVekException("BMP file is truncated (" + std::to_string(data.size() - layout.pixelOffset) + " of " +
                            std::to_string(pixelBytes) + " bytes of pixel data)");
    return layout;
}

void decodePalettedRow(const uint8_t* source, const TBmpLayout& layout, uint8_t* target) {
    const int bpp = layout.bitsPerPixel;
    const int perByte = 8 / bpp;
    const unsigned indexMask = (1u << bpp) - 1;
    for (int32_t x = 0; x < layout.width; ++x) {
        const int shift = 8 - bpp * (x % perByte + 1);  // leftmost pixel in the high bits
        const unsigned index = (source[x / perByte] >> shift) & indexMask;
        // An index beyond the palette shows black rather than reading past it.
        if (index < layout.palette.size()) {
            const auto& colour = layout.palette[index];
            target[3 * x] = colour[0];
            target[3 * x + 1] = colour[1];
            target[3 * x + 2] = colour[2];
        } else {
            target[3 * x] = target[3 * x + 1] = target[3 * x + 2] = 0;
        }
    }
}

void decodeMaskedRow(const uint8_t* source, const TBmpLayout& layout, uint8_t* target) {
    const bool wide = layout.bitsPerPixel == 32;
    for (int32_t x = 0; x < layout.width; ++x) {
        uint32_t pixel;
        if (wide) {
            const uint8_t* p = source + 4 * x;
            pixel = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
        } else {
            pixel = uint32_t{source[2 * x]} | (uint32_t{source[2 * x + 1]} << 8);
        }
        target[3 * x] = layout.blue.extract(pixel);
        target[3 * x + 1] = layout.green.extract(pixel);
        target[3 * x + 2] = layout.red.extract(pixel);
    }
}

std::string outOfMemory(int64_t width, int64_t height) {
    return "not enough memory for a " + std::to_string(width) + " \u00D7 " + std::to_string(height) + " picture";
}

// The rows of a run-length picture: the stream expanded to one index per
// pixel, then each row through the palette as an 8-bit paletted row.
void decodeRunLength(const std::vector<uint8_t>& data, const TBmpLayout& layout, TVekBitmap& bitmap) {
    const std::vector<uint8_t> indices = TVekBmpRunLength(layout.width, layout.height, layout.bitsPerPixel)
                                             .expand(data.data() + layout.pixelOffset, data.size() - layout.pixelOffset);
    TBmpLayout bytewise = layout;
    bytewise.bitsPerPixel = 8;
    for (int32_t row = 0; row < layout.height; ++row) {
        const int32_t y = layout.topDown ? row : layout.height - 1 - row;
        decodePalettedRow(indices.data() + static_cast<size_t>(row) * layout.width, bytewise, bitmap.row(y));
    }
}

TVekBitmap decodePixels(const std::vector<uint8_t>& data, const TBmpLayout& layout) {
    TVekBitmap bitmap(layout.width, layout.height);
    if (layout.runLength) {
        decodeRunLength(data, layout, bitmap);
        return bitmap;
    }
    const bool paletted = layout.bitsPerPixel <= 8;
    for (int32_t row = 0; row < layout.height; ++row) {
        const int32_t y = layout.topDown ? row : layout.height - 1 - row;
        const uint8_t* source = data.data() + layout.pixelOffset + static_cast<size_t>(row) * layout.rowStride;
        uint8_t* target = bitmap.row(y);
        if (paletted) {
            decodePalettedRow(source, layout, target);
        } else if (layout.bitsPerPixel == 24) {
            std::copy(source, source + static_cast<size_t>(layout.width) * 3, target);
        } else {
            decodeMaskedRow(source, layout, target);
        }
    }
    return bitmap;
}

std::string lowerExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// A file descriptor closed when it goes out of scope.
struct TOpenFile {
    int descriptor = -1;
    explicit TOpenFile(int opened) : descriptor(opened) {}
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;
    ~TOpenFile() {
        if (descriptor >= 0) ::close(descriptor);
    }
};

std::string systemReason(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

// Only a regular file is a picture: a named pipe or a device would block the
// read or never end, so anything else is refused before it is opened. The
// file is opened without waiting and checked once more, in case it was
// replaced in between.
std::vector<uint8_t> readWholeFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) throw TVekException(systemReason("cannot open the file", errno));
    if (S_ISDIR(status.st_mode)) throw TVekException("is a directory");
    if (!S_ISREG(status.st_mode)) throw TVekException("not a regular file");
    const TOpenFile file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    const int descriptor = file.descriptor;
    if (descriptor < 0) throw TVekException(systemReason("cannot open the file", errno));
    if (::fstat(descriptor, &status) != 0) throw TVekException(systemReason("cannot read the file", errno));
    if (!S_ISREG(status.st_mode)) throw TVekException("not a regular file");
    if (static_cast<uintmax_t>(status.st_size) > kMaxFileSize) throw TVekException("file is too large for a picture");
    std::vector<uint8_t> data(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t count = ::read(descriptor, data.data() + done, data.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw TVekException(systemReason("cannot read the file", errno));
        if (count == 0) break;  // the file shrank while being read
        done += static_cast<size_t>(count);
    }
    data.resize(done);
    return data;
}

bool looksLikeJpeg(const std::vector<uint8_t>& data) {
    return data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}


// The picture of a decoded raster; running out of memory names its size.
TVekImage toImage(TVekBitmap bitmap) {
    const int32_t width = bitmap.width, height = bitmap.height;
    try {
        return TVekImage(std::move(bitmap));
    } catch (const std::bad_alloc&) {
        throw TVekException(outOfMemory(width, height));
    }
}

TVekImage decodeByName(const std::filesystem::path& path, std::vector<uint8_t> data) {
    const std::string extension = lowerExtension(path);
    if (data.empty()) throw TVekException("file is empty");
    const bool jpeg = extension == ".jpg" || (extension != ".bmp" && looksLikeJpeg(data));
    if (jpeg) return TVekImage(TVekJpegPicture{std::move(data)});
    if (extension != ".bmp" && (data.size() < 2 || data[0] != 'B' || data[1] != 'M'))
        throw TVekException("unknown picture format");
    return toImage(decodeBmp(data));
}

TVekImage decodeByContent(std::vector<uint8_t> data) {
    if (hasPngSignature(data)) return toImage(decodePng(data));
    if (looksLikeJpeg(data)) return TVekImage(TVekJpegPicture{std::move(data)});
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return toImage(decodeBmp(data));
    if (data.empty()) throw TVekException("file is empty");
    throw TVekException("unknown picture format (not PNG, JPEG or BMP)");
}

// An uncompressed 24-bit bitmap holds its rows as the read takes them: they
// are seen in place, the file's bytes are all the memory the picture needs.
TVekLoadedPixels bmpPixels(std::vector<uint8_t> data) {
    const TBmpLayout layout = readLayout(data);
    if (layout.runLength || layout.bitsPerPixel != 24) {
        try {
            return TVekLoadedPixels(decodePixels(data, layout));
        } catch (const std::bad_alloc&) {
            throw TVekException(outOfMemory(layout.width, layout.height));
        }
    }
    const auto stride = static_cast<std::ptrdiff_t>(layout.rowStride);
    const size_t bottomRow = layout.pixelOffset + layout.rowStride * static_cast<size_t>(layout.height - 1);
    const int32_t width = layout.width, height = layout.height;
    if (layout.topDown) return TVekLoadedPixels(std::move(data), width, height, layout.pixelOffset, stride);
    return TVekLoadedPixels(std::move(data), width, height, bottomRow, -stride);
}

// decodeByContent's choice of decoder and its errors, without the colour
// picture.
TVekLoadedPixels pixelsByContent(std::vector<uint8_t> data) {
    if (hasPngSignature(data)) return TVekLoadedPixels(decodePng(data));
    if (looksLikeJpeg(data)) return TVekLoadedPixels(decodeJpeg(data));
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return bmpPixels(std::move(data));
    if (data.empty()) throw TVekException("file is empty");
    throw TVekException("unknown picture format (not PNG, JPEG or BMP)");
}

// Runs a loading step, naming the file in its errors.
template <typename Step>
auto withFileName(const std::string& name, Step step) {
    try {
        return step();
    } catch (const TVekException& error) {
        throw TVekException(name + ": " + error.what());
    } catch (const std::bad_alloc&) {
        throw TVekException(name + ": not enough memory for the picture");
    }
}

}  // namespace

TVekBitmap decodeBmp(const std::vector<uint8_t>& data) {
    const TBmpLayout layout = readLayout(data);
    try {
        return decodePixels(data, layout);
    } catch (const std::bad_alloc&) {
        throw TVekException(outOfMemory(layout.width, layout.height));
    }
}


TVekImage loadPictureFile(const std::filesystem::path& path) {
    return withFileName(path.string(), [&] { return decodeByName(path, readWholeFile(path)); });
}

TVekImage loadPicture(const std::filesystem::path& path) {
    return withFileName(path.string(), [&] { return decodeByContent(readWholeFile(path)); });
}

TVekImage decodePicture(std::vector<uint8_t> data, const std::string& name) {
    return withFileName(name, [&] { return decodeByContent(std::move(data)); });
}

TVekLoadedPixels loadPicturePixels(const std::filesystem::path& path) {
    return withFileName(path.string(), [&] { return pixelsByContent(readWholeFile(path)); });
}

TVekLoadedPixels decodePicturePixels(std::vector<uint8_t> data, const std::string& name) {
    return withFileName(name, [&] { return pixelsByContent(std::move(data)); });
}

std::vector<uint8_t> readPictureStream(std::FILE* stream, const std::string& name) {
    return withFileName(name, [&] {
        std::vector<uint8_t> data;
        std::array<uint8_t, 65536> chunk;
        while (const size_t count = std::fread(chunk.data(), 1, chunk.size(), stream)) {
            if (data.size() + count > kMaxFileSize) throw TVekException("input is too large for a picture");
            data.insert(data.end(), chunk.begin(), chunk.begin() + count);
        }
        if (std::ferror(stream)) throw TVekException("cannot read the input");
        return data;
    });
}

}  // namespace orvel
