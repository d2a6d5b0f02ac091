#include "qrcode/VekQRCodeDecoder.h"

#include "qrcode/VekQRBitMap.h"
#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRTables.h"
#include "qrcode/VekReedSolomonQR.h"

namespace orvel {

namespace {

const TVectorInteger kQRFieldPolynomial{1, 0, 1, 1, 1, 0, 0, 0, 1};  // x^8 + x^4 + x^3 + x^2 + 1
constexpr int32_t kQRWordLength = 255;

bool isSquare(const TIntegerMatrix& matrix) {
    for (const auto& column : matrix)
        if (column.size() != matrix.size()) return false;
    return true;
}

}  // namespace

int32_t TVekQRCodeDecoder::getVersionForModules(int32_t n) {
    for (int32_t version = kQRMinVersion; version <= kQRMaxVersion; ++version)
        if (qrVersionInfo(version)->modules == n) return version;
    return 0;
}

int32_t TVekQRCodeDecoder::getModulesForVersion(int32_t version) {
    const TVekQRVersionInfo* info = qrVersionInfo(version);
    return info ? info->modules : 0;
}

int32_t TVekQRCodeDecoder::levelFromIndicator(int32_t indicator) {
    static constexpr int32_t kLevels[] = {TVekQRCodeData::LEVEL_M, TVekQRCodeData::LEVEL_L, TVekQRCodeData::LEVEL_H,
                                          TVekQRCodeData::LEVEL_Q};
    return kLevels[indicator & 3];
}

std::optional<TVekQRBitString> TVekQRCodeDecoder::decodeCodewords(int32_t version, int32_t level,
                                                                  const TVectorInteger& codewords) const {
    const TVekQRBlockInfo* info = qrBlockInfo(version, level);
    if (info == nullptr) return std::nullopt;

    // Blocks in table order: the shorter group first.
    TMatrixIntegerV dataBlocks;
    TMatrixIntegerV ecBlocks;
    const int32_t e = info->ecCodewordsPerBlock;
    for (int32_t b = 0; b < info->blocks1; ++b) dataBlocks.emplace_back(info->dataPerBlock1, 0);
    for (int32_t b = 0; b < info->blocks2; ++b) dataBlocks.emplace_back(info->dataPerBlock2, 0);
    for (size_t b = 0; b < dataBlocks.size(); ++b) ecBlocks.emplace_back(e, 0);

    // The codewords are interleaved: the t-th codeword of every block in turn,
    // data blocks first (the longer blocks' last codeword after all shorter
    // rounds), then the error-correction blocks.
    size_t next = 0;
    auto deinterleave = [&](TMatrixIntegerV& blocks) -> bool {
        for (size_t t = 0;; ++t) {
            bool took = false;
            for (auto& block : blocks) {
                if (t >= block.size()) continue;
                if (next >= codewords.size()) return false;
                block[t] = codewords[next++];
                took = true;
            }
            if (!took) return true;
        }
    };
    if (!deinterleave(dataBlocks) || !deinterleave(ecBlocks)) return std::nullopt;

    const TVekReedSolomonQR rs(8, e, kQRWordLength - e, kQRFieldPolynomial);
    TVekQRBitString bits;
    TVectorInteger buffer;
    TVectorInteger corrected;
    for (size_t b = 0; b < dataBlocks.size(); ++b) {
        const TVectorInteger& data = dataBlocks[b];
        const int32_t d = static_cast<int32_t>(data.size());
        // The block as a shortened word: a "correction" above it would be
        // the decoder settling on some other, longer codeword.
        buffer.assign(static_cast<size_t>(e + d), 0);
        for (int32_t p = 0; p < e; ++p) buffer[e - 1 - p] = ecBlocks[b][p];
        for (int32_t p = 0; p < d; ++p) buffer[e + d - 1 - p] = data[p];
        try {
            rs.decode(buffer, corrected);
        } catch (const TVekException&) {
            return std::nullopt;
        }
        for (int32_t p = 0; p < d; ++p) bits.appendBits(static_cast<uint32_t>(corrected[e + d - 1 - p]), 8);
    }
    return bits;
}

TVekQRCodeData TVekQRCodeDecoder::decodeArray(const TIntegerMatrix& matrix) const {
    TVekQRCWDecoder cwDecoder;
    return decodeArray(matrix, cwDecoder);
}

TVekQRCodeData TVekQRCodeDecoder::decodeArray(const TIntegerMatrix& matrix, TVekQRCWDecoder& cwDecoder) const {
    TVekQRCodeData record;
    const int32_t columns = static_cast<int32_t>(matrix.size());
    const int32_t version = getVersionForModules(columns);
    // A matrix of no QR size would place the patterns of another symbol over it.
    if (version == 0 || !isSquare(matrix)) return record;

    TVekQRBitMap bitMap;
    bitMap.init2(matrix, version);
    const int32_t format = bitMap.getFormatInformation();
    record.ecLevel = levelFromIndicator(format / 8);
    bitMap.doMask(format % 8);

    const TVectorInteger codewords = bitMap.extractCodewords(qrVersionInfo(version)->totalCodewords);
    std::optional<TVekQRBitString> bits = decodeCodewords(version, record.ecLevel, codewords);
    if (!bits) return record;

    // An undecodable data stream gives a failed record rather than losing the
    // other symbols of the picture.
    try {
        TVectorInteger values;
        cwDecoder.decode(*bits, version, values);
        record.setValue(std::move(values));
        record.success = true;
    } catch (const EVekQRCodeCWException&) {
        record.setValue({});
        record.success = false;
    }
    return record;
}

}  // namespace orvel
