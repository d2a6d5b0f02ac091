#pragma once

#include <optional>
#include <span>
#include <string>

namespace orvel {

// The element string a DataBar Expanded symbol's data characters hold (12
// bits each, the first bit the linkage flag): the encodation method's
// compressed fields (GTIN, weights, price, dates) and then the general
// purpose field in its numeric, alphanumeric and ISO 646 modes. FNC1
// between fields becomes GS (0x1D). Nothing when the bits break the rules.
class TVekDataBarExpandedFields {
public:
    static std::optional<std::string> decode(std::span<const int> characters);

private:
    static std::optional<std::string> fields(std::span<const int> characters);
};

}  // namespace orvel
