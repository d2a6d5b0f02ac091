#pragma once

#include <optional>
#include <string>
#include <vector>

#include "aztec/VekAzBitMap.h"
#include "aztec/VekAztecData.h"
#include "aztec/VekAztecDecoder.h"
#include "aztec/VekAztecModeMessage.h"

namespace orvel::test {

// An Aztec symbol rendered by zint, as the module map a reader would sample.
struct TAztecSymbol {
    TVekAzBitMap map;
    bool compact = false;
};

// Runs `zint -b AZTEC <arguments> --dump` and turns the module rows into a map
// centred on the bull's-eye. Compactness is told by the finder: a full-range
// bull's-eye has a light ring at distance 5 from the centre, a compact one has
// its orientation marks there. Empty when zint fails.
std::optional<TAztecSymbol> zintAztecSymbol(const std::string& arguments);

// The same from module rows (1 = dark), e.g. a saved zint dump.
std::optional<TAztecSymbol> aztecSymbolFromRows(const std::vector<std::vector<int>>& rows);

// Rows of a file written by `zint --dump` (hex digits, most significant first).
std::vector<std::vector<int>> readDumpFile(const std::string& path);

// The symbol's mode message read from its map and corrected.
TVekAztecModeMessage readModeMessage(const TAztecSymbol& symbol);

// Decodes a map the way the reader does after sampling: mode message,
// configuration, data layers, decoder. Raises TVekAZReedException.
TVekAztecData decodeAztecMap(const TVekAzBitMap& map, bool compact);
TVekAztecData decodeAztecMap(const TVekAzBitMap& map, bool compact, TVekAztecDecoder& decoder);

// Text as the decoder's values (one value per byte).
TVectorInteger valuesOf(const std::string& text);

}  // namespace orvel::test
