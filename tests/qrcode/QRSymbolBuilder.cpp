#include "QRSymbolBuilder.h"

#include <algorithm>

#include "qrcode/VekQRBitMap.h"
#include "qrcode/VekQRCodeDecoder.h"
#include "qrcode/VekQRTables.h"
#include "qrcode/VekReedSolomonQR.h"
#include "support/TestSupport.h"

namespace orvel::test {

namespace {

const TVectorInteger kField{1, 0, 1, 1, 1, 0, 0, 0, 1};

std::vector<int> blockDataLengths(int version, int level) {
    const TVekQRBlockInfo* info = qrBlockInfo(version, level);
    std::vector<int> lengths(info->blocks1, info->dataPerBlock1);
    lengths.insert(lengths.end(), info->blocks2, info->dataPerBlock2);
    return lengths;
}

// For every stream position: (block, index within the block's data + ec codewords).
std::vector<std::pair<int, int>> streamLayout(int version, int level) {
    const std::vector<int> lengths = blockDataLengths(version, level);
    const int e = qrBlockInfo(version, level)->ecCodewordsPerBlock;
    std::vector<std::pair<int, int>> layout;
    const int longest = lengths.back();
    for (int t = 0; t < longest; ++t)
        for (size_t b = 0; b < lengths.size(); ++b)
            if (t < lengths[b]) layout.emplace_back(static_cast<int>(b), t);
    for (int t = 0; t < e; ++t)
        for (size_t b = 0; b < lengths.size(); ++b) layout.emplace_back(static_cast<int>(b), lengths[b] + t);
    return layout;
}

TIntegerMatrix place(int version, int level, int mask, const TVectorInteger& stream) {
    const int n = qrModulesForVersion(version);
    TVekQRBitMap map;
    map.init(n, n, true, version);
    map.placeCodewords(stream);
    map.doMask(mask);
    static constexpr int kIndicator[] = {1, 0, 3, 2};
    map.placeFormat(kIndicator[level] * 8 + mask);
    return map.toMatrix();
}

}  // namespace

TIntegerMatrix qrMatrixFromZint(const std::string& arguments) {
    const std::vector<std::vector<int>> rows = zintDump("-b QRCODE " + arguments);
    const int size = static_cast<int>(rows.size());
    if (size == 0) return {};
    TIntegerMatrix matrix(size, std::vector<int32_t>(size, 0));
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size && c < static_cast<int>(rows[r].size()); ++c) matrix[c][r] = rows[r][c];
    return matrix;
}

TVectorInteger valuesOf(const std::string& bytes) {
    TVectorInteger values;
    for (unsigned char c : bytes) values.push_back(c);
    return values;
}

int qrDataCodewords(int version, int level) {
    int total = 0;
    for (int length : blockDataLengths(version, level)) total += length;
    return total;
}

int qrBlockCount(int version, int level) { return static_cast<int>(blockDataLengths(version, level).size()); }

int qrEcPerBlock(int version, int level) { return qrBlockInfo(version, level)->ecCodewordsPerBlock; }

std::vector<int> qrBlockStreamPositions(int version, int level, int block) {
    const auto layout = streamLayout(version, level);
    std::vector<std::pair<int, int>> found;
    for (size_t p = 0; p < layout.size(); ++p)
        if (layout[p].first == block) found.emplace_back(layout[p].second, static_cast<int>(p));
    std::sort(found.begin(), found.end());
    std::vector<int> positions;
    for (const auto& [index, position] : found) positions.push_back(position);
    return positions;
}

TVectorInteger qrStreamCodewords(const TIntegerMatrix& matrix) {
    const int version = TVekQRCodeDecoder::getVersionForModules(static_cast<int>(matrix.size()));
    TVekQRBitMap map;
    map.init2(matrix, version);
    map.doMask(map.getFormatInformation() % 8);
    return map.extractCodewords(qrVersionInfo(version)->totalCodewords);
}

TIntegerMatrix qrWithCodewords(const TIntegerMatrix& matrix, const TVectorInteger& codewords) {
    const int version = TVekQRCodeDecoder::getVersionForModules(static_cast<int>(matrix.size()));
    TVekQRBitMap map;
    map.init2(matrix, version);
    const int format = map.getFormatInformation();
    return place(version, TVekQRCodeDecoder::levelFromIndicator(format / 8), format % 8, codewords);
}

TIntegerMatrix qrBuildSymbol(int version, int level, int mask, TVectorInteger data) {
    const int capacity = qrDataCodewords(version, level);
    for (int pad = 0; static_cast<int>(data.size()) < capacity; ++pad) data.push_back(pad % 2 == 0 ? 236 : 17);
    data.resize(capacity);
    const std::vector<int> lengths = blockDataLengths(version, level);
    const int e = qrEcPerBlock(version, level);
    const TVekReedSolomonQR rs(8, e, 255 - e, kField);
    std::vector<TVectorInteger> blocks;  // data then ec codewords of each block
    size_t next = 0;
    for (int length : lengths) {
        TVectorInteger word(255, 0);
        for (int p = 0; p < length; ++p) word[e + length - 1 - p] = data[next++];
        rs.encode(word);
        TVectorInteger block(data.begin() + (next - length), data.begin() + next);
        for (int p = 0; p < e; ++p) block.push_back(word[e - 1 - p]);
        blocks.push_back(block);
    }
    TVectorInteger stream;
    for (const auto& [b, index] : streamLayout(version, level)) stream.push_back(blocks[b][index]);
    return place(version, level, mask, stream);
}

}  // namespace orvel::test
