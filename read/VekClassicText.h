#pragma once

#include <string>

#include "foundation/VekBarcode.h"
#include "foundation/VekUtil.h"
#include "oned/VekLinearContent.h"

namespace orvel {

// The documented readers' record contents as TVekBarcode content.

// A 1D record's content: for Code 128 the function characters the parser
// decoded become what they mean: FNC1 first is GS1 data (identifier "]C1"),
// later FNC1 is GS, FNC4 lifts the next character (or, doubled, every
// character up to the next double FNC4) by 128; FNC2 and FNC3 carry no data.
// An EAN-13 symbol whose first digit is 0 is the UPC-A symbol of the other
// twelve when `upcAAsked`; a UPC-E record's eleven digits (the expanded number
// without its number system) become the eight digits printed under the
// symbol.
TVekBarcode classicLinearBarcode(TVekBarcodeFormat format, const TVekLinearContent& content, bool upcAAsked = true);

// The eight digits of a UPC-E symbol (number system, six digits, check) from
// its expanded UPC-A number without the number system, or "" when those
// eleven digits do not compress or no number system 0 or 1 fits the check.
std::string upcEDigits(const std::string& expanded);

}  // namespace orvel
