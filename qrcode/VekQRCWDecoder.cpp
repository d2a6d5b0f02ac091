#include "qrcode/VekQRCWDecoder.h"

#include <string>

namespace orvel {

namespace {

constexpr char kAlphanumeric[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
constexpr int32_t kAlphanumericCount = 45;
constexpr int32_t kGroupSeparator = 0x1D;

// Reading past the end would invent bits (they read as 1) and report made-up
// characters as a success; a stream that ends inside a segment is a failure.
void require(const TVekQRBitString& bits, int32_t n) {
    if (bits.length() < n) throw EVekQRCodeCWException("Data ends inside a segment");
}

int32_t take(TVekQRBitString& bits, int32_t n) {
    require(bits, n);
    return static_cast<int32_t>(bits.readBits(n));
}

int32_t alphanumericCode(int32_t value) {
    return value < kAlphanumericCount ? static_cast<unsigned char>(kAlphanumeric[value]) : ' ';
}

}  // namespace

int32_t TVekQRCWDecoder::countBits(int32_t mode, int32_t version) {
    // Columns: versions 1 ... 9, 10 ... 26, 27 ... 40.
    static constexpr int32_t kNumeric[] = {10, 12, 14};
    static constexpr int32_t kAlphanumericBits[] = {9, 11, 13};
    static constexpr int32_t kByte[] = {8, 16, 16};
    static constexpr int32_t kKanji[] = {8, 10, 12};
    const int32_t column = version <= 9 ? 0 : (version <= 26 ? 1 : 2);
    switch (mode) {
        case MODE_NUMERIC: return kNumeric[column];
        case MODE_ALPHANUMERIC: return kAlphanumericBits[column];
        case MODE_BYTE: return kByte[column];
        case MODE_KANJI: return kKanji[column];
        default: return 0;
    }
}

void TVekQRCWDecoder::decode(TVekQRBitString& bits, int32_t version, TVectorInteger& values) {
    readHeaders(bits);
    while (bits.length() >= 4) {
        const int32_t mode = static_cast<int32_t>(bits.peekBits(4));
        if (mode == MODE_TERMINATOR) break;
        if (mode == MODE_ECI && eciAnywhere) {
            bits.readBits(4);
            readEci(bits);
            switches.push_back({values.size(), eci});
            continue;
        }
        if (mode == MODE_HANZI && hanzi) {
            bits.readBits(4);
            decodeHanzi(bits, values, version);
            continue;
        }
        if (mode != MODE_NUMERIC && mode != MODE_ALPHANUMERIC && mode != MODE_BYTE && mode != MODE_KANJI)
            throw EVekQRCodeCWException("Unsupported mode indicator " + std::to_string(mode));
        bits.readBits(4);
        decodeSegment(bits, mode, take(bits, countBits(mode, version)), values);
    }
}

void TVekQRCWDecoder::decodeSegment(TVekQRBitString& bits, int32_t mode, int32_t count, TVectorInteger& values) {
    switch (mode) {
        case MODE_NUMERIC: decodeNumeric(bits, count, values); break;
        case MODE_ALPHANUMERIC: decodeAlphanumeric(bits, count, values); break;
        case MODE_BYTE: decodeByte(bits, count, values); break;
        case MODE_KANJI: decodeKanji(bits, count, values); break;
        default: throw EVekQRCodeCWException("Unsupported mode indicator " + std::to_string(mode));
    }
}

void TVekQRCWDecoder::readHeaders(TVekQRBitString& bits) {
    if (bits.length() >= 4 && bits.peekBits(4) == MODE_STRUCTURED_APPEND) {
        bits.readBits(4);
        appendPosition = take(bits, 4);
        appendTotal = take(bits, 4);
        appendParity = take(bits, 8);  // parity of the whole message
    }
    if (bits.length() >= 4 && bits.peekBits(4) == MODE_FNC1_FIRST) {
        bits.readBits(4);
        fnc1 = 1;
    }
    if (bits.length() >= 4 && bits.peekBits(4) == MODE_FNC1_SECOND) {
        bits.readBits(4);
        fnc1 = 2;
        applicationIndicator = take(bits, 8);
    }
    eci = 20;
    if (bits.length() >= 4 && bits.peekBits(4) == MODE_ECI) {
        bits.readBits(4);
        readEci(bits);
        if (eciAnywhere) switches.push_back({0, eci});
    } else if (bits.length() >= 4 && bits.peekBits(4) == MODE_NESTED_ECI) {
        throw EVekQRCodeCWException("Unsupported nesting of ECI");
    }
}

void TVekQRCWDecoder::readEci(TVekQRBitString& bits) {
    require(bits, 1);
    if (bits.peekBits(1) == 0) {
        bits.readBits(1);
        eci = take(bits, 7);
    } else if (bits.length() >= 2 && bits.peekBits(2) == 2) {
        bits.readBits(2);
        eci = take(bits, 14);
    } else if (bits.length() >= 3 && bits.peekBits(3) == 6) {
        bits.readBits(3);
        eci = take(bits, 21);
    } else {
        throw EVekQRCodeCWException("Unkown ECI");
    }
}

void TVekQRCWDecoder::decodeNumeric(TVekQRBitString& bits, int32_t count, TVectorInteger& values) {
    int32_t produced = 0;
    while (produced < count) {
        const int32_t missing = count - produced;
        if (missing == 1) {
            values.push_back(48 + take(bits, 4));
            produced += 1;
        } else if (missing == 2) {
            const int32_t v = take(bits, 7);
            values.push_back(48 + v / 10);
            values.push_back(48 + v % 10);
            produced += 2;
        } else {
            const int32_t v = take(bits, 10);
            values.push_back(48 + v / 100);
            values.push_back(48 + (v % 100) / 10);
            values.push_back(48 + v % 10);
            produced += 3;
        }
    }
}

void TVekQRCWDecoder::decodeAlphanumeric(TVekQRBitString& bits, int32_t count, TVectorInteger& values) {
    TVectorInteger segment;
    segment.reserve(count);
    for (int32_t i = 0; i < count; i += 2) {
        if (i + 1 < count) {
            const int32_t v = take(bits, 11);
            segment.push_back(alphanumericCode(v / 45));
            segment.push_back(alphanumericCode(v % 45));
        } else {
            segment.push_back(alphanumericCode(take(bits, 6)));
        }
    }
    if (fnc1 != 0) {
        // Under FNC1 a "%" stands for the field separator GS and "%%" for a literal "%".
        for (size_t i = 0; i < segment.size(); ++i) {
            if (segment[i] != '%') {
                values.push_back(segment[i]);
            } else if (i + 1 < segment.size() && segment[i + 1] == '%') {
                values.push_back('%');
                ++i;
            } else {
                values.push_back(kGroupSeparator);
            }
        }
    } else {
        values.insert(values.end(), segment.begin(), segment.end());
    }
}

void TVekQRCWDecoder::decodeByte(TVekQRBitString& bits, int32_t count, TVectorInteger& values) {
    require(bits, 8 * count);
    for (int32_t i = 0; i < count; ++i) values.push_back(take(bits, 8));
}

void TVekQRCWDecoder::decodeKanji(TVekQRBitString& bits, int32_t count, TVectorInteger& values) {
    require(bits, 13 * count);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = take(bits, 13);
        const int32_t w = (v / 192) * 256 + v % 192;
        values.push_back(w > 0x1EFF ? w + 0xC140 : w + 0x8140);
    }
}

void TVekQRCWDecoder::decodeHanzi(TVekQRBitString& bits, TVectorInteger& values, int32_t version) {
    constexpr int32_t kGb2312Subset = 1;
    if (take(bits, 4) != kGb2312Subset) throw EVekQRCodeCWException("Unsupported Hanzi subset");
    hanziSeen = true;
    // Counted like Kanji; 13 bits each, 96 codes per row of the two GB 2312 areas.
    const int32_t count = take(bits, countBits(MODE_KANJI, version));
    require(bits, 13 * count);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = take(bits, 13);
        const int32_t w = (v / 0x60) * 0x100 + v % 0x60;
        values.push_back(w < 0xA00 ? w + 0xA1A1 : w + 0xA6A1);
    }
}

}  // namespace orvel
