#include "qrcode/VekMicroQRMatrixDecoder.h"

#include <optional>
#include <string>
#include <vector>

#include "qrcode/VekMicroQRTables.h"
#include "qrcode/VekQRBitString.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRZigzag.h"
#include "qrcode/VekReedSolomonQR.h"

namespace orvel {

namespace {

const TVectorInteger kFieldPolynomial{1, 0, 1, 1, 1, 0, 0, 0, 1};  // x^8 + x^4 + x^3 + x^2 + 1
constexpr int32_t kWordLength = 255;

// The matrix, or its transpose (the symbol seen from behind), by column and row.
class TReading {
public:
    TReading(const TVekBitMatrix& modules, bool mirrored) : modules_(modules), mirrored_(mirrored) {}
    bool dark(int32_t column, int32_t row) const {
        return mirrored_ ? modules_.get(row, column) : modules_.get(column, row);
    }

private:
    const TVekBitMatrix& modules_;
    bool mirrored_;
};

uint32_t formatBits(const TReading& m) {
    // Along the row under the finder from the left, then up the column right of it.
    uint32_t bits = 0;
    for (int32_t column = 1; column <= 8; ++column) bits = (bits << 1) | m.dark(column, 8);
    for (int32_t row = 7; row >= 1; --row) bits = (bits << 1) | m.dark(8, row);
    return bits;
}

bool maskCondition(int32_t mask, int32_t row, int32_t column) {
    switch (mask) {
        case 0:
            return row % 2 == 0;
        case 1:
            return (row / 2 + column / 3) % 2 == 0;
        case 2:
            return ((row * column) % 2 + (row * column) % 3) % 2 == 0;
        default:
            return ((row + column) % 2 + (row * column) % 3) % 2 == 0;
    }
}

// The codewords in placement order: data (the last one of M1 and M3 four
// bits, kept in the high half), then error correction.
TVectorInteger readCodewords(const TReading& m, int32_t size, int32_t mask, const TVekMicroQRSymbolInfo& info) {
    std::vector<bool> bits;
    TVekQRZigzag::forEach(size, size, TVekMicroQRMatrixDecoder::isFunction, [&](int32_t column, int32_t row) {
        bits.push_back(m.dark(column, row) != maskCondition(mask, row, column));
    });
    TVectorInteger codewords;
    size_t next = 0;
    const auto take = [&](int32_t n) {
        int32_t v = 0;
        for (int32_t i = 0; i < n; ++i) v = (v << 1) | (next < bits.size() && bits[next++]);
        return v;
    };
    for (int32_t i = 0; i < info.dataCodewords; ++i)
        codewords.push_back(i + 1 == info.dataCodewords && info.halfLastCodeword() ? take(4) << 4 : take(8));
    for (int32_t i = 0; i < info.ecCodewords; ++i) codewords.push_back(take(8));
    return codewords;
}

// The corrected data bits, or none when the block has more errors than the
// level lets the reader correct.
std::optional<TVekQRBitString> correct(const TVectorInteger& codewords, const TVekMicroQRSymbolInfo& info) {
    const int32_t d = info.dataCodewords, e = info.ecCodewords;
    TVectorInteger block(static_cast<size_t>(d + e));
    // Coefficient of x^i at [i]: the first codeword is the highest power.
    for (int32_t i = 0; i < d + e; ++i) block[d + e - 1 - i] = codewords[i];
    const TVekReedSolomonQR rs(8, e, kWordLength - e, kFieldPolynomial);
    TVectorInteger corrected;
    try {
        rs.decode(block, corrected);
    } catch (const TVekException&) {
        return std::nullopt;
    }
    int32_t errors = 0;
    for (int32_t i = 0; i < d + e; ++i) errors += corrected[i] != block[i];
    if (errors > info.maxErrors) return std::nullopt;
    TVekQRBitString bits;
    for (int32_t i = 0; i < d; ++i) {
        const auto value = static_cast<uint32_t>(corrected[d + e - 1 - i]);
        if (i + 1 == d && info.halfLastCodeword()) {
            // The half codeword's low bits are no part of the symbol.
            if ((value & 0x0F) != 0) return std::nullopt;
            bits.appendBits(value >> 4, 4);
        } else {
            bits.appendBits(value, 8);
        }
    }
    return bits;
}

// The segments of the data bits; raises EVekQRCodeCWException for a mode the
// version lacks or a segment that runs past the end.
TVectorInteger segments(TVekQRBitString& bits, int32_t version) {
    static constexpr int32_t kModes[] = {TVekQRCWDecoder::MODE_NUMERIC, TVekQRCWDecoder::MODE_ALPHANUMERIC,
                                         TVekQRCWDecoder::MODE_BYTE, TVekQRCWDecoder::MODE_KANJI};
    TVekQRCWDecoder decoder;
    TVectorInteger values;
    const auto take = [&](int32_t n) {
        if (bits.length() < n) throw EVekQRCodeCWException("Data ends inside a segment header");
        return static_cast<int32_t>(n == 0 ? 0 : bits.readBits(n));
    };
    while (bits.length() > 0) {
        // The terminator, cut short when the data ends first.
        const int32_t terminator = std::min(microQRTerminatorBits(version), bits.length());
        if (bits.peekBits(terminator) == 0) break;
        const int32_t modeValue = take(microQRModeBits(version));
        const int32_t countBits = microQRCountBits(modeValue, version);
        if (countBits == 0) throw EVekQRCodeCWException("Mode not in this version");
        decoder.decodeSegment(bits, kModes[modeValue], take(countBits), values);
    }
    return values;
}

void fill(TVekBarcode& result, const TVectorInteger& values, const TVekMicroQRSymbolInfo& info) {
    for (const int32_t v : values) {
        // A Kanji value is a two-byte Shift JIS code, high byte first.
        if (v > 0xFF) result.bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
        result.bytes.push_back(static_cast<char>(v & 0xFF));
    }
    result.symbologyIdentifier = "]Q1";
    result.ecLevel = info.level == ' ' ? std::string() : std::string(1, info.level);
}

}  // namespace

TVekBarcode TVekMicroQRMatrixDecoder::decode(const TVekBitMatrix& modules) {
    TVekBarcode result;
    result.format = TVekBarcodeFormat::microQrCode;
    result.isValid = false;
    const int32_t size = modules.width();
    const int32_t version = (size - 9) / 2;
    if (modules.height() != size || version < 1 || version > 4 || microQRModules(version) != size) {
        result.error = "no Micro QR size";
        return result;
    }
    result.error = "error correction failed";
    for (const bool mirrored : {false, true}) {
        const TReading reading(modules, mirrored);
        const auto format = microQRReadFormat(formatBits(reading));
        if (!format) continue;
        const TVekMicroQRSymbolInfo* info = microQRSymbolInfo(*format / 4);
        if (info->version != version) continue;
        auto bits = correct(readCodewords(reading, size, *format % 4, *info), *info);
        if (!bits) continue;
        try {
            const TVectorInteger values = segments(*bits, version);
            fill(result, values, *info);
        } catch (const EVekQRCodeCWException&) {
            result.error = "data stream cannot be decoded";
            continue;
        }
        result.isMirrored = mirrored;
        result.isValid = true;
        result.error.clear();
        return result;
    }
    return result;
}

}  // namespace orvel
