#include "qrcode/VekRMQRMatrixDecoder.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "qrcode/VekQRBitString.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRZigzag.h"
#include "qrcode/VekRMQRTables.h"
#include "qrcode/VekReedSolomonQR.h"

namespace orvel {

namespace {

const TVectorInteger kFieldPolynomial{1, 0, 1, 1, 1, 0, 0, 0, 1};  // x^8 + x^4 + x^3 + x^2 + 1
constexpr int32_t kWordLength = 255;
constexpr int32_t kTerminatorBits = 3;
constexpr int32_t kModeBits = 3;

bool isFormat(int32_t width, int32_t height, int32_t column, int32_t row) {
    const bool finderSide =
        (column >= 8 && column <= 10 && row >= 1 && row <= 5) || (column == 11 && row >= 1 && row <= 3);
    const bool subFinderSide = (column >= width - 8 && column <= width - 6 && row >= height - 6 && row <= height - 2) ||
                               (row == height - 6 && column >= width - 5 && column <= width - 3);
    return finderSide || subFinderSide;
}

std::optional<TVekRMQRFormat> readFormat(const TVekBitMatrix& m) {
    std::optional<TVekRMQRFormat> best;
    for (const bool subFinderSide : {false, true}) {
        uint32_t bits = 0;
        for (int32_t bit = 0; bit < 18; ++bit) {
            const auto [column, row] = rmqrFormatPosition(bit, subFinderSide, m.width(), m.height());
            bits |= static_cast<uint32_t>(m.get(column, row)) << bit;
        }
        const auto format = rmqrReadFormat(bits, subFinderSide);
        if (format && (!best || format->errors < best->errors)) best = format;
    }
    return best;
}

// The data codewords of all blocks in order, corrected; none when a block
// has more errors than the reader corrects.
std::optional<TVectorInteger> correct(const TVectorInteger& codewords, const TVekRMQRBlocks& info) {
    const int32_t b = info.blocks, e = info.ecPerBlock;
    const int32_t shorter = info.dataCodewords / b, longer = info.dataCodewords % b;
    std::vector<TVectorInteger> data(static_cast<size_t>(b)), check(static_cast<size_t>(b));
    for (int32_t i = 0; i < b; ++i) data[i].reserve(shorter + 1);
    size_t next = 0;
    for (int32_t t = 0; t <= shorter; ++t)
        for (int32_t i = 0; i < b; ++i)
            if (t < shorter || i >= b - longer) data[i].push_back(codewords[next++]);
    for (int32_t t = 0; t < e; ++t)
        for (int32_t i = 0; i < b; ++i) check[i].push_back(codewords[next++]);
    const TVekReedSolomonQR rs(8, e, kWordLength - e, kFieldPolynomial);
    // One check codeword kept back as a guard against a wrong correction.
    const int32_t maxErrors = (e - 1) / 2;
    TVectorInteger out, corrected;
    for (int32_t i = 0; i < b; ++i) {
        const auto d = static_cast<int32_t>(data[i].size());
        TVectorInteger block(static_cast<size_t>(d + e));
        for (int32_t p = 0; p < d; ++p) block[d + e - 1 - p] = data[i][p];
        for (int32_t p = 0; p < e; ++p) block[e - 1 - p] = check[i][p];
        try {
            rs.decode(block, corrected);
        } catch (const TVekException&) {
            return std::nullopt;
        }
        int32_t errors = 0;
        for (int32_t p = 0; p < d + e; ++p) errors += corrected[p] != block[p];
        if (errors > maxErrors) return std::nullopt;
        for (int32_t p = 0; p < d; ++p) out.push_back(corrected[d + e - 1 - p]);
    }
    return out;
}

TVectorInteger segments(TVekQRBitString& bits, const TVekRMQRVersionInfo& info) {
    static constexpr int32_t kModes[] = {TVekQRCWDecoder::MODE_NUMERIC, TVekQRCWDecoder::MODE_ALPHANUMERIC,
                                         TVekQRCWDecoder::MODE_BYTE, TVekQRCWDecoder::MODE_KANJI};
    TVekQRCWDecoder decoder;
    TVectorInteger values;
    const auto take = [&](int32_t n) {
        if (bits.length() < n) throw EVekQRCodeCWException("Data ends inside a segment header");
        return static_cast<int32_t>(bits.readBits(n));
    };
    while (bits.length() > 0) {
        const int32_t terminator = std::min(kTerminatorBits, bits.length());
        if (bits.peekBits(terminator) == 0) break;
        const int32_t mode = take(kModeBits);
        // 1 numeric, 2 alphanumeric, 3 byte, 4 Kanji; FNC1 and ECI are not read.
        if (mode < 1 || mode > 4) throw EVekQRCodeCWException("Unsupported mode indicator " + std::to_string(mode));
        decoder.decodeSegment(bits, kModes[mode - 1], take(info.countBits[mode - 1]), values);
    }
    return values;
}

}  // namespace

bool TVekRMQRMatrixDecoder::isFunction(int32_t width, int32_t height, int32_t column, int32_t row) {
    if (row == 0 || row == height - 1 || column == 0 || column == width - 1) return true;  // edges: timing, corners
    if (column <= 7 && row <= 7) return true;                                              // finder, separator
    if (column >= width - 5 && row >= height - 5) return true;                             // sub-finder
    if (column >= width - 2 && row <= 1) return true;                                      // top-right corner
    if (column <= 1 && row >= height - 2) return true;                                     // bottom-left corner
    for (const int32_t x : rmqrAlignmentColumns(width)) {
        if (column == x) return true;  // the vertical timing between the two patterns
        if (std::abs(column - x) <= 1 && (row <= 2 || row >= height - 3)) return true;
    }
    return isFormat(width, height, column, row);
}

TVekBarcode TVekRMQRMatrixDecoder::decode(const TVekBitMatrix& modules) {
    TVekBarcode result;
    result.format = TVekBarcodeFormat::rmqrCode;
    result.isValid = false;
    result.error = "format information unreadable";
    const int32_t width = modules.width(), height = modules.height();
    const auto format = readFormat(modules);
    if (!format) return result;
    const TVekRMQRVersionInfo& info = *rmqrVersionInfo(format->version);
    if (info.width != width || info.height != height) {
        result.error = "format information of another size";
        return result;
    }
    std::vector<bool> bits;
    TVekQRZigzag::forEach(
        width - 1, height, [&](int32_t column, int32_t row) { return isFunction(width, height, column, row); },
        [&](int32_t column, int32_t row) {
            const bool mask = (row / 2 + column / 3) % 2 == 0;
            bits.push_back(modules.get(column, row) != mask);
        });
    TVectorInteger codewords(static_cast<size_t>(info.totalCodewords()), 0);
    if (bits.size() < codewords.size() * 8) {
        result.error = "too few modules";
        return result;
    }
    for (size_t i = 0; i < codewords.size(); ++i)
        for (size_t k = 0; k < 8; ++k) codewords[i] = (codewords[i] << 1) | bits[8 * i + k];
    const auto data = correct(codewords, info.blocks(format->levelIsH));
    if (!data) {
        result.error = "error correction failed";
        return result;
    }
    TVekQRBitString stream;
    for (const int32_t c : *data) stream.appendBits(static_cast<uint32_t>(c), 8);
    try {
        for (const int32_t v : segments(stream, info)) {
            // A Kanji value is a two-byte Shift JIS code, high byte first.
            if (v > 0xFF) result.bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
            result.bytes.push_back(static_cast<char>(v & 0xFF));
        }
    } catch (const EVekQRCodeCWException&) {
        result.bytes.clear();
        result.error = "data stream cannot be decoded";
        return result;
    }
    result.symbologyIdentifier = "]Q1";
    result.ecLevel = format->levelIsH ? "H" : "M";
    result.isValid = true;
    result.error.clear();
    return result;
}

}  // namespace orvel
