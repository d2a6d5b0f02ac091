// End-to-end: zint symbols cut into the region matrices the reader samples,
// corrected by TVekDatamatrixDecoder and decoded by TVekDatamatrixCWDecoder.

#include <gtest/gtest.h>

#include "DatamatrixTestHelpers.h"
#include "datamatrix/VekDatamatrixSymbolSizes.h"
#include "support/TestSupport.h"

namespace orvel::test {
namespace {

#define REQUIRE_ZINT()                                   \
    do {                                                 \
        if (!haveZint()) GTEST_SKIP() << "zint missing"; \
    } while (0)

// Lower-case text with digits and punctuation, length characters.
std::string sampleText(int32_t length) {
    const std::string words = "orvel reads data matrix 2026; ";
    std::string text;
    for (int32_t i = 0; i < length; ++i) text += words[i % words.size()];
    return text;
}

TEST(DatamatrixSymbol, EverySquareSizeDecodesItsContent) {
    REQUIRE_ZINT();
    for (int32_t index = 0; index < DM_SQUARE_SYMBOL_SIZE_COUNT; ++index) {
        const int32_t capacity = symbolSizeTable[index][DM_DATA_CODEWORDS];
        const std::string text = sampleText(capacity * 3 / 4);
        const TModuleMatrix symbol = zintDatamatrix("--vers=" + std::to_string(index + 1) + " -d " + shellQuote(text));
        ASSERT_EQ(squareSizeIndex(symbol), index) << "zint symbol of size " << index;
        EXPECT_EQ(decodeContent(decodeSymbolCodewords(symbol)), bytesOf(text)) << "size index " << index;
    }
}

}  // namespace
}  // namespace orvel::test
