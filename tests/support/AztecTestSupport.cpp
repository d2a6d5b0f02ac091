#include "support/AztecTestSupport.h"

#include <fstream>
#include <iterator>

#include "aztec/VekAztecConfiguration.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekReedSolomonAZ.h"
#include "support/TestSupport.h"

namespace orvel::test {

namespace {

bool ringIsLight(const TVekAzBitMap& map, int32_t r) {
    for (int32_t k = -r; k <= r; ++k) {
        if (map.getCell(k, -r) == TVekAzBitMap::DARK || map.getCell(k, r) == TVekAzBitMap::DARK ||
            map.getCell(-r, k) == TVekAzBitMap::DARK || map.getCell(r, k) == TVekAzBitMap::DARK)
            return false;
    }
    return true;
}

}  // namespace

std::optional<TAztecSymbol> zintAztecSymbol(const std::string& arguments) {
    return aztecSymbolFromRows(zintDump("-b AZTEC " + arguments));
}

std::vector<std::vector<int>> readDumpFile(const std::string& path) {
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return parseZintDump(text);
}

std::optional<TAztecSymbol> aztecSymbolFromRows(const std::vector<std::vector<int>>& rows) {
    const auto size = static_cast<int32_t>(rows.size());
    if (size < 15) return std::nullopt;
    TVekAzBitMap map(size, size, false);
    const int32_t half = (size - 1) / 2;
    for (int32_t y = 0; y < size; ++y) {
        const auto& row = rows[static_cast<size_t>(y)];
        if (static_cast<int32_t>(row.size()) < size) return std::nullopt;
        for (int32_t x = 0; x < size; ++x)
            map.setCell(x - half, y - half, row[static_cast<size_t>(x)] != 0 ? TVekAzBitMap::DARK : TVekAzBitMap::LIGHT);
    }
    const bool compact = !ringIsLight(map, 5);
    TVekAzBitMap sized(size, size, compact);
    for (int32_t y = -half; y <= half; ++y)
        for (int32_t x = -half; x <= half; ++x) sized.setCell(x, y, map.getCell(x, y));
    return TAztecSymbol{std::move(sized), compact};
}

TVekAztecModeMessage readModeMessage(const TAztecSymbol& symbol) {
    return decodeModeMessage(modeMessageBits(symbol.map, symbol.compact), symbol.compact);
}

TVekAztecData decodeAztecMap(const TVekAzBitMap& map, bool compact) {
    TVekAztecDecoder decoder;
    return decodeAztecMap(map, compact, decoder);
}

TVekAztecData decodeAztecMap(const TVekAzBitMap& map, bool compact, TVekAztecDecoder& decoder) {
    const TVekAztecModeMessage mode = decodeModeMessage(modeMessageBits(map, compact), compact);
    const int32_t configuration = findAztecConfiguration(mode.layers, compact);
    if (configuration < 0) throw TVekAZReedException("Configuration for " + std::to_string(mode.layers) + " not found");
    const int32_t wordSize = AZTEC_CONFIGURATIONS[static_cast<size_t>(configuration)][AZ_CONF_WORD_SIZE];
    return decoder.decode(wordSize, configuration, readLayers(map, compact), mode.dataCodewords);
}

TVectorInteger valuesOf(const std::string& text) {
    TVectorInteger values;
    for (unsigned char c : text) values.push_back(c);
    return values;
}

}  // namespace orvel::test
