#include "maxicode/VekMaxiCodeDecoder.h"

#include <cstdio>
#include <span>
#include <string>

#include "foundation/VekGaloisField.h"
#include "foundation/VekReedSolomon.h"
#include "maxicode/VekMaxiCodeTextDecoder.h"

namespace orvel {

namespace {

constexpr int32_t kPrimaryData = 10;
constexpr int32_t kPrimaryCheck = 10;
constexpr int32_t kPrimary = kPrimaryData + kPrimaryCheck;
constexpr char kRS = 0x1E, kGS = 0x1D;

const TVekGaloisField& field() { return TVekGaloisField::get(6, 0x43); }

// Corrects one block given as positions into the codewords, data first, in
// place; false when it cannot be corrected.
bool correctBlock(TVekMaxiCodeCodewords& codewords, const TVectorInteger& positions, int32_t checkSymbols) {
    const TVekReedSolomon code(field(), checkSymbols, 1);
    const size_t n = positions.size();
    TVectorInteger word(n);
    // The first codeword is the highest power.
    for (size_t i = 0; i < n; ++i) word[n - 1 - i] = codewords[static_cast<size_t>(positions[i])];
    if (code.correct(word) == TVekReedSolomon::uncorrectable) return false;
    for (size_t i = 0; i < n; ++i) codewords[static_cast<size_t>(positions[i])] = static_cast<uint8_t>(word[n - 1 - i]);
    return true;
}

bool correctSecondary(TVekMaxiCodeCodewords& codewords, int32_t dataCodewords) {
    const int32_t checkCodewords = (TVekMaxiCodeGrid::codewords - kPrimary - dataCodewords) / 2;
    for (int32_t parity = 0; parity < 2; ++parity) {
        TVectorInteger positions;
        for (int32_t i = parity; i < dataCodewords; i += 2) positions.push_back(kPrimary + i);
        for (int32_t i = 0; i < checkCodewords; ++i) positions.push_back(kPrimary + dataCodewords + 2 * i + parity);
        if (!correctBlock(codewords, positions, checkCodewords)) return false;
    }
    return true;
}

// The bits of the carrier message, scattered over the primary codewords:
// `count` bits from bit `first` of the 60 that follow the mode, least
// significant codeword bit first.
int64_t primaryBits(const TVekMaxiCodeCodewords& codewords, int32_t first, int32_t count) {
    // Bit k of the carrier message lies in codeword (k + 4) / 6 at
    // position (k + 4) % 6: the mode takes the low four bits of codeword 0.
    int64_t value = 0;
    for (int32_t k = first + count - 1; k >= first; --k) {
        const int32_t at = k + 4;
        value = (value << 1) | ((codewords[static_cast<size_t>(at / 6)] >> (at % 6)) & 1);
    }
    return value;
}

std::string threeDigits(int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", static_cast<int>(value));
    return text;
}

// The structured carrier message of modes 2 and 3, each field followed by GS;
// empty when a field is out of range.
std::string carrierMessage(const TVekMaxiCodeCodewords& codewords, int32_t mode) {
    std::string postcode;
    if (mode == 2) {
        const int64_t number = primaryBits(codewords, 0, 30);
        const int64_t digits = primaryBits(codewords, 30, 6);
        if (digits < 1 || digits > 9 || number > 999999999) return {};
        char text[32];
        std::snprintf(text, sizeof text, "%0*lld", static_cast<int>(digits), static_cast<long long>(number));
        postcode = text;
        if (static_cast<int64_t>(postcode.size()) != digits) return {};
    } else {
        const int64_t packed = primaryBits(codewords, 0, 36);
        for (int32_t k = 5; k >= 0; --k) {
            const char c = TVekMaxiCodeTextDecoder::setACharacter(static_cast<int32_t>((packed >> (6 * k)) & 63));
            if (c == 0) return {};
            postcode.push_back(c);
        }
    }
    const int64_t country = primaryBits(codewords, 36, 10), service = primaryBits(codewords, 46, 10);
    if (country > 999 || service > 999) return {};
    return postcode + kGS + threeDigits(country) + kGS + threeDigits(service) + kGS;
}

}  // namespace

std::optional<TVekBarcode> TVekMaxiCodeDecoder::decode(TVekMaxiCodeCodewords codewords) {
    TVectorInteger primary;
    for (int32_t i = 0; i < kPrimary; ++i) primary.push_back(i);
    if (!correctBlock(codewords, primary, kPrimaryCheck)) return std::nullopt;
    const int32_t mode = codewords[0] & 0x0F;
    if (mode < 2 || mode > 6) return std::nullopt;
    const int32_t secondaryData = mode == 5 ? 68 : 84;
    if (!correctSecondary(codewords, secondaryData)) return std::nullopt;

    std::vector<uint8_t> message;
    if (mode != 2 && mode != 3)
        message.insert(message.end(), codewords.begin() + 1, codewords.begin() + kPrimaryData);
    message.insert(message.end(), codewords.begin() + kPrimary, codewords.begin() + kPrimary + secondaryData);
    TVekMaxiCodeText text = TVekMaxiCodeTextDecoder::decode(message);
    if (!text.valid) return std::nullopt;

    if (mode == 2 || mode == 3) {
        const std::string carrier = carrierMessage(codewords, mode);
        if (carrier.empty()) return std::nullopt;
        const std::string header = std::string("[)>") + kRS + "01" + kGS;
        const size_t at = text.bytes.compare(0, header.size(), header) == 0 && text.bytes.size() >= header.size() + 2
                              ? header.size() + 2
                              : 0;
        text.bytes.insert(at, carrier);
        for (TVekEciMark& mark : text.eciMarks)
            if (mark.offset > at || (mark.offset == at && at > 0)) mark.offset += carrier.size();
    }

    TVekBarcode barcode;
    barcode.format = TVekBarcodeFormat::maxiCode;
    barcode.bytes = std::move(text.bytes);
    barcode.eciMarks = std::move(text.eciMarks);
    barcode.structuredAppend = text.structuredAppend;
    barcode.ecLevel = std::to_string(mode);
    const bool carrier = mode == 2 || mode == 3;
    const bool eci = !barcode.eciMarks.empty();
    barcode.symbologyIdentifier = std::string("]U") + static_cast<char>('0' + (carrier ? 1 : 0) + (eci ? 2 : 0));
    return barcode;
}

}  // namespace orvel
