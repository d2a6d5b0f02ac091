#pragma once

#include <string_view>

namespace orvel {

// The GS1 modulo-10 check digit of a string of digits (GTIN, SSCC, the EAN
// and UPC symbols, DataBar's item number): weights 3 and 1 alternate from
// the rightmost digit, which weighs 3.
char gs1CheckDigit(std::string_view digits);

}  // namespace orvel
