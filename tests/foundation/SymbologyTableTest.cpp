#include <gtest/gtest.h>

#include <set>
#include <string>

#include "foundation/VekSymbology.h"

namespace orvel {
namespace {

// Every name and alias of the table reads back as its own format, in any
// case and with separators, and no two rows share a name.
TEST(SymbologyTable, NamesAndAliasesAreUniqueAndReadBack) {
    std::set<std::string> seen;
    for (const TVekSymbology& row : symbologies()) {
        EXPECT_TRUE(seen.insert(row.name).second) << row.name;
        EXPECT_EQ(formatFromName(row.name), row.format) << row.name;
        std::string lower;
        for (char c : std::string(row.name)) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(formatFromName("-" + lower + "_"), row.format) << row.name;
        EXPECT_EQ(formatName(row.format), row.name);
        const std::string aliases = row.aliases;
        size_t start = 0;
        while (start < aliases.size()) {
            size_t end = aliases.find(' ', start);
            if (end == std::string::npos) end = aliases.size();
            const std::string alias = aliases.substr(start, end - start);
            EXPECT_TRUE(seen.insert(alias).second) << alias;
            EXPECT_EQ(formatFromName(alias), row.format) << alias;
            start = end + 1;
        }
        EXPECT_EQ(std::string(row.identifier).substr(0, 1), "]") << row.name;
        EXPECT_EQ(row.isLinear, row.family == TVekSymbolFamily::linear) << row.name;
    }
    EXPECT_EQ(static_cast<int>(symbologies().size()), barcodeFormatCount);
    EXPECT_FALSE(formatFromName("QRCODEX"));
    EXPECT_FALSE(formatFromName(""));
}

TEST(SymbologyTable, SetsOfFormats) {
    using F = TVekBarcodeFormat;
    const TVekBarcodeFormats linear = TVekBarcodeFormats::linear();
    EXPECT_TRUE(linear.contains(F::codabar));
    EXPECT_TRUE(linear.contains(F::code93));
    EXPECT_FALSE(linear.contains(F::maxiCode));
    EXPECT_EQ(formatsOfSymbolFamily(TVekSymbolFamily::qrCode), (TVekBarcodeFormats{F::qrCode, F::microQrCode, F::rmqrCode}));
    EXPECT_TRUE(TVekBarcodeFormats::all().contains(F::maxiCode));
    EXPECT_EQ(TVekBarcodeFormats::parse("qr, itf|EAN-13"), (TVekBarcodeFormats{F::qrCode, F::interleaved25, F::ean13}));
    EXPECT_FALSE(TVekBarcodeFormats::parse("qr,nonsense"));
    EXPECT_EQ((TVekBarcodeFormats{F::qrCode, F::ean8} & linear), (TVekBarcodeFormats{F::ean8}));
}

}  // namespace
}  // namespace orvel
